#include "model/TableViewItem.h"

#include "ModelTestSupport.h"
#include "support/TestSupport.h"
#include "platform/Log.h"
#include "platform/Predicate.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

using namespace vantel;
using namespace vantel::test;

namespace {

TableViewItem::Ptr decode(const QByteArray& data)
{
    return platform::KeyedUnarchiver::unarchive<TableViewItem>(data, modelClasses());
}

// An entry archive with the given keys and nothing else.
QByteArray entryArchive(const QVariantMap& keys)
{
    return archive(std::make_shared<HandMadeObject>(TableViewItem::archiveName(), [keys](platform::KeyedArchiver& c) {
        for (auto it = keys.cbegin(); it != keys.cend(); ++it)
            c.encodeObject(it.value(), it.key());
    }));
}

QString writeFile(const QString& dir, const QString& name, const QByteArray& content)
{
    QFile file(dir + QLatin1Char('/') + name);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    // Desktop entries as installed ones may be: executable by their owner.
    if (name.endsWith(QStringLiteral(".desktop")))
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return file.fileName();
}

} // namespace

TEST(TableViewItemArchive, EveryKeyRoundTrips)
{
    TableViewItem::registerArchiveClass();
    auto entry = TableViewItem::initForSpotlightApp(QStringLiteral("/nowhere/Editor.desktop"), QStringLiteral("Editor"));
    entry->setTags({QStringLiteral("Development"), QStringLiteral("Tools")});
    entry->setComment(QStringLiteral("my editor"));
    entry->setColor(platform::Color{0.25, 0.5, 0.75, 1.0});
    entry->setHotkey(KeyCombo::withCarbonModifiers(Key::keypadEnter, KeyCombo::commandKey | KeyCombo::controlKey));
    entry->setIsFavorite(true);
    entry->setIsVisible(false);  // hides and drops the hotkey
    entry->setHotkey(KeyCombo::withCarbonModifiers(Key::e, KeyCombo::optionKey));

    const QByteArray data = archive(entry);
    ASSERT_FALSE(data.isEmpty());
    auto decoded = decode(data);
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->isEqual(*entry));
    EXPECT_EQ(decoded->name(), QStringLiteral("Editor"));
    EXPECT_EQ(decoded->nameLowercased(), QStringLiteral("editor"));
    EXPECT_EQ(decoded->path(), QStringLiteral("/nowhere/Editor.desktop"));
    EXPECT_EQ(decoded->pathLowercased(), QStringLiteral("/nowhere/editor.desktop"));
    EXPECT_EQ(decoded->tags(), (QStringList{QStringLiteral("Development"), QStringLiteral("Tools")}));
    EXPECT_EQ(decoded->comment(), QStringLiteral("my editor"));
    EXPECT_EQ(decoded->color(), (platform::Color{0.25, 0.5, 0.75, 1.0}));
    EXPECT_EQ(decoded->hotkey(), KeyCombo::withCarbonModifiers(Key::e, KeyCombo::optionKey));
    EXPECT_FALSE(decoded->isVisible());
    EXPECT_TRUE(decoded->isFavorite());
    EXPECT_EQ(decoded->itemType(), ListviewItemType::application);
    EXPECT_EQ(decoded->itemSource(), ListviewItemSource::spotlight);
    EXPECT_TRUE(decoded->initialized());
    EXPECT_FALSE(decoded->lastUsedDate().has_value());
}

TEST(TableViewItemArchive, TheClearColourReadsAsNoColour)
{
    TableViewItem::registerArchiveClass();
    auto entry = TableViewItem::initForURL(QStringLiteral("https://example.org"), QStringLiteral("Example"), QString());
    entry->setColor(platform::Color{0, 0, 0, 0}); // what a removed colour used to be stored as
    auto decoded = decode(archive(entry));
    ASSERT_TRUE(decoded);
    EXPECT_FALSE(decoded->color().has_value());
    entry->setColor(platform::Color{1, 0, 0, 0.5});
    decoded = decode(archive(entry));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->color(), (platform::Color{1, 0, 0, 0.5}));
}

