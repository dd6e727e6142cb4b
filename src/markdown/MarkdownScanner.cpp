#include "markdown/MarkdownScanner.h"

#include "markdown/CharacterClasses.h"

#include <algorithm>
#include <cstdio>

namespace vantel {

namespace {

const MarkdownLogTarget& scannerLog()
{
    static const MarkdownLogTarget target{QStringLiteral("MarkdownScanner"), QStringLiteral("Markdown Scanner Scanner")};
    return target;
}

const char* typeName(ElementType type)
{
    switch (type) {
    case ElementType::tag: return "tag";
    case ElementType::escape: return "escape";
    case ElementType::string: return "string";
    case ElementType::space: return "space";
    case ElementType::newline: return "newline";
    case ElementType::metadata: return "metadata";
    }
    return "?";
}

} // namespace

MarkdownScanner::MarkdownScanner(QList<Element> elements, CharacterRule rule, QHash<QString, QString> metadata)
    : m_elements(std::move(elements))
    , m_rule(std::move(rule))
    , m_metadata(std::move(metadata))
    , m_enableLog(MarkdownLog::environmentHas("MarkdownScannerScanner"))
    , m_currentPerfomanceLog("MarkdownScannerScannerPerformanceLogging", QStringLiteral("Scanner"),
                             {QStringLiteral("MarkdownScanner"), QStringLiteral("Markdown Scanner Scanner Peformance")})
    , m_log("MarkdownScannerScanner", QStringLiteral("Scanner"), scannerLog())
{
    m_currentPerfomanceLog.begin();
}

void MarkdownScanner::writeLog(const QString& text) const
{
    if (m_enableLog)
        MarkdownLog::info(scannerLog(), text);
}

TagGroup* MarkdownScanner::group(const QString& id)
{
    for (TagGroup& candidate : m_tagGroups) {
        if (candidate.groupID == id)
            return &candidate;
    }
    return nullptr;
}

bool MarkdownScanner::isWhitespace(qsizetype index) const
{
    return CharacterClasses::characterInSet(m_elements.at(index).character, CharacterClasses::whitespacesAndNewlines);
}

std::optional<QList<Element>> MarkdownScanner::elementsBetween(Direction direction, qsizetype n) const
{
    const qsizetype from = direction == Direction::forward ? m_pointer : m_pointer - n;
    const qsizetype to = direction == Direction::forward ? m_pointer + n : m_pointer;
    if (n < 0 || from < 0 || to >= m_elements.size())
        return std::nullopt;
    return m_elements.mid(from, to - from + 1);
}

bool MarkdownScanner::precededByEscape()
{
    if (m_pointer <= 0 || m_pointer > m_elements.size())
        return false;
    Element& previous = m_elements[m_pointer - 1];
    if (!m_rule.escapeCharacters.contains(previous.character))
        return false;
    previous.type = ElementType::escape;
    return true;
}

std::optional<TagRange> MarkdownScanner::matchTag(const std::optional<QString>& tag)
{
    if (!tag || tag->isEmpty() || m_pointer < 0 || m_pointer >= m_elements.size())
        return std::nullopt;
    const QStringList& characters = tagCharacters(*tag);
    if (m_elements.at(m_pointer).character != characters.first())
        return std::nullopt;
    if (precededByEscape())
        return std::nullopt;

    if (characters.size() == 1) {
        if (m_elements.at(m_pointer).type != ElementType::string)
            return std::nullopt;
        m_elements[m_pointer].type = ElementType::tag;
        const TagRange range{m_pointer, m_pointer};
        m_pointer += 1;
        return range;
    }

    const std::optional<QList<Element>> slice = elementsBetween(Direction::forward, characters.size() - 1);
    if (!slice)
        return std::nullopt;
    QString joined;
    for (const Element& element : *slice) {
        if (element.type != ElementType::string)
            return std::nullopt;
        joined += element.character;
    }
    if (joined != *tag)
        return std::nullopt;
    const TagRange range{m_pointer, m_pointer + characters.size() - 1};
    for (qsizetype i = range.first; i <= range.last; ++i)
        m_elements[i].type = ElementType::tag;
    m_pointer += characters.size();
    return range;
}

const QStringList& MarkdownScanner::tagCharacters(const QString& tag)
{
    auto found = m_tagCharacters.find(tag);
    if (found == m_tagCharacters.end())
        found = m_tagCharacters.insert(tag, CharacterClasses::characters(tag));
    return *found;
}

void MarkdownScanner::resetRange(const TagRange& range)
{
    for (qsizetype i = std::max<qsizetype>(range.first, 0); i <= range.last && i < m_elements.size(); ++i)
        m_elements[i].type = ElementType::string;
}

void MarkdownScanner::resetGroup(const QString& id)
{
    for (qsizetype i = 0; i < m_tagGroups.size(); ++i) {
        if (m_tagGroups.at(i).groupID != id)
            continue;
        for (const TagRange& range : m_tagGroups.at(i).tagRanges)
            resetRange(range);
        m_tagGroups.removeAt(i);
        break;
    }
    m_isMetadataOpen = false;
}

QList<Element> MarkdownScanner::scan()
{
    QString text;
    for (const Element& element : std::as_const(m_elements)) {
        if (element.type == ElementType::string)
            text += element.character;
    }
    if (!text.contains(m_rule.primaryTag.tag))
        return m_elements;

    m_currentPerfomanceLog.logElapsed(QStringLiteral("Beginning ") + m_rule.primaryTag.tag);
    writeLog(QStringLiteral("RULE: ") + m_rule.description());

    if (m_rule.isRepeating())
        scanRepeatingTags();
    else
        scanOpenCloseTags();

    while (!m_tagGroups.isEmpty())
        resetGroup(m_tagGroups.first().groupID);

    if (m_enableLog)
        dumpElements();
    return m_elements;
}

void MarkdownScanner::dumpElements() const
{
    for (const Element& element : m_elements) {
        QStringList styles;
        for (const CharacterStyling& style : element.styles)
            styles.append(style.description());
        const QByteArray line = QStringLiteral("Element '%1' type %2 boundary %3 styles [%4] metadata [%5]\n")
                                    .arg(element.character, QString::fromLatin1(typeName(element.type)))
                                    .arg(element.boundaryCount)
                                    .arg(styles.join(QStringLiteral(", ")), element.metadata.join(QStringLiteral(", ")))
                                    .toUtf8();
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    }
    std::fflush(stdout);
}

void MarkdownScanner::scanOpenCloseTags()
{
    QString currentGroupID;
    const auto tagText = [&](CharacterRuleTagType type) -> std::optional<QString> {
        if (const auto tag = m_rule.tagForType(type))
            return tag->tag;
        return std::nullopt;
    };
    const std::optional<QString> closeTag = tagText(CharacterRuleTagType::close);
    const std::optional<QString> metadataOpenTag = tagText(CharacterRuleTagType::metadataOpen);
    const std::optional<QString> metadataCloseTag = tagText(CharacterRuleTagType::metadataClose);

    while (m_pointer < m_elements.size()) {
        writeLog(QStringLiteral("CHARACTER: ") + m_elements.at(m_pointer).character);

        if (const auto range = matchTag(metadataCloseTag)) {
            if (m_isMetadataOpen) {
                writeLog(QStringLiteral("Closing metadata tag found. Closing tag with ID ") + currentGroupID);
                if (TagGroup* current = group(currentGroupID))
                    current->tagRanges.append(*range);
                else
                    resetRange(*range);
                applyStyles(currentGroupID);
                m_isMetadataOpen = false;
                continue;
            }
            resetRange(*range);
            m_pointer -= range->length();
        }

        if (const auto range = matchTag(m_rule.primaryTag.tag)) {
            if (m_isMetadataOpen)
                resetGroup(currentGroupID);
            TagGroup created;
            created.tagRanges.append(*range);
            m_tagGroups.append(created);
            currentGroupID = created.groupID;
            writeLog(QStringLiteral("New open tag found. Starting new Group with ID ") + currentGroupID);
            continue;
        }

        if (const auto range = matchTag(closeTag)) {
            if (m_tagGroups.isEmpty()) {
                writeLog(QStringLiteral("No open tags exist, resetting this close tag"));
                resetRange(*range);
                continue;
            }
            m_tagGroups.last().tagRanges.append(*range);
            currentGroupID = m_tagGroups.last().groupID;
            writeLog(QStringLiteral("New close tag found. Appending to group with ID ") + currentGroupID);
            if (!metadataOpenTag) {
                writeLog(QStringLiteral("No metadata tags exist, closing valid tag with ID ") + currentGroupID);
                applyStyles(currentGroupID);
                continue;
            }
            if (m_pointer >= m_elements.size())
                continue;
            const auto metadataRange = matchTag(metadataOpenTag);
            if (!metadataRange) {
                writeLog(QStringLiteral("No metadata tag found, resetting group with ID ") + currentGroupID);
                resetGroup(currentGroupID);
                continue;
            }
            m_tagGroups.last().tagRanges.append(*metadataRange);
            m_isMetadataOpen = true;
            continue;
        }

        if (const auto range = matchTag(metadataOpenTag)) {
            writeLog(QStringLiteral("Multiple open metadata tags found!"));
            resetRange(*range);
            resetGroup(currentGroupID);
            m_isMetadataOpen = false;
            continue;
        }

        m_pointer += 1;
    }
}

void MarkdownScanner::scanRepeatingTags()
{
    QString currentGroupID;
    const QString& tag = m_rule.primaryTag.tag;

    while (m_pointer < m_elements.size()) {
        writeLog(QStringLiteral("CHARACTER: ") + m_elements.at(m_pointer).character);

        const std::optional<TagRange> first = matchTag(tag);
        if (!first) {
            m_pointer += 1;
            continue;
        }
        if (m_elements.at(first->first).boundaryCount == Element::cancelledBoundary) {
            resetRange(*first);
            continue;
        }

        RepeatingTagType kind =
            (first->first == 0 || isWhitespace(first->first - 1)) ? RepeatingTagType::open : RepeatingTagType::either;
        int count = 1;
        TagRange run = *first;
        while (const auto next = matchTag(tag)) {
            count += 1;
            run.last = next->last;
        }

        if (m_rule.minTags > 1 && run.length() < m_rule.minTags) {
            resetRange(run);
            writeLog(QStringLiteral("Tag does not meet minimum length"));
            continue;
        }

        if (m_pointer >= m_elements.size() || isWhitespace(m_pointer)) {
            if (kind == RepeatingTagType::open) {
                writeLog(QStringLiteral("Tag has whitespace on both sides"));
                resetRange(run);
                continue;
            }
            kind = RepeatingTagType::close;
        }

        if (TagGroup* current = group(currentGroupID)) {
            if (kind == RepeatingTagType::either) {
                if (current->count == count) {
                    current->tagRanges.append(run);
                    applyStyles(currentGroupID);
                    currentGroupID = m_tagGroups.isEmpty() ? QString() : m_tagGroups.last().groupID;
                    continue;
                }
            } else {
                const TagRange& opening = current->tagRanges.first();
                if (m_elements.at(opening.first).boundaryCount == m_elements.at(run.first).boundaryCount) {
                    current->tagRanges.append(run);
                    applyStyles(currentGroupID);
                } else {
                    // A run at another nesting level closes nothing here; its
                    // characters stay text rather than vanish.
                    resetRange(run);
                }
                continue;
            }
        }

        TagGroup created;
        created.tagRanges.append(run);
        created.tagType = kind;
        created.count = count;
        m_tagGroups.append(created);
        currentGroupID = created.groupID;
        if (m_enableLog) {
            QString characters;
            for (qsizetype i = run.first; i <= run.last; ++i)
                characters += m_elements.at(i).character;
            writeLog(QStringLiteral("New open tag found (") + characters + QStringLiteral("). Starting new Group with ID ")
                     + currentGroupID);
        }
    }
}

void MarkdownScanner::applyStyles(const QString& groupID)
{
    TagGroup* current = group(groupID);
    if (!current)
        return;
    QString metadataText;

    if (m_isMetadataOpen && current->tagRanges.size() >= 2) {
        const TagRange close = current->tagRanges.takeLast();
        const TagRange open = current->tagRanges.takeLast();
        if (open.last + 1 == close.first) {
            writeLog(QStringLiteral("Nothing between the tags"));
        } else {
            QString key;
            for (qsizetype i = open.last; i <= close.first; ++i) {
                Element& element = m_elements[i];
                element.type = ElementType::metadata;
                if (m_rule.definesBoundary)
                    element.boundaryCount += 1;
                if (i > open.last && i < close.first)
                    key += element.character;
            }
            metadataText = m_rule.metadataLookup ? m_metadata.value(key) : key;
        }
    }

    // A group needs both its tags to close; without them its characters stay text.
    if (current->tagRanges.size() < 2) {
        resetGroup(groupID);
        return;
    }
    const TagRange close = current->tagRanges.takeLast();
    const TagRange open = current->tagRanges.takeLast();

    if (m_rule.balancedTags && open.length() != close.length()) {
        current->tagRanges.append(open);
        current->tagRanges.append(close);
        return;
    }

    if (open.last + 1 == close.first) {
        writeLog(QStringLiteral("Nothing between the tags"));
    } else {
        QList<CharacterStyling> collected;
        const auto take = [&](int count) {
            const auto found = m_rule.styles.find(count);
            if (found == m_rule.styles.end())
                return false;
            const bool known = std::any_of(collected.cbegin(), collected.cend(), [&](const CharacterStyling& style) {
                return style.sameStyle(found->second);
            });
            if (!known)
                collected.append(found->second);
            return true;
        };
        qsizetype remaining = std::min(open.length(), close.length());
        while (remaining > 0) {
            const qsizetype before = remaining;
            if (m_rule.maxTags > 0 && remaining >= m_rule.maxTags) {
                remaining -= m_rule.maxTags;
                take(m_rule.maxTags);
            }
            if (take(static_cast<int>(remaining)))
                break;
            // A remainder without a style of its own ends the loop with what it has.
            if (remaining == before)
                break;
        }

        for (qsizetype i = open.last; i <= close.first; ++i) {
            Element& element = m_elements[i];
            element.styles.append(collected);
            element.metadata.append(metadataText);
            if (m_rule.definesBoundary)
                element.boundaryCount += 1;
            if (m_rule.shouldCancelRemainingRules)
                element.boundaryCount = Element::cancelledBoundary;
        }

        if (m_rule.isRepeating()) {
            const qsizetype difference = open.length() - close.length();
            if (difference > 0) {
                current->count = static_cast<int>(difference);
                current->tagRanges.append(TagRange{open.last - difference + 1, open.last});
                m_isMetadataOpen = false;
                return;
            }
            if (difference < 0)
                resetRange(TagRange{close.last + difference + 1, close.last});
        }
    }

    m_tagGroups.erase(std::remove_if(m_tagGroups.begin(), m_tagGroups.end(),
                                     [&](const TagGroup& candidate) { return candidate.groupID == groupID; }),
                      m_tagGroups.end());
    m_isMetadataOpen = false;
}

} // namespace vantel
