#pragma once

#include "markdown/CharacterRule.h"
#include "markdown/Element.h"
#include "markdown/PerformanceLog.h"
#include "markdown/TagGroup.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace vantel {

// Applies one character rule to the elements of one line: pairs its tags into
// groups, marks tag and target characters and styles the text between.
class MarkdownScanner {
public:
    enum class Direction { forward, backward };

    MarkdownScanner(QList<Element> elements, CharacterRule rule, QHash<QString, QString> metadata);

    // Runs once; gives the rewritten elements.
    QList<Element> scan();

    // The scanner's steps, open for tests of the rule mechanics.
    std::optional<QList<Element>> elementsBetween(Direction direction, qsizetype n) const;
    bool precededByEscape();
    std::optional<TagRange> matchTag(const std::optional<QString>& tag);
    void resetGroup(const QString& id);
    void resetRange(const TagRange& range);
    void scanOpenCloseTags();
    void scanRepeatingTags();
    void applyStyles(const QString& groupID);

    const QList<Element>& elements() const { return m_elements; }
    const QList<TagGroup>& tagGroups() const { return m_tagGroups; }
    qsizetype pointer() const { return m_pointer; }
    void setPointer(qsizetype pointer) { m_pointer = pointer; }
    bool isMetadataOpen() const { return m_isMetadataOpen; }

private:
    TagGroup* group(const QString& id);
    bool isWhitespace(qsizetype index) const;
    void writeLog(const QString& text) const;
    void dumpElements() const;
    const QStringList& tagCharacters(const QString& tag);

    QList<Element> m_elements;
    CharacterRule m_rule;
    QHash<QString, QString> m_metadata;
    qsizetype m_pointer = 0;
    QList<TagGroup> m_tagGroups;
    bool m_isMetadataOpen = false;
    bool m_enableLog = false;
    PerformanceLog m_currentPerfomanceLog;
    PerformanceLog m_log;
    QHash<QString, QStringList> m_tagCharacters;
};

} // namespace vantel