TEST(TableViewItemArchive, TheArchiveHoldsTheClassAndKeysAnotherReaderSees)
{
    auto entry = TableViewItem::initForURL(QStringLiteral("https://example.org"), QStringLiteral("Example"), QString());
    const QString file = writeFile(makeTempDir(QStringLiteral("entry-archive")), QStringLiteral("entry.plist"), archive(entry));
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QStringLiteral(R"(
import plistlib, sys
a = plistlib.load(open(sys.argv[1], 'rb'))
objs = a['$objects']
root = objs[a['$top']['root'].data]
print(objs[root['$class'].data]['$classname'])
print(' '.join(k for k in root if k != '$class'))
)"), file});
    ASSERT_TRUE(python.waitForFinished(int(vantel::test::longWait.count())));
    const QStringList lines = QString::fromUtf8(python.readAllStandardOutput()).split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 2) << python.readAllStandardError().constData();
    EXPECT_EQ(lines.at(0), QStringLiteral("Vantel.TableViewItem"));
    QStringList keys = lines.at(1).split(QLatin1Char(' '));
    keys.sort();
    QStringList expected{QStringLiteral("name"), QStringLiteral("path"), QStringLiteral("tags"), QStringLiteral("comment"),
                         QStringLiteral("itemTypeRawValue"), QStringLiteral("itemSourceRawValue"), QStringLiteral("color"),
                         QStringLiteral("hotkey"), QStringLiteral("isVisible"), QStringLiteral("favorite")};
    expected.sort();
    EXPECT_EQ(keys, expected);
}

TEST(TableViewItemArchive, MissingOptionalKeysKeepTheDefaults)
{
    auto entry = decode(entryArchive({{QStringLiteral("name"), QStringLiteral("Site")},
                                      {QStringLiteral("path"), QStringLiteral("https://example.org")},
                                      {QStringLiteral("itemTypeRawValue"), QStringLiteral("url")},
                                      {QStringLiteral("itemSourceRawValue"), QStringLiteral("spotlight")}}));
    ASSERT_TRUE(entry);
    EXPECT_TRUE(entry->tags().isEmpty());
    EXPECT_TRUE(entry->comment().isEmpty());
    EXPECT_FALSE(entry->color().has_value());
    EXPECT_FALSE(entry->hotkey().has_value());
    EXPECT_TRUE(entry->isVisible());
    EXPECT_FALSE(entry->isFavorite());
    EXPECT_EQ(entry->itemType(), ListviewItemType::url);

    // Values of the wrong type count as missing.
    auto wrongTypes = decode(entryArchive({{QStringLiteral("name"), QStringLiteral("Site")},
                                           {QStringLiteral("path"), QStringLiteral("https://example.org")},
                                           {QStringLiteral("tags"), QStringLiteral("not a list")},
                                           {QStringLiteral("comment"), 42},
                                           {QStringLiteral("isVisible"), QStringLiteral("no")},
                                           {QStringLiteral("itemSourceRawValue"), QStringLiteral("spotlight")}}));
    ASSERT_TRUE(wrongTypes);
    EXPECT_TRUE(wrongTypes->tags().isEmpty());
    EXPECT_TRUE(wrongTypes->comment().isEmpty());
    EXPECT_TRUE(wrongTypes->isVisible());
}

TEST(TableViewItemArchive, UnknownTypeAndSourceTextsBecomeUnknownAndOther)
{
    auto entry = decode(entryArchive({{QStringLiteral("name"), QStringLiteral("Thing")},
                                      {QStringLiteral("path"), QStringLiteral("/some/thing")},
                                      {QStringLiteral("itemTypeRawValue"), QStringLiteral("gadget")},
                                      {QStringLiteral("itemSourceRawValue"), QStringLiteral("Spotlight")}}));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->itemType(), ListviewItemType::unknown);
    EXPECT_EQ(entry->itemSource(), ListviewItemSource::other);

    auto noRawValues = decode(entryArchive({{QStringLiteral("name"), QStringLiteral("Thing")},
                                            {QStringLiteral("path"), QStringLiteral("/some/thing")}}));
    ASSERT_TRUE(noRawValues);
    EXPECT_EQ(noRawValues->itemType(), ListviewItemType::unknown);
    EXPECT_EQ(noRawValues->itemSource(), ListviewItemSource::other);
}

