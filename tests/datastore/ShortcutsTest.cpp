#include "DatastoreTestSupport.h"

#include "datastore/Shortcuts.h"

#include <QFile>

using namespace vantel;

namespace {

// A stand-in for the listing tool: prints the file "list" beside it, writes
// "errors" to stderr and exits with the code in "exit".
class ShortcutsTest : public test::DatastoreTest {
protected:
    void SetUp() override
    {
        test::DatastoreTest::SetUp();
        folder = test::makeTempDir(QStringLiteral("shortcuts-tool"));
        tool = folder + QStringLiteral("/shortcuts");
        writeFile(tool, "#!/bin/sh\n"
                        "dir=$(dirname \"$0\")\n"
                        "[ \"$1\" = list ] || exit 64\n"
                        "cat \"$dir/list\"\n"
                        "[ -s \"$dir/errors\" ] && cat \"$dir/errors\" >&2\n"
                        "exit $(cat \"$dir/exit\")\n");
        QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        setOutput({});
        setErrors(QString());
        setExitCode(0);
        shortcuts = std::make_unique<Shortcuts>(*store, tool);
    }

    static void writeFile(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
    void setOutput(const QStringList& names)
    {
        writeFile(folder + QStringLiteral("/list"), names.isEmpty() ? QByteArray() : (names.join('\n') + '\n').toUtf8());
    }
    void setErrors(const QString& text) { writeFile(folder + QStringLiteral("/errors"), text.toUtf8()); }
    void setExitCode(int code) { writeFile(folder + QStringLiteral("/exit"), QByteArray::number(code)); }

    QStringList shortcutPaths() const
    {
        QStringList paths;
        for (const auto& entry : store->allData()->snapshot())
            if (entry->itemSource() == ListviewItemSource::shortcuts)
                paths.append(entry->path());
        return paths;
    }
    static QString runURL(const QString& encoded) { return QStringLiteral("shortcuts://run-shortcut?name=") + encoded; }

    QString folder;
    QString tool;
    std::unique_ptr<Shortcuts> shortcuts;
};

TEST_F(ShortcutsTest, ListedNamesBecomeRunURLEntries)
{
    const QStringList names = {QStringLiteral("Morning Routine"), QStringLiteral("Tom & Jerry"), QStringLiteral("Why?"),
                               QStringLiteral("Grüße 100%"), QStringLiteral("Plain42")};
    setOutput(names);
    shortcuts->importShortcuts();

    EXPECT_EQ(shortcutPaths(), (QStringList{runURL(QStringLiteral("Morning%20Routine")),
                                            runURL(QStringLiteral("Tom%20%26%20Jerry")), runURL(QStringLiteral("Why%3F")),
                                            runURL(QStringLiteral("Gr%C3%BC%C3%9Fe%20100%25")),
                                            runURL(QStringLiteral("Plain42"))}));
    const auto entry = store->entryForPath(runURL(QStringLiteral("Tom%20%26%20Jerry")));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name(), QStringLiteral("Tom & Jerry"));
    EXPECT_EQ(entry->itemType(), ListviewItemType::url);
    EXPECT_TRUE(entry->comment().isEmpty());
    EXPECT_TRUE(entry->isFoundByShortcutImport());
    EXPECT_EQ(shortcuts->shortcutsComplete.get(), names);
    EXPECT_EQ(postedAmong({QStringLiteral("dataStorageRebuildIsFinished"), QStringLiteral("datastorageURLAddedOrModified")}),
              (QStringList{QStringLiteral("dataStorageRebuildIsFinished"), QStringLiteral("datastorageURLAddedOrModified")}));
    EXPECT_TRUE(dialogs->alerts().isEmpty());
}

TEST_F(ShortcutsTest, ReimportKeepsEntriesTrashesRemovedOnesAndFoldsCase)
{
    setOutput({QStringLiteral("Focus"), QStringLiteral("FOCUS"), QStringLiteral("Lights Off"), QStringLiteral("Timer")});
    shortcuts->importShortcuts();
    // Names differing in case only give one entry, the first one listed.
    EXPECT_EQ(shortcutPaths(),
              (QStringList{runURL(QStringLiteral("Focus")), runURL(QStringLiteral("Lights%20Off")), runURL(QStringLiteral("Timer"))}));
    const auto before = store->allData()->snapshot();

    // The same list again adds nothing, marks everything and still announces.
    for (const auto& entry : before)
        entry->setIsFoundByShortcutImport(false);
    posted.clear();
    shortcuts->importShortcuts();
    EXPECT_EQ(store->allData()->snapshot(), before);
    for (const auto& entry : before)
        EXPECT_TRUE(entry->isFoundByShortcutImport());
    EXPECT_EQ(postedAmong({QStringLiteral("dataStorageRebuildIsFinished"), QStringLiteral("datastorageURLAddedOrModified")}),
              (QStringList{QStringLiteral("dataStorageRebuildIsFinished"), QStringLiteral("datastorageURLAddedOrModified")}));

    // A shortcut deleted meanwhile goes to the trash; other entries stay.
    auto web = TableViewItem::initForURL(QStringLiteral("https://example.org"), QStringLiteral("Web"), QString());
    store->allData()->append(web);
    setOutput({QStringLiteral("Focus"), QStringLiteral("Timer")});
    shortcuts->importShortcuts();
    EXPECT_EQ(shortcutPaths(), (QStringList{runURL(QStringLiteral("Focus")), runURL(QStringLiteral("Timer"))}));
    ASSERT_EQ(store->trashData().size(), 1);
    EXPECT_EQ(store->trashData().first()->name(), QStringLiteral("Lights Off"));
    EXPECT_TRUE(store->entryForPath(QStringLiteral("https://example.org")));
}

TEST_F(ShortcutsTest, AFailingToolLeavesTheCatalogueAsItWas)
{
    setOutput({QStringLiteral("Keep Me")});
    shortcuts->importShortcuts();
    const auto entries = store->allData()->snapshot();
    ASSERT_EQ(entries.size(), 1);
    setOutput({QStringLiteral("Other")});

    const auto expectUntouched = [&](const char* what) {
        SCOPED_TRACE(what);
        EXPECT_EQ(store->allData()->snapshot(), entries);
        EXPECT_TRUE(entries.first()->isFoundByShortcutImport());
        EXPECT_TRUE(store->trashData().isEmpty());
        EXPECT_TRUE(postedAmong({QStringLiteral("dataStorageRebuildIsFinished"),
                                 QStringLiteral("datastorageURLAddedOrModified")})
                        .isEmpty());
        EXPECT_EQ(shortcuts->shortcutsComplete.get(), QStringList{QStringLiteral("Keep Me")});
    };

    posted.clear();
    const QString missing = folder + QStringLiteral("/no-such-tool");
    Shortcuts(*store, missing).importShortcuts();
    ASSERT_EQ(dialogs->alerts().size(), 1);
    EXPECT_EQ(dialogs->alerts().last().messageText, missing + QStringLiteral(" not found!"));
    EXPECT_EQ(dialogs->alerts().last().informativeText, QStringLiteral("The File needed to get the shortcuts was not found"));
    expectUntouched("missing tool");

    setExitCode(3);
    shortcuts->importShortcuts();
    ASSERT_EQ(dialogs->alerts().size(), 2);
    EXPECT_EQ(dialogs->alerts().last().messageText, QStringLiteral("Invalid Exit-Code"));
    EXPECT_EQ(dialogs->alerts().last().informativeText, tool + QStringLiteral(" returned an invalid exit code"));
    expectUntouched("exit status");

    setExitCode(0);
    setErrors(QStringLiteral("first problem\nsecond problem\n"));
    shortcuts->importShortcuts();
    ASSERT_EQ(dialogs->alerts().size(), 3);
    EXPECT_EQ(dialogs->alerts().last().messageText, tool + QStringLiteral(" returned an error"));
    EXPECT_EQ(dialogs->alerts().last().informativeText, QStringLiteral("first problem\nsecond problem"));
    expectUntouched("error output");

    setErrors(QString());
    setOutput({});
    shortcuts->importShortcuts();
    writeFile(folder + QStringLiteral("/list"), "\n\n");
    shortcuts->importShortcuts();
    EXPECT_EQ(dialogs->alerts().size(), 3);
    expectUntouched("empty output");
}

TEST_F(ShortcutsTest, ABusyStoreChangesNothing)
{
    setOutput({QStringLiteral("One"), QStringLiteral("Two")});
    shortcuts->importShortcuts();
    const auto entries = store->allData()->snapshot();
    ASSERT_EQ(entries.size(), 2);

    setOutput({QStringLiteral("Three")});
    store->setState(DatastorageState::rebuildData);
    posted.clear();
    log.clear();
    shortcuts->importShortcuts();
    store->setState(DatastorageState::idle);

    EXPECT_EQ(store->allData()->snapshot(), entries);
    for (const auto& entry : entries)
        EXPECT_TRUE(entry->isFoundByShortcutImport());
    EXPECT_TRUE(store->trashData().isEmpty());
    EXPECT_FALSE(posted.contains(QStringLiteral("datastorageURLAddedOrModified")));
    const auto records = log.records();
    EXPECT_TRUE(std::any_of(records.cbegin(), records.cend(), [](const platform::Log::Record& r) {
        return r.type == platform::LogType::Fault && r.message.startsWith(QStringLiteral("! importShortcuts"));
    }));
}

} // namespace
