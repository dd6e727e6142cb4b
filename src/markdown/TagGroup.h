#pragma once

#include <QList>
#include <QString>
#include <QUuid>

namespace vantel {

enum class RepeatingTagType {
    open,
    either,
    close,
    neither,
};

// A closed range of element indices: one tag occurrence.
struct TagRange {
    qsizetype first = 0;
    qsizetype last = 0;

    qsizetype length() const { return last - first + 1; }
};

// One candidate pair of tags while a scanner runs.
struct TagGroup {
    QString groupID = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QList<TagRange> tagRanges;
    RepeatingTagType tagType = RepeatingTagType::open;
    int count = 1;
};

} // namespace vantel