TEST(TableViewItemArchive, ABadNameOrPathGivesNoEntry)
{
    platform::Log::setDebugLogging(true);
    platform::Log::CaptureSink sink;

    EXPECT_FALSE(decode(entryArchive({{QStringLiteral("name"), QString()}, {QStringLiteral("path"), QStringLiteral("/x")}})));
    EXPECT_FALSE(decode(entryArchive({{QStringLiteral("name"), QStringLiteral("n")}, {QStringLiteral("path"), QString()}})));
    EXPECT_FALSE(sink.messages().contains(QStringLiteral("Init of Entry failed!")));

    EXPECT_FALSE(decode(entryArchive({{QStringLiteral("path"), QStringLiteral("/x")}})));
    EXPECT_FALSE(decode(entryArchive({{QStringLiteral("name"), 7}, {QStringLiteral("path"), QStringLiteral("/x")}})));
    platform::Log::setDebugLogging(false);
    EXPECT_EQ(sink.messages().count(QStringLiteral("Init of Entry failed!")), 2);
}

TEST(TableViewItemArchive, TheDecodeLogLineListsTheEntry)
{
    platform::Log::setDebugLogging(true);
    platform::Log::CaptureSink sink;
    auto entry = decode(entryArchive({{QStringLiteral("name"), QStringLiteral("N")},
                                      {QStringLiteral("path"), QStringLiteral("https://x.org")},
                                      {QStringLiteral("tags"), QStringList{QStringLiteral("a"), QStringLiteral("b")}},
                                      {QStringLiteral("comment"), QStringLiteral("c")},
                                      {QStringLiteral("itemTypeRawValue"), QStringLiteral("url")},
                                      {QStringLiteral("itemSourceRawValue"), QStringLiteral("other")}}));
    platform::Log::setDebugLogging(false);
    ASSERT_TRUE(entry);
    EXPECT_TRUE(sink.messages().contains(QStringLiteral(
        "Decode and init TableViewItem for: Name: N, Path: https://x.org, Tags: [a, b], Comment: c, itemType: url, itemSource: other")));
}

TEST(TableViewItemArchive, TheTypeIsCorrectedFromWhatThePathIsNow)
{
    const QString dir = makeTempDir(QStringLiteral("type-correction"));
    const QString app = writeFile(dir, QStringLiteral("tool.desktop"), "[Desktop Entry]\nType=Application\nName=Tool\nExec=tool\n");
    const auto withType = [](const QString& path, const QString& type, const QString& source) {
        return decode(entryArchive({{QStringLiteral("name"), QStringLiteral("n")}, {QStringLiteral("path"), path},
                                    {QStringLiteral("itemTypeRawValue"), type},
                                    {QStringLiteral("itemSourceRawValue"), source}}));
    };
    EXPECT_EQ(withType(app, QStringLiteral("folder"), QStringLiteral("other"))->itemType(), ListviewItemType::application);
    EXPECT_EQ(withType(dir, QStringLiteral("file"), QStringLiteral("other"))->itemType(), ListviewItemType::folder);
    EXPECT_EQ(withType(dir + QStringLiteral("/gone"), QStringLiteral("folder"), QStringLiteral("other"))->itemType(),
              ListviewItemType::folder);
    EXPECT_EQ(withType(QStringLiteral("example.org"), QStringLiteral("url"), QStringLiteral("other"))->itemType(),
              ListviewItemType::unknown);
    EXPECT_EQ(withType(app, QStringLiteral("application"), QStringLiteral("spotlight"))->itemType(),
              ListviewItemType::application);

    // A hidden user entry comes back visible.
    auto hidden = decode(entryArchive({{QStringLiteral("name"), QStringLiteral("n")}, {QStringLiteral("path"), dir},
                                       {QStringLiteral("isVisible"), false},
                                       {QStringLiteral("itemSourceRawValue"), QStringLiteral("other")}}));
    ASSERT_TRUE(hidden);
    EXPECT_TRUE(hidden->isVisible());
}

