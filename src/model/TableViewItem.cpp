#include "model/TableViewItem.h"

#include "graphics/FileObjectKind.h"
#include "model/Logger.h"
#include "model/PathUtilities.h"
#include "model/StringArrays.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "model/TagNames.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/NotificationCenter.h"

#include <QFileInfo>

namespace vantel {

namespace {

template <class T>
bool optionalChanged(const std::optional<T>& before, const std::optional<T>& after)
{
    if (before.has_value() != after.has_value())
        return true;
    return before.has_value() && !(*before == *after);
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
    {
        std::lock_guard lock(mutex_);
        if (!name_.isEmpty())
            nameLowercased_ = name_.toLower();
    }
    const QString currentPath = path_.get();
    if (!currentPath.isEmpty()) {
        std::lock_guard lock(mutex_);
        pathLowercased_ = currentPath.toLower();
    }
    initialized_.store(true);
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
    item->nameLowercased_ = name->toLower();
    item->path_.set(*path);
    item->pathLowercased_ = path->toLower();

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
    item->color_ = coder.decodeColor(QStringLiteral("color"));
    if (const auto combo = coder.decodeArchivable<KeyCombo>(QStringLiteral("hotkey")))
        item->hotkey_ = *combo;
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
    return readLocked(name_);
}

void TableViewItem::setName(const QString& name)
{
    QString old;
    {
        std::lock_guard lock(mutex_);
        old = std::exchange(name_, name);
        nameLowercased_ = name.toLower();
    }
    if (old != name)
        itemChanged(TableViewItemChangeReason::nameChanged);
}

QString TableViewItem::nameLowercased() const
{
    return readLocked(nameLowercased_);
}

void TableViewItem::setPath(const QString& path)
{
    const QString old = path_.get();
    path_.set(path);
    const QString stored = path_.get();
    {
        std::lock_guard lock(mutex_);
        pathLowercased_ = stored.toLower();
    }
    if (old != stored)
        itemChanged(TableViewItemChangeReason::pathChanged);
}

QString TableViewItem::pathLowercased() const
{
    return readLocked(pathLowercased_);
}

void TableViewItem::setTags(const QStringList& tags)
{
    const QStringList old = tags_.get();
    // Stored normalised, so that the entry and the tag list name a tag alike.
    tags_.set(normalizeTagNames(tags));
    const QStringList stored = tags_.get();
    if (!containsSameElements(old, stored))
        itemChanged(TableViewItemChangeReason::tagChanged);
}

QString TableViewItem::comment() const
{
    return readLocked(comment_);
}

void TableViewItem::setComment(const QString& comment)
{
    const QString old = exchangeLocked(comment_, comment);
    if (old != comment)
        itemChanged(TableViewItemChangeReason::commentChanged);
}

std::optional<platform::Color> TableViewItem::color() const
{
    return readLocked(color_);
}

void TableViewItem::setColor(const std::optional<platform::Color>& color)
{
    const std::optional<platform::Color> old = exchangeLocked(color_, color);
    if (optionalChanged(old, color))
        itemChanged(TableViewItemChangeReason::colorChanged);
}

std::optional<KeyCombo> TableViewItem::hotkey() const
{
    return readLocked(hotkey_);
}

void TableViewItem::setHotkey(const std::optional<KeyCombo>& hotkey)
{
    const std::optional<KeyCombo> old = exchangeLocked(hotkey_, hotkey);
    if (optionalChanged(old, hotkey))
        itemChanged(TableViewItemChangeReason::hotkeyChanged);
}

void TableViewItem::setIsVisible(bool visible)
{
    // User-created entries cannot be hidden.
    if (itemSource() == ListviewItemSource::other) {
        isVisible_.store(true);
        return;
    }
    const bool old = isVisible_.exchange(visible);
    if (old != visible)
        itemChanged(TableViewItemChangeReason::visibilityChanged);
    // Hiding drops the hotkey; an entry that was hidden already keeps the one
    // it has.
    if (old && !visible) {
        bool hadHotkey = false;
        {
            std::lock_guard lock(mutex_);
            hadHotkey = hotkey_.has_value();
            hotkey_.reset();
        }
        if (hadHotkey)
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
    std::lock_guard lock(reachabilityMutex_);
    return lastReachableCheck_;
}

std::optional<QDateTime> TableViewItem::lastReachableCheckDateTime() const
{
    std::lock_guard lock(reachabilityMutex_);
    return lastReachableCheckDateTime_;
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

QVariant TableViewItem::valueForKey(const QString& key) const
{
    static const QHash<QString, std::function<QVariant(const TableViewItem&)>> getters{
        {QStringLiteral("name"), [](const TableViewItem& i) { return QVariant(i.name()); }},
        {QStringLiteral("nameLowercased"), [](const TableViewItem& i) { return QVariant(i.nameLowercased()); }},
        {QStringLiteral("path"), [](const TableViewItem& i) { return QVariant(i.path()); }},
        {QStringLiteral("pathLowercased"), [](const TableViewItem& i) { return QVariant(i.pathLowercased()); }},
        {QStringLiteral("tags"), [](const TableViewItem& i) { return QVariant(i.tags()); }},
        {QStringLiteral("comment"), [](const TableViewItem& i) { return QVariant(i.comment()); }},
        {QStringLiteral("itemTypeRawValue"), [](const TableViewItem& i) { return QVariant(i.itemTypeRawValue()); }},
        {QStringLiteral("itemSourceRawValue"), [](const TableViewItem& i) { return QVariant(i.itemSourceRawValue()); }},
        {QStringLiteral("color"),
         [](const TableViewItem& i) {
             const auto c = i.color();
             return c ? QVariant::fromValue(*c) : QVariant();
         }},
        {QStringLiteral("hotkey"),
         [](const TableViewItem& i) {
             const auto combo = i.hotkey();
             return combo ? QVariant(combo->debugDescription()) : QVariant();
         }},
        {QStringLiteral("isVisible"), [](const TableViewItem& i) { return QVariant(i.isVisible()); }},
        {QStringLiteral("isFavorite"), [](const TableViewItem& i) { return QVariant(i.isFavorite()); }},
        {QStringLiteral("lastUsedDate"),
         [](const TableViewItem& i) {
             const auto date = i.lastUsedDate();
             return date ? QVariant(*date) : QVariant();
         }},
        {QStringLiteral("lastModifiedDate"),
         [](const TableViewItem& i) {
             const auto date = i.lastModifiedDate();
             return date ? QVariant(*date) : QVariant();
         }},
        {QStringLiteral("isManuallyCreated"), [](const TableViewItem& i) { return QVariant(i.isManuallyCreated()); }},
        {QStringLiteral("isPhysicalEntry"), [](const TableViewItem& i) { return QVariant(i.isPhysicalEntry()); }},
        {QStringLiteral("couldBeHidden"), [](const TableViewItem& i) { return QVariant(i.couldBeHidden()); }},
        {QStringLiteral("acceptsDrop"), [](const TableViewItem& i) { return QVariant(i.acceptsDrop()); }},
        {QStringLiteral("shouldSavedToConfig"), [](const TableViewItem& i) { return QVariant(i.shouldSavedToConfig()); }},
        {QStringLiteral("isFoundBySpotlight"), [](const TableViewItem& i) { return QVariant(i.isFoundBySpotlight()); }},
        {QStringLiteral("isFoundByShortcutImport"),
         [](const TableViewItem& i) { return QVariant(i.isFoundByShortcutImport()); }},
        {QStringLiteral("isFoundByTags"), [](const TableViewItem& i) { return QVariant(i.isFoundByTags()); }},
        {QStringLiteral("isReachable"), [](const TableViewItem& i) { return QVariant(i.isReachable()); }},
        {QStringLiteral("isLaunched"), [](const TableViewItem& i) { return QVariant(i.isLaunched()); }},
    };
    const auto it = getters.constFind(key);
    return it == getters.cend() ? QVariant() : it.value()(*this);
}

} // namespace vantel
