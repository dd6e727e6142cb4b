#include "ChildProcess.h"
#include "ConfigTestSupport.h"

#include "config/ExportImportManager.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace vantel::test {

TEST_F(ConfigTest, CsvFieldsReadBackWithAStandardReader)
{
    ExportImportManager manager(*config);
    auto tricky = TableViewItem::initForURL(QStringLiteral("https://example.org/q?a=1,b=2"),
                                            QStringLiteral("Report, \"final\"\nsecond line"),
                                            QStringLiteral("comment with \"quotes\", commas\nand lines"),
                                            ListviewItemSource::other);
    tricky->setTags({QStringLiteral("Work"), QStringLiteral("Ünïcode|Sub")});
    tricky->setHotkey(KeyCombo::withCarbonModifiers(Key::k, KeyCombo::commandKey | KeyCombo::shiftKey));
    auto bare = TableViewItem::initForURL(QStringLiteral("https://example.org/b"), QStringLiteral("b"), QString(),
                                          ListviewItemSource::other);
    auto entries = SynchronizedArray<TableViewItemPtr>::create({tricky, bare});
    const QString path = dir + QStringLiteral("/list.csv");
    ASSERT_TRUE(manager.exportData().writeCSV(path, entries));
    EXPECT_EQ(manager.state(), ExportImportManagerState::idle);

    const QString rows = runPython(QStringLiteral(R"(
import csv, json, sys
with open(sys.argv[1], newline="", encoding="utf-8") as f:
    print(json.dumps(list(csv.reader(f))))
)"),
                                   {path});
    const QJsonArray table = QJsonDocument::fromJson(rows.toUtf8()).array();
    ASSERT_EQ(table.size(), 3);
    EXPECT_EQ(table[0].toVariant().toStringList(),
              (QStringList{QStringLiteral("Name"), QStringLiteral("Path"), QStringLiteral("Tags"), QStringLiteral("Hotkey"),
                           QStringLiteral("Comment")}));
    EXPECT_EQ(table[1].toVariant().toStringList(),
              (QStringList{tricky->name(), tricky->path(), QStringLiteral("Work,Ünïcode|Sub"),
                           QStringLiteral("Shift+Ctrl K"), tricky->comment()}));
    EXPECT_EQ(table[2].toVariant().toStringList(),
              (QStringList{QStringLiteral("b"), bare->path(), QString(), QString(), QString()}));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().endsWith('\n'));
}

TEST_F(ConfigTest, CsvFieldsThatASpreadsheetWouldRunStayText)
{
    ExportImportManager manager(*config);
    const QString formula = QStringLiteral("=HYPERLINK(\"http://example.org\",\"x\")");
    auto hostile = TableViewItem::initForURL(QStringLiteral("https://example.org/h"), formula,
                                             QStringLiteral("+cmd|' /C calc'!A0"), ListviewItemSource::other);
    hostile->setTags({QStringLiteral("-2+3")});
    auto more = TableViewItem::initForURL(QStringLiteral("https://example.org/m"), QStringLiteral("@SUM(A1)"),
                                          QStringLiteral("\t=1"), ListviewItemSource::other);
    auto carriage = TableViewItem::initForURL(QStringLiteral("https://example.org/c"), QStringLiteral("\r=1"),
                                              QStringLiteral("plain - with = inside"), ListviewItemSource::other);
    const QString path = dir + QStringLiteral("/hostile.csv");
    ASSERT_TRUE(
        manager.exportData().writeCSV(path, SynchronizedArray<TableViewItemPtr>::create({hostile, more, carriage})));

    const QString rows = runPython(QStringLiteral(R"(
import csv, json, sys
with open(sys.argv[1], newline="", encoding="utf-8") as f:
    print(json.dumps(list(csv.reader(f))))
)"),
                                   {path});
    const QJsonArray table = QJsonDocument::fromJson(rows.toUtf8()).array();
    ASSERT_EQ(table.size(), 4);
    EXPECT_EQ(table[1].toVariant().toStringList(),
              (QStringList{u'\'' + formula, hostile->path(), QStringLiteral("'-2+3"), QString(),
                           QStringLiteral("'+cmd|' /C calc'!A0")}));
    EXPECT_EQ(table[2][0].toString(), QStringLiteral("'@SUM(A1)"));
    EXPECT_EQ(table[2][4].toString(), QStringLiteral("'\t=1"));
    EXPECT_EQ(table[3][0].toString(), QStringLiteral("'\r=1"));
    EXPECT_EQ(table[3][4].toString(), QStringLiteral("plain - with = inside"));
}

TEST_F(ConfigTest, AnEmptyCsvListAfterTheDialogSaysSo)
{
    ExportImportManager manager(*config);
    dialogs->queueSavePanelResponse(dir + QStringLiteral("/empty"));
    manager.exportData().exportDataAsCSV(SynchronizedArray<TableViewItemPtr>::create());
    EXPECT_EQ(dialogs->savePanels().first().allowedFileTypes, QStringList{QStringLiteral("csv")});
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/empty.csv")));
    EXPECT_EQ(alertMessages(), QStringList{QStringLiteral("Nothing was exported: the list holds no entries.")});

    // A write that fails alerts and leaves the state idle.
    dialogs->clear();
    auto entries = SynchronizedArray<TableViewItemPtr>::create({TableViewItem::initForURL(
        QStringLiteral("https://example.org"), QStringLiteral("e"), QString(), ListviewItemSource::other)});
    EXPECT_FALSE(manager.exportData().writeCSV(dir + QStringLiteral("/missing/folder/x.csv"), entries));
    ASSERT_EQ(dialogs->alerts().size(), 1);
    EXPECT_TRUE(dialogs->alerts().first().messageText.startsWith(QStringLiteral("Error on writing strings to file: ")));
    EXPECT_EQ(dialogs->alerts().first().informativeText, QStringLiteral("Error: Export"));
    EXPECT_EQ(manager.state(), ExportImportManagerState::idle);
}

} // namespace vantel::test