TEST(TableViewItem, InitialisersSetTypeSourceAndLowerCaseCopies)
{
    EntryRecorder recorder(QStringLiteral("tableViewItemChanged"));
    auto tag = TableViewItem::initForTag(QStringLiteral("Dev|Tools"), QStringLiteral("Tag [Dev|Tools]"));
    EXPECT_EQ(tag->itemType(), ListviewItemType::tag);
    EXPECT_EQ(tag->itemSource(), ListviewItemSource::tags);
    EXPECT_EQ(tag->pathLowercased(), QStringLiteral("dev|tools"));
    auto shortcut = TableViewItem::initForShortcutsURL(QStringLiteral("shortcuts://run-shortcut?name=A"), QStringLiteral("A"),
                                                       QStringLiteral("c"));
    EXPECT_EQ(shortcut->itemType(), ListviewItemType::url);
    EXPECT_EQ(shortcut->itemSource(), ListviewItemSource::shortcuts);
    EXPECT_EQ(shortcut->comment(), QStringLiteral("c"));
    auto empty = TableViewItem::initForURL(QString(), QString(), QString());
    EXPECT_TRUE(empty->nameLowercased().isEmpty());

    const QString dir = makeTempDir(QStringLiteral("external"));
    const QString file = writeFile(dir, QStringLiteral("Notes.TXT"), "x");
    auto folder = TableViewItem::initForExternalNonSpotlightObject(dir);
    EXPECT_EQ(folder->itemType(), ListviewItemType::folder);
    EXPECT_EQ(folder->name(), QFileInfo(dir).fileName());
    auto plain = TableViewItem::initForExternalNonSpotlightObject(file);
    EXPECT_EQ(plain->itemType(), ListviewItemType::file);
    EXPECT_EQ(plain->name(), QStringLiteral("Notes.TXT"));
    EXPECT_EQ(plain->nameLowercased(), QStringLiteral("notes.txt"));
    EXPECT_EQ(plain->itemSource(), ListviewItemSource::other);
    auto gone = TableViewItem::initForExternalNonSpotlightObject(dir + QStringLiteral("/gone.bin"));
    EXPECT_EQ(gone->itemType(), ListviewItemType::unknown);
    EXPECT_EQ(gone->name(), QStringLiteral("gone.bin"));
    const QString app = writeFile(dir, QStringLiteral("viewer.desktop"),
                                  "[Desktop Entry]\nType=Application\nName=Image Viewer\nExec=viewer %F\n");
    auto application = TableViewItem::initForExternalNonSpotlightObject(app);
    EXPECT_EQ(application->itemType(), ListviewItemType::application);
    EXPECT_EQ(application->name(), QStringLiteral("Image Viewer"));

    EXPECT_TRUE(recorder.objects.isEmpty());
}

