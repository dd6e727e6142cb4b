#include "model/TableViewItem.h"

#include "model/FileObjectKind.h"
#include "model/Logger.h"
#include "model/PathUtilities.h"
#include "model/StringArrays.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "model/TagNames.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/NotificationCenter.h"

#include <QFileInfo>
#include <QTimeZone>

#include <deque>
#include <mutex>

namespace vantel {

namespace {

template <class T>
bool optionalChanged(const std::optional<T>& before, const std::optional<T>& after)
{
    if (before.has_value() != after.has_value())
        return true;
    return before.has_value() && !(*before == *after);
}

// The folded text, sharing the data of `text` when folding changes nothing.
QString folded(const QString& text)
{
    QString result = text.toCaseFolded();
    return result == text ? text : result;
}

QStringList foldedList(const QStringList& texts)
{
    QStringList result;
    bool changed = false;
    result.reserve(texts.size());
    for (const QString& text : texts) {
        result.append(folded(text));
        changed = changed || !result.last().isSharedWith(text);
    }
    return changed ? result : texts;
}

template <class T>
std::optional<T> valueOf(const std::unique_ptr<const T>& held)
{
    return held ? std::optional<T>(*held) : std::nullopt;
}

template <class T>
std::unique_ptr<const T> heldValue(const std::optional<T>& value)
{
    return value ? std::make_unique<const T>(*value) : nullptr;
}

// A Bool stored as an object; anything else is no Bool.
std::optional<bool> decodeBoolObject(platform::KeyedUnarchiver& coder, const QString& key)
{
    const QVariant value = coder.decodeObject(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    return std::nullopt;
}

} // namespace

TableViewItem::TableViewItem(Private)
{
}

void TableViewItem::finishInitialisation()
{
    // Not yet shared with other threads: no lock needed.
    if (!name_.isEmpty())
        nameLowercased_ = name_.toLower();
    refreshFoldedName();
    foldedComment_ = folded(comment_);
    const QString currentPath = path_.get();
    if (!currentPath.isEmpty())
        pathLowercased_ = currentPath.toLower();
    initialized_.store(true);
}

void TableViewItem::refreshFoldedName()
{
    // Nearly always the folded name is the lower-case one: then they share.
    const QString foldedName = folded(name_);
    foldedName_ = foldedName == nameLowercased_ ? nameLowercased_ : foldedName;
    nameLowercasedFoldsAlike_ = folded(nameLowercased_) == foldedName_;
}

namespace {

// The latest searchable changes, oldest first, so that a search index can
// bring a few entries up to date instead of rebuilding itself whole.
struct SearchableChangeLog {
    static constexpr std::size_t capacity = 4096;
    std::mutex mutex;
    std::deque<std::pair<quint64, const TableViewItem*>> changes;
};

SearchableChangeLog& searchableChangeLog()
{
    static SearchableChangeLog log;
    return log;
}

} // namespace

void TableViewItem::noteSearchableChange() const
{
    SearchableChangeLog& log = searchableChangeLog();
    const std::lock_guard lock(log.mutex);
    // Counted under the log's lock, so that the log holds revisions in order.
    const quint64 revision = searchableRevision_.fetch_add(1, std::memory_order_acq_rel) + 1;
    log.changes.emplace_back(revision, this);
    if (log.changes.size() > SearchableChangeLog::capacity)
        log.changes.pop_front();
}

std::optional<std::vector<const TableViewItem*>> TableViewItem::searchableChangesSince(quint64 revision)
{
    SearchableChangeLog& log = searchableChangeLog();
    const std::lock_guard lock(log.mutex);
    std::vector<const TableViewItem*> changed;
    if (searchableRevision_.load(std::memory_order_acquire) <= revision)
        return changed;
    if (log.changes.empty() || log.changes.front().first > revision + 1)
        return std::nullopt; // the record no longer reaches back that far
    for (auto it = log.changes.rbegin(); it != log.changes.rend() && it->first > revision; ++it)
        changed.push_back(it->second);
    return changed;
}

void TableViewItem::storeTags(const QStringList& tags)
{
    QStringList foldedTags = foldedList(tags);
    tags_.set(tags);
    {
        std::unique_lock lock(fieldLock());
        std::swap(foldedTags_, foldedTags);
    }
    noteSearchableChange();
}

TableViewItem::Ptr TableViewItem::initForPath(const QString& path, const QString& name, ListviewItemType type,
                                              ListviewItemSource source)
{
    auto item = std::make_shared<TableViewItem>(Private{});
    item->path_.set(path);
    item->name_ = name;
    item->itemType_.store(type);
    item->itemSource_.store(source);
    item->finishInitialisation();
    return item;
}

TableViewItem::Ptr TableViewItem::initForSpotlightApp(const QString& path, const QString& name)
{
    return initForPath(path, name, ListviewItemType::application, ListviewItemSource::spotlight);
}

TableViewItem::Ptr TableViewItem::initForTag(const QString& tagName, const QString& name)
{
    return initForPath(tagName, name, ListviewItemType::tag, ListviewItemSource::tags);
}

TableViewItem::Ptr TableViewItem::initForURL(const QString& url, const QString& title, const QString& comment,
                                             ListviewItemSource source)
{
    auto item = std::make_shared<TableViewItem>(Private{});
    item->path_.set(url);
    item->name_ = title;
    item->comment_ = comment;
    item->itemType_.store(ListviewItemType::url);
    item->itemSource_.store(source);
    item->finishInitialisation();
    return item;
}

TableViewItem::Ptr TableViewItem::initForURL(const QString& url, const QString& title, const QString& comment)
{
    return initForURL(url, title, comment, ListviewItemSource::other);
}

TableViewItem::Ptr TableViewItem::initForShortcutsURL(const QString& url, const QString& title, const QString& comment)
{
    return initForURL(url, title, comment, ListviewItemSource::shortcuts);
}

TableViewItem::Ptr TableViewItem::initForExternalNonSpotlightObject(const QString& path)
{
    auto item = std::make_shared<TableViewItem>(Private{});
    item->path_.set(path);
    item->itemSource_.store(ListviewItemSource::other);
    const QString lastPathComponent = QFileInfo(path).fileName();
    switch (fileObjectKind(QUrl::fromLocalFile(path))) {
    case fileKindFolder:
        item->itemType_.store(ListviewItemType::folder);
        item->name_ = displayNameAtPath(path);
        break;
    case fileKindApplication:
        item->itemType_.store(ListviewItemType::application);
        item->name_ = displayNameAtPath(path);
        break;
    case fileKindUnreachable:
        item->itemType_.store(ListviewItemType::unknown);
        item->name_ = lastPathComponent;
        break;
    default:
        item->itemType_.store(ListviewItemType::file);
        item->name_ = lastPathComponent;
        break;
    }
    item->finishInitialisation();
    return item;
}

TableViewItem::Ptr TableViewItem::initWithCoder(platform::KeyedUnarchiver& coder)
{
    const auto name = coder.decodeString(QStringLiteral("name"));
    const auto path = coder.decodeString(QStringLiteral("path"));
    if (!name || !path) {
        VLOG(Logger::tableViewItem(), platform::LogType::Error, "Init of Entry failed!");
        return nullptr;
    }
    if (name->isEmpty() || path->isEmpty())
        return nullptr;

    auto item = std::make_shared<TableViewItem>(Private{});
    item->name_ = *name;
    item->path_.set(*path);

    if (const auto tags = coder.decodeArray(QStringLiteral("tags"))) {
        QStringList strings;
        bool allStrings = true;
        for (const QVariant& element : *tags) {
            if (element.typeId() != QMetaType::QString) {
                allStrings = false;
                break;
            }
            strings.append(element.toString());
        }
        if (allStrings)
            item->setTags(strings);
    }
    if (const QVariant comment = coder.decodeObject(QStringLiteral("comment")); comment.typeId() == QMetaType::QString)
        item->comment_ = comment.toString();
    if (const auto visible = decodeBoolObject(coder, QStringLiteral("isVisible")))
        item->isVisible_.store(*visible);
    // The clear colour, which older archives hold for a removed colour, is no colour.
    std::optional<platform::Color> color = coder.decodeColor(QStringLiteral("color"));
    if (color && color->alpha == 0)
        color.reset();
    item->color_ = heldValue(color);
    if (const auto combo = coder.decodeArchivable<KeyCombo>(QStringLiteral("hotkey")))
        item->hotkey_ = std::make_unique<const KeyCombo>(*combo);
    if (const auto favorite = decodeBoolObject(coder, QStringLiteral("favorite")))
        item->isFavorite_.store(*favorite);

    item->itemType_.store(
        listviewItemTypeFromRawValueOrUnknown(coder.decodeString(QStringLiteral("itemTypeRawValue")).value_or(QString())));
    item->itemSource_.store(listviewItemSourceFromRawValueOrOther(
        coder.decodeString(QStringLiteral("itemSourceRawValue")).value_or(QString())));
    item->isFoundBySpotlight_.store(false);
    item->isFoundByShortcutImport_.store(false);

    VLOG(Logger::tableViewItem(), platform::LogType::Default, "Decode and init TableViewItem for: %{public}@",
         QStringLiteral("Name: ") + *name + QStringLiteral(", Path: ") + *path + QStringLiteral(", Tags: [")
             + item->tags().join(QStringLiteral(", ")) + QStringLiteral("], Comment: ") + item->comment()
             + QStringLiteral(", itemType: ") + item->itemTypeRawValue() + QStringLiteral(", itemSource: ")
             + item->itemSourceRawValue());

    // What the path is now decides between folder, file and application;
    // a path that is gone or of another kind keeps the stored type.
    const ListviewItemType type = item->itemType();
    if (type == ListviewItemType::folder || type == ListviewItemType::file) {
        switch (fileObjectKind(QUrl::fromLocalFile(*path))) {
        case fileKindFolder: item->itemType_.store(ListviewItemType::folder); break;
        case fileKindApplication: item->itemType_.store(ListviewItemType::application); break;
        case fileKindPlainFile: item->itemType_.store(ListviewItemType::file); break;
        default: break;
        }
    } else if (type == ListviewItemType::url && (path->isEmpty() || !hasURLScheme(*path))) {
        item->itemType_.store(ListviewItemType::unknown);
    }
    if (item->itemSource() == ListviewItemSource::other)
        item->isVisible_.store(true);

    item->finishInitialisation();
    return item;
}

QString TableViewItem::archiveName()
{
    return QStringLiteral("Vantel.TableViewItem");
}

void TableViewItem::registerArchiveClass()
{
    static std::once_flag once;
    std::call_once(once, [] {
        KeyCombo::registerArchiveClass();
        platform::KeyedUnarchiver::registerClass(archiveName(), [](platform::KeyedUnarchiver& coder) {
            return std::static_pointer_cast<platform::Archivable>(initWithCoder(coder));
        });
    });
}

QSet<QString> TableViewItem::archiveClassNames()
{
    registerArchiveClass();
    return {archiveName(), KeyCombo::archiveName()};
}

// ---- Properties ----

QString TableViewItem::name() const
{
    std::shared_lock lock(fieldLock());
    return name_;
}

void TableViewItem::setName(const QString& name)
{
    const QString lowered = name.toLower();
    QString old;
    {
        std::unique_lock lock(fieldLock());
        old = std::exchange(name_, name);
        nameLowercased_ = lowered;
        refreshFoldedName();
    }
    if (old != name) {
        noteSearchableChange();
        itemChanged(TableViewItemChangeReason::nameChanged);
    }
}

QString TableViewItem::nameLowercased() const
{
    std::shared_lock lock(fieldLock());
    return nameLowercased_;
}

QString TableViewItem::caseFoldedName() const
{
    std::shared_lock lock(fieldLock());
    return foldedName_;
}

QString TableViewItem::caseFoldedComment() const
{
    std::shared_lock lock(fieldLock());
    return foldedComment_;
}

void TableViewItem::setPath(const QString& path)
{
    const QString old = path_.get();
    path_.set(path);
    const QString stored = path_.get();
    const QString lowered = stored.toLower();
    {
        std::unique_lock lock(fieldLock());
        pathLowercased_ = lowered;
    }
    if (old != stored)
        itemChanged(TableViewItemChangeReason::pathChanged);
}

QString TableViewItem::pathLowercased() const
{
    std::shared_lock lock(fieldLock());
    return pathLowercased_;
}

void TableViewItem::setTags(const QStringList& tags)
{
    const QStringList old = tags_.get();
    // Stored normalised, so that the entry and the tag list name a tag alike.
    storeTags(normalizeTagNames(tags));
    const QStringList stored = tags_.get();
    if (!containsSameElements(old, stored))
        itemChanged(TableViewItemChangeReason::tagChanged);
}

QString TableViewItem::comment() const
{
    std::shared_lock lock(fieldLock());
    return comment_;
}

void TableViewItem::setComment(const QString& comment)
{
    QString foldedComment = folded(comment);
    QString old;
    {
        std::unique_lock lock(fieldLock());
        old = std::exchange(comment_, comment);
        std::swap(foldedComment_, foldedComment);
    }
    if (old != comment) {
        noteSearchableChange();
        itemChanged(TableViewItemChangeReason::commentChanged);
    }
}

std::optional<platform::Color> TableViewItem::color() const
{
    std::shared_lock lock(fieldLock());
    return valueOf(color_);
}

void TableViewItem::setColor(const std::optional<platform::Color>& color)
{
    auto held = heldValue(color);
    {
        std::unique_lock lock(fieldLock());
        std::swap(color_, held);
    }
    if (optionalChanged(valueOf(held), color))
        itemChanged(TableViewItemChangeReason::colorChanged);
}

std::optional<KeyCombo> TableViewItem::hotkey() const
{
    std::shared_lock lock(fieldLock());
    return valueOf(hotkey_);
}

void TableViewItem::setHotkey(const std::optional<KeyCombo>& hotkey)
{
    auto held = heldValue(hotkey);
    {
        std::unique_lock lock(fieldLock());
        std::swap(hotkey_, held);
    }
    if (optionalChanged(valueOf(held), hotkey))
        itemChanged(TableViewItemChangeReason::hotkeyChanged);
}

void TableViewItem::setIsVisible(bool visible)
{
    // User-created entries cannot be hidden.
    if (itemSource() == ListviewItemSource::other) {
        if (!isVisible_.exchange(true))
            noteSearchableChange();
        return;
    }
    const bool old = isVisible_.exchange(visible);
    if (old != visible) {
        noteSearchableChange();
        itemChanged(TableViewItemChangeReason::visibilityChanged);
    }
    // Hiding drops the hotkey; an entry that was hidden already keeps the one
    // it has.
    if (old && !visible) {
        std::unique_ptr<const KeyCombo> dropped;
        {
            std::unique_lock lock(fieldLock());
            std::swap(hotkey_, dropped);
        }
        if (dropped)
            itemChanged(TableViewItemChangeReason::hotkeyChanged);
    }
}

void TableViewItem::setIsFavorite(bool favorite)
{
    if (isFavorite_.exchange(favorite) != favorite)
        itemChanged(TableViewItemChangeReason::favoriteChanged);
}

void TableViewItem::setItemTypeRawValue(const QString& raw)
{
    setItemType(listviewItemTypeFromRawValueOrUnknown(raw));
}

void TableViewItem::setItemSourceRawValue(const QString& raw)
{
    setItemSource(listviewItemSourceFromRawValueOrOther(raw));
}

std::optional<bool> TableViewItem::lastReachableCheck() const
{
    const qint8 check = lastReachableCheck_.load();
    return check < 0 ? std::nullopt : std::optional<bool>(check == 1);
}

std::optional<QDateTime> TableViewItem::lastReachableCheckDateTime() const
{
    const qint64 time = lastReachableCheckTime_.load();
    return time == noTime ? std::nullopt : std::optional<QDateTime>(QDateTime::fromMSecsSinceEpoch(time, QTimeZone::utc()));
}

void TableViewItem::itemChanged(TableViewItemChangeReason reason) const
{
    if (!initialized_.load())
        return;
    VLOG(Logger::tableViewItem(), platform::LogType::Default, "itemChanged - will post notification: %{public}@",
         rawValue(reason) + QStringLiteral(" [") + name() + QStringLiteral("]"));
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("tableViewItemChanged"),
                                                       TableViewItemChangedNotifyObject{path(), reason});
}

bool TableViewItem::isEqual(const TableViewItem& other) const
{
    if (this == &other)
        return true;
    if (path() != other.path() || name() != other.name())
        return false;
    if (optionalChanged(hotkey(), other.hotkey()))
        return false;
    if (comment() != other.comment())
        return false;
    if (optionalChanged(color(), other.color()))
        return false;
    if (!containsSameElements(tags(), other.tags()))
        return false;
    return isVisible() == other.isVisible() && isFavorite() == other.isFavorite()
        && itemSource() == other.itemSource();
}

QString TableViewItem::archiveClassName() const
{
    return archiveName();
}

void TableViewItem::encode(platform::KeyedArchiver& coder) const
{
    const auto colorValue = color();
    const auto combo = hotkey();
    coder.encodeObject(name(), keyNameName);
    coder.encodeObject(path(), keyNamePath);
    coder.encodeObject(tags(), keyNameTags);
    coder.encodeObject(comment(), keyNameComment);
    coder.encodeObject(itemTypeRawValue(), keyNameItemType);
    coder.encodeObject(itemSourceRawValue(), keyNameItemSource);
    coder.encodeObject(colorValue ? QVariant::fromValue(*colorValue) : QVariant(), keyNameColor);
    if (combo)
        coder.encodeArchivable(std::make_shared<KeyCombo>(*combo), keyNameHotkey);
    else
        coder.encodeObject(QVariant(), keyNameHotkey);
    coder.encodeObject(QVariant(isVisible()), keyNameVisible);
    coder.encodeObject(QVariant(isFavorite()), keyNameFavorite);
}

namespace {

// The keys of an entry, in the order of the key table.
enum EntryKey {
    keyName, keyNameLowercased, keyPath, keyPathLowercased, keyTags, keyComment, keyItemTypeRawValue,
    keyItemSourceRawValue, keyColor, keyHotkey, keyIsVisible, keyIsFavorite, keyLastUsedDate, keyLastModifiedDate,
    keyIsManuallyCreated, keyIsPhysicalEntry, keyCouldBeHidden, keyAcceptsDrop, keyShouldSavedToConfig,
    keyIsFoundBySpotlight, keyIsFoundByShortcutImport, keyIsFoundByTags, keyIsReachable, keyIsLaunched,
};

const platform::KeyTable& entryKeyTable()
{
    static const platform::KeyTable table(QStringList{
        QStringLiteral("name"), QStringLiteral("nameLowercased"), QStringLiteral("path"),
        QStringLiteral("pathLowercased"), QStringLiteral("tags"), QStringLiteral("comment"),
        QStringLiteral("itemTypeRawValue"), QStringLiteral("itemSourceRawValue"), QStringLiteral("color"),
        QStringLiteral("hotkey"), QStringLiteral("isVisible"), QStringLiteral("isFavorite"),
        QStringLiteral("lastUsedDate"), QStringLiteral("lastModifiedDate"), QStringLiteral("isManuallyCreated"),
        QStringLiteral("isPhysicalEntry"), QStringLiteral("couldBeHidden"), QStringLiteral("acceptsDrop"),
        QStringLiteral("shouldSavedToConfig"), QStringLiteral("isFoundBySpotlight"),
        QStringLiteral("isFoundByShortcutImport"), QStringLiteral("isFoundByTags"), QStringLiteral("isReachable"),
        QStringLiteral("isLaunched")});
    return table;
}

// The raw value of a type, made once per type rather than per question.
QString typeText(ListviewItemType type)
{
    static const QString folder = rawValue(ListviewItemType::folder);
    static const QString file = rawValue(ListviewItemType::file);
    static const QString application = rawValue(ListviewItemType::application);
    static const QString url = rawValue(ListviewItemType::url);
    static const QString tag = rawValue(ListviewItemType::tag);
    switch (type) {
    case ListviewItemType::folder: return folder;
    case ListviewItemType::file: return file;
    case ListviewItemType::application: return application;
    case ListviewItemType::url: return url;
    case ListviewItemType::tag: return tag;
    default: return rawValue(type);
    }
}

bool textMatches(const QString& folded, QStringView needle)
{
    return !needle.isEmpty() && folded.contains(needle);
}

} // namespace

QVariant TableViewItem::valueForKey(const QString& key) const
{
    return valueForKeyIndex(entryKeyTable().indexOf(key));
}

const platform::KeyTable* TableViewItem::keyTable() const
{
    return &entryKeyTable();
}

std::optional<bool> TableViewItem::boolForKeyIndex(int index) const
{
    switch (index) {
    case keyIsVisible: return isVisible();
    case keyIsFavorite: return isFavorite();
    case keyIsManuallyCreated: return isManuallyCreated();
    case keyIsPhysicalEntry: return isPhysicalEntry();
    case keyCouldBeHidden: return couldBeHidden();
    case keyAcceptsDrop: return acceptsDrop();
    case keyShouldSavedToConfig: return shouldSavedToConfig();
    case keyIsFoundBySpotlight: return isFoundBySpotlight();
    case keyIsFoundByShortcutImport: return isFoundByShortcutImport();
    case keyIsFoundByTags: return isFoundByTags();
    case keyIsReachable: return isReachable();
    case keyIsLaunched: return isLaunched();
    default: return std::nullopt;
    }
}

std::optional<bool> TableViewItem::textEqualsForKeyIndex(int index, QStringView text) const
{
    switch (index) {
    case keyItemTypeRawValue: return typeText(itemType()) == text;
    case keyItemSourceRawValue: return itemSourceRawValue() == text;
    default: return std::nullopt;
    }
}

std::optional<bool> TableViewItem::testCaseFoldedText(int index, QStringView foldedNeedle, TextQuery query) const
{
    std::shared_lock lock(fieldLock());
    switch (index) {
    case keyName: return textMatches(foldedName_, foldedNeedle);
    case keyNameLowercased:
        if (!nameLowercasedFoldsAlike_)
            return std::nullopt;
        return textMatches(foldedName_, foldedNeedle);
    case keyComment: return textMatches(foldedComment_, foldedNeedle);
    case keyTags:
        for (const QString& tag : foldedTags_) {
            if (query == TextQuery::Contains ? tag == foldedNeedle : textMatches(tag, foldedNeedle))
                return true;
        }
        return false;
    default: return std::nullopt;
    }
}

QVariant TableViewItem::valueForKeyIndex(int index) const
{
    if (const auto truth = boolForKeyIndex(index))
        return QVariant(*truth);
    switch (index) {
    case keyName: return QVariant(name());
    case keyNameLowercased: return QVariant(nameLowercased());
    case keyPath: return QVariant(path());
    case keyPathLowercased: return QVariant(pathLowercased());
    case keyTags: return QVariant(tags());
    case keyComment: return QVariant(comment());
    case keyItemTypeRawValue: return QVariant(typeText(itemType()));
    case keyItemSourceRawValue: return QVariant(itemSourceRawValue());
    case keyColor: {
        const auto c = color();
        return c ? QVariant::fromValue(*c) : QVariant();
    }
    case keyHotkey: {
        const auto combo = hotkey();
        return combo ? QVariant(combo->debugDescription()) : QVariant();
    }
    case keyLastUsedDate: {
        const auto date = lastUsedDate();
        return date ? QVariant(*date) : QVariant();
    }
    case keyLastModifiedDate: {
        const auto date = lastModifiedDate();
        return date ? QVariant(*date) : QVariant();
    }
    default: return {};
    }
}

} // namespace vantel