TEST(TableViewItem, SettersPostOnlyRealChangesWithPathAndReason)
{
    auto entry = TableViewItem::initForSpotlightApp(QStringLiteral("/apps/A.desktop"), QStringLiteral("A"));
    entry->setTags({QStringLiteral("a"), QStringLiteral("b")});
    EntryRecorder recorder(QStringLiteral("tableViewItemChanged"));

    entry->setTags({QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("a")});
    EXPECT_TRUE(recorder.objects.isEmpty());
    entry->setTags({QStringLiteral("a")});
    entry->setComment(QStringLiteral("c"));
    entry->setComment(QStringLiteral("c"));
    entry->setColor(platform::Color{1, 0, 0, 1});
    entry->setColor(platform::Color{1, 0, 0, 1});
    entry->setColor(std::nullopt);
    entry->setIsFavorite(true);
    entry->setIsFavorite(true);
    entry->setName(QStringLiteral("B"));
    entry->setPath(QStringLiteral("/apps/B.desktop"));
    entry->setPath(QStringLiteral("/apps/B.desktop"));
    entry->setItemTypeRawValue(QStringLiteral("no such type"));
    entry->setItemSourceRawValue(QStringLiteral("no such source"));
    entry->setLastUsedDate(QDateTime::currentDateTimeUtc());

    using R = TableViewItemChangeReason;
    const QList<R> expected{R::tagChanged, R::commentChanged, R::colorChanged, R::colorChanged,
                            R::favoriteChanged, R::nameChanged, R::pathChanged};
    ASSERT_EQ(recorder.objects.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_EQ(recorder.objects.at(i).reason, expected.at(i)) << i;
    EXPECT_EQ(recorder.objects.at(0).path, QStringLiteral("/apps/A.desktop"));
    EXPECT_EQ(recorder.objects.last().path, QStringLiteral("/apps/B.desktop"));
    EXPECT_EQ(recorder.foreignObjects, 0);
    EXPECT_EQ(entry->nameLowercased(), QStringLiteral("b"));
    EXPECT_EQ(entry->pathLowercased(), QStringLiteral("/apps/b.desktop"));
    EXPECT_EQ(entry->itemType(), ListviewItemType::unknown);
    EXPECT_EQ(entry->itemSource(), ListviewItemSource::other);
}

TEST(TableViewItem, HidingDropsTheHotkeyAndUserEntriesStayVisible)
{
    auto entry = TableViewItem::initForSpotlightApp(QStringLiteral("/apps/A.desktop"), QStringLiteral("A"));
    entry->setHotkey(KeyCombo::withCarbonModifiers(Key::a, KeyCombo::commandKey));
    EntryRecorder recorder(QStringLiteral("tableViewItemChanged"));
    entry->setHotkey(KeyCombo::withCarbonModifiers(Key::a, KeyCombo::commandKey));
    EXPECT_TRUE(recorder.objects.isEmpty());
    entry->setIsVisible(false);
    ASSERT_EQ(recorder.objects.size(), 2);
    EXPECT_EQ(recorder.objects.at(0).reason, TableViewItemChangeReason::visibilityChanged);
    EXPECT_EQ(recorder.objects.at(1).reason, TableViewItemChangeReason::hotkeyChanged);
    EXPECT_FALSE(entry->hotkey().has_value());

    // Hidden already: hiding again leaves a hotkey set since then alone.
    entry->setHotkey(KeyCombo::withCarbonModifiers(Key::b, KeyCombo::commandKey));
    recorder.objects.clear();
    entry->setIsVisible(false);
    EXPECT_TRUE(recorder.objects.isEmpty());
    EXPECT_TRUE(entry->hotkey().has_value());

    auto user = TableViewItem::initForURL(QStringLiteral("https://x.org"), QStringLiteral("X"), QString());
    recorder.objects.clear();
    user->setIsVisible(false);
    EXPECT_TRUE(user->isVisible());
    EXPECT_TRUE(recorder.objects.isEmpty());
}

TEST(TableViewItem, EqualityIgnoresTypeAndDates)
{
    auto a = TableViewItem::initForPath(QStringLiteral("/p"), QStringLiteral("N"), ListviewItemType::file,
                                        ListviewItemSource::other);
    auto b = TableViewItem::initForPath(QStringLiteral("/p"), QStringLiteral("N"), ListviewItemType::folder,
                                        ListviewItemSource::other);
    b->setLastUsedDate(QDateTime::currentDateTimeUtc());
    b->setIsFoundBySpotlight(true);
    EXPECT_TRUE(a->isEqual(*b));
    b->setTags({QStringLiteral("x"), QStringLiteral("x")});
    a->setTags({QStringLiteral("x")});
    EXPECT_TRUE(a->isEqual(*b));
    b->setComment(QStringLiteral("c"));
    EXPECT_FALSE(a->isEqual(*b));
    auto c = TableViewItem::initForPath(QStringLiteral("/P"), QStringLiteral("N"), ListviewItemType::file,
                                        ListviewItemSource::other);
    EXPECT_FALSE(a->isEqual(*c));
    auto d = TableViewItem::initForPath(QStringLiteral("/p"), QStringLiteral("N"), ListviewItemType::file,
                                        ListviewItemSource::spotlight);
    d->setTags({QStringLiteral("x")});
    EXPECT_FALSE(a->isEqual(*d));
}

TEST(TableViewItem, KeyValueSurfaceAnswersThePredicateNames)
{
    auto entry = TableViewItem::initForURL(QStringLiteral("https://x.org"), QStringLiteral("Site"), QStringLiteral("c"));
    entry->setTags({QStringLiteral("t")});
    EXPECT_EQ(entry->valueForKey(QStringLiteral("nameLowercased")).toString(), QStringLiteral("site"));
    EXPECT_EQ(entry->valueForKey(QStringLiteral("tags")).toStringList(), QStringList{QStringLiteral("t")});
    EXPECT_EQ(entry->valueForKey(QStringLiteral("itemTypeRawValue")).toString(), QStringLiteral("url"));
    EXPECT_EQ(entry->valueForKey(QStringLiteral("itemSourceRawValue")).toString(), QStringLiteral("other"));
    EXPECT_TRUE(entry->valueForKey(QStringLiteral("isReachable")).toBool());
    EXPECT_TRUE(entry->valueForKey(QStringLiteral("isVisible")).toBool());
    EXPECT_TRUE(entry->valueForKey(QStringLiteral("isManuallyCreated")).toBool());
    EXPECT_FALSE(entry->valueForKey(QStringLiteral("couldBeHidden")).toBool());
    EXPECT_FALSE(entry->valueForKey(QStringLiteral("isLaunched")).toBool());
    EXPECT_FALSE(entry->valueForKey(QStringLiteral("lastUsedDate")).isValid());
    EXPECT_FALSE(entry->valueForKey(QStringLiteral("noSuchKey")).isValid());
}

TEST(TableViewItem, PredicatesAnswerAsOverThePlainValuesAndFollowEveryChange)
{
    // Read by key number and from the folded copies, an entry must answer
    // as a map of its plain values does, also after each kind of change.
    auto entry = TableViewItem::initForURL(QStringLiteral("https://x.org"), QStringLiteral("Straße Ärger"),
                                           QStringLiteral("Old Note"), ListviewItemSource::spotlight);
    entry->setTags({QStringLiteral("Work|Web"), QStringLiteral("HOME")});
    const QStringList formats{
        "name contains[c] 'STRASSE'", "name contains[c] 'straße'", "name contains[c] 'ärg'", "name contains[c] ''",
        "nameLowercased contains[c] 'ÄRGER'", "comment contains[c] 'note'", "comment contains[c] 'new'",
        "tags contains[c] 'home'", "tags contains[c] 'web'", "ANY tags contains[c] 'WEB'", "ANY tags contains[c] ''",
        "isVisible = true", "isVisible == 0", "isReachable = true AND NOT itemTypeRawValue = 'tag'",
        "itemTypeRawValue = 'url'", "itemTypeRawValue != 'URL'", "itemSourceRawValue = 'spotlight'",
    };
    const auto plainValues = [&entry] {
        QVariantMap values;
        for (const char* key : {"name", "nameLowercased", "comment", "tags", "isVisible", "isReachable",
                                "itemTypeRawValue", "itemSourceRawValue"})
            values.insert(QString::fromLatin1(key), entry->valueForKey(QString::fromLatin1(key)));
        return QVariant(values);
    };
    const auto check = [&](const char* stage) {
        const QVariant plain = plainValues();
        for (const QString& format : formats) {
            const auto predicate = platform::Predicate::fromFormat(format);
            ASSERT_TRUE(predicate) << format.toStdString();
            EXPECT_EQ(predicate->evaluate(*entry), predicate->evaluate(plain)) << stage << ": " << format.toStdString();
        }
    };
    check("new");
    entry->setName(QStringLiteral("Plain"));
    entry->setComment(QStringLiteral("NEW note"));
    check("renamed");
    entry->setTags({QStringLiteral("web")});
    entry->setIsVisible(false);
    check("retagged");
    entry->renameTag(QStringLiteral("web"), QStringLiteral("Home"));
    check("tag renamed");
    entry->deleteTag(QStringLiteral("Home"));
    check("tag deleted");
    EXPECT_TRUE(platform::Predicate::fromFormat("name contains[c] 'PLAIN'")->evaluate(*entry));
    EXPECT_FALSE(platform::Predicate::fromFormat("name contains[c] 'strasse'")->evaluate(*entry));
}
