#include "model/L10n.h"
#include "model/LocalizedStrings.h"
#include "platform/Bundle.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <utility>
#include <vector>

using namespace vantel;

namespace {

// The English texts, word for word.
const std::vector<std::pair<QString, QString>> expectedEnglish{
    {QStringLiteral("All_Applications"), QStringLiteral("Applications")},
    {QStringLiteral("All_Files"), QStringLiteral("Files")},
    {QStringLiteral("All_Folders"), QStringLiteral("Folders")},
    {QStringLiteral("All_URLs"), QStringLiteral("URLs")},
    {QStringLiteral("All_Favorites"), QStringLiteral("Favorites")},
    {QStringLiteral("lastUsedApplications"), QStringLiteral("Recent Applications")},
    {QStringLiteral("Shortcuts"), QStringLiteral("Shortcuts")},
    {QStringLiteral("openApplications"), QStringLiteral("Active Applications")},
    {QStringLiteral("Tags"), QStringLiteral("Tags")},
    {QStringLiteral("Categories"), QStringLiteral("Categories")},
    {QStringLiteral("SandboxDlg_Prompt"), QStringLiteral("Allow")},
    {QStringLiteral("mainWindowStyle_Window"), QStringLiteral("Centered on Screen")},
    {QStringLiteral("mainWindowStyle_Popup"), QStringLiteral("Popup at the Tray Icon")},
    {QStringLiteral("mainWindowLaunch_withSingleClick"), QStringLiteral("Launch items with a single mouse click")},
    {QStringLiteral("mainWindowLaunch_withDoubleClick"), QStringLiteral("Launch items with a double mouse click")},
    {QStringLiteral("customSearchField_SearchForName"), QStringLiteral("Name")},
    {QStringLiteral("customSearchField_SearchForTag"), QStringLiteral("Tag")},
    {QStringLiteral("customSearchField_SearchForComment"), QStringLiteral("Comment")},
    {QStringLiteral("customSearchField_SearchForPath"), QStringLiteral("Path")},
    {QStringLiteral("popupButtonEntry_All"), QStringLiteral("All types")},
    {QStringLiteral("popupButtonEntry_Applications"), QStringLiteral("Applications")},
    {QStringLiteral("popupButtonEntry_Files"), QStringLiteral("Files")},
    {QStringLiteral("popupButtonEntry_Folders"), QStringLiteral("Folders")},
    {QStringLiteral("popupButtonEntry_URLs"), QStringLiteral("URLs")},
    {QStringLiteral("popupButtonFilter_All"), QStringLiteral("All entries")},
    {QStringLiteral("popupButtonFilter_Active"), QStringLiteral("Active only")},
    {QStringLiteral("popupButtonFilter_Inactive"), QStringLiteral("Inactive only")},
    {QStringLiteral("dialogtext_ImportWarning"), QStringLiteral("Importing will overwrite all existing data. Are you sure?")},
    {QStringLiteral("errorExportingAllData_MessageText"), QStringLiteral("Error exporting data")},
    {QStringLiteral("errorExportingAllData_ExportFileCouldNotCreated"), QStringLiteral("The exportfile could not be created")},
    {QStringLiteral("errorLoadingAllData_MessageText"), QStringLiteral("Error loading data")},
    {QStringLiteral("errorLoadingAllData_InfomativeText"), QStringLiteral("The data could not be loaded successfully")},
    {QStringLiteral("dialogtext_ok"), QStringLiteral("OK")},
    {QStringLiteral("dialogtext_cancel"), QStringLiteral("Cancel")},
    {QStringLiteral("mainMenu_showInfo"), QStringLiteral("About Vantel…")},
    {QStringLiteral("mainMenu_showHotkeyOverview"), QStringLiteral("Overview of keyboard shortcuts…")},
    {QStringLiteral("mainMenu_showSettings"), QStringLiteral("Preferences…")},
    {QStringLiteral("mainMenu_showPreferences"), QStringLiteral("Modify Data…")},
    {QStringLiteral("mainMenu_showTags"), QStringLiteral("Tags…")},
    {QStringLiteral("mainMenu_export"), QStringLiteral("Export configuration…")},
    {QStringLiteral("mainMenu_import"), QStringLiteral("Import configuration…")},
    {QStringLiteral("mainMenu_showVersionedBackup"), QStringLiteral("Save configuration (versioned)…")},
    {QStringLiteral("mainMenu_showWebsite"), QStringLiteral("Website of Vantel")},
    {QStringLiteral("mainMenu_showManual"), QStringLiteral("Online help")},
    {QStringLiteral("mainMenu_showVersionHistory"), QStringLiteral("What's new…")},
    {QStringLiteral("mainMenu_quit"), QStringLiteral("Quit")},
    {QStringLiteral("mainMenu_reloadData"), QStringLiteral("Refresh Data")},
    {QStringLiteral("mainMenu_importShortcuts"), QStringLiteral("Import Shortcuts from the Shortcuts-App")},
    {QStringLiteral("mainMenu_AddFileOrFolder"), QStringLiteral("Add File or Folder…")},
    {QStringLiteral("mainMenu_AddURL"), QStringLiteral("Add URL…")},
    {QStringLiteral("addFileDialogMessage"), QStringLiteral("Select a file or folder to add it to the list")},
    {QStringLiteral("importConfigMessage"), QStringLiteral("Select a previously saved configuration file to load it.")},
    {QStringLiteral("services_SendOne"), QStringLiteral("Send Object to:")},
    {QStringLiteral("services_SendMany"), QStringLiteral("Send %var Objects to:")},
    {QStringLiteral("addModifyUrl_EntryAlreadyExists"), QStringLiteral("An entry with this URL already exists ...")},
    {QStringLiteral("addModifyUrl_NoTitle"), QStringLiteral("Please enter a title.")},
    {QStringLiteral("addModifyUrl_URLInvalid"), QStringLiteral("The URL cannot be evaluated. Please correct the URL.")},
    {QStringLiteral("openURLError"), QStringLiteral("URL error - Is the URL correct?")},
    {QStringLiteral("openURLInput"), QStringLiteral("Input")},
    {QStringLiteral("configViewControllerTagsWindowTitle"), QStringLiteral("Configuration")},
    {QStringLiteral("configViewControllerTagsWindowSubTitle"), QStringLiteral("Modify Tags")},
    {QStringLiteral("configViewControllerContentWindowTitle"), QStringLiteral("Configuration")},
    {QStringLiteral("configViewControllerContentWindowSubTitle"), QStringLiteral("Modify Data")},
    {QStringLiteral("confirmRenameDialogText"), QStringLiteral("Should the selected entry be renamed?")},
    {QStringLiteral("confirmRenameDialogInformativeText"), QStringLiteral("Current name:\n'%oldname'\n\nNew name:\n'%newname'")},
    {QStringLiteral("confirmDeleteDialogText"), QStringLiteral("Should the selected entry be deleted?")},
    {QStringLiteral("confirmDeleteDialogInformativeText"), QStringLiteral("The entry '%tagToDelete' will be deleted.")},
    {QStringLiteral("launchAllWarnMessage"), QStringLiteral("Do you really want to launch all %currentEntries entries at once?")},
    {QStringLiteral("launchAllWarnInformativeText"), QStringLiteral("?")},
    {QStringLiteral("launchAllWarnButton"), QStringLiteral("Launch all")},
    {QStringLiteral("launchAllDenyMessage"), QStringLiteral("There are too many entries in the list")},
    {QStringLiteral("launchAllDenyInformativeText"), QStringLiteral("The list contains current %currentEntries entries. This exceeds the upper limit of %maxEntries entries that can be started simultaneously.")},
    {QStringLiteral("hotkeyOverviewGlobalHotkey"), QStringLiteral("Hotkey to show the main window")},
    {QStringLiteral("hotkeyOverviewCategory"), QStringLiteral("Hotkeys for categories")},
    {QStringLiteral("hotkeyOverviewTagView"), QStringLiteral("Hotkeys to show a tag")},
    {QStringLiteral("hotkeyOverviewTagLaunchAll"), QStringLiteral("Hotkeys to launch all entries of a tag")},
    {QStringLiteral("hotkeyOverviewEntry"), QStringLiteral("Hotkeys for entries")},
    {QStringLiteral("tagGroupLaunchTableViewItem"), QStringLiteral("Launch all entries with Tag [%tagName]")},
    {QStringLiteral("tagGroupViewTableViewItem"), QStringLiteral("Switch to Tag [%tagName]")},
    {QStringLiteral("predefinedTag_Office"), QStringLiteral("Office")},
    {QStringLiteral("predefinedTag_Office_Apple"), QStringLiteral("Office|Apple")},
    {QStringLiteral("predefinedTag_Office_Microsoft"), QStringLiteral("Office|Microsoft")},
    {QStringLiteral("predefinedTag_Development"), QStringLiteral("Development")},
    {QStringLiteral("predefinedTag_Development_Tools"), QStringLiteral("Development|Tools")},
    {QStringLiteral("predefinedTag_Graphics"), QStringLiteral("Graphics")},
    {QStringLiteral("predefinedTag_Tools"), QStringLiteral("Tools")},
    {QStringLiteral("predefinedTag_Tools_Apple"), QStringLiteral("Tools|Apple")},
    {QStringLiteral("predefinedTag_Webdesign"), QStringLiteral("Webdesign")},
    {QStringLiteral("predefinedTag_Video"), QStringLiteral("Video")},
    {QStringLiteral("predefinedTag_Textedit"), QStringLiteral("Texteditors")},
    {QStringLiteral("predefinedTag_Backup"), QStringLiteral("Backup")},
};

} // namespace

TEST(L10n, EveryKeyHasItsEnglishText)
{
    ASSERT_EQ(L10n::entries().size(), 91);
    ASSERT_EQ(expectedEnglish.size(), 91u);
    for (qsizetype i = 0; i < L10n::entries().size(); ++i) {
        const L10n::Entry& entry = L10n::entries().at(i);
        EXPECT_EQ(QString::fromLatin1(entry.key), expectedEnglish.at(i).first);
        EXPECT_EQ(QString::fromUtf8(entry.english), expectedEnglish.at(i).second) << entry.key;
        // The test process runs without a translation: the English text.
        EXPECT_EQ(L10n::text(expectedEnglish.at(i).first), expectedEnglish.at(i).second) << entry.key;
    }
    EXPECT_EQ(L10n::dialogtext_ok(), QStringLiteral("OK"));
    EXPECT_EQ(L10n::predefinedTag_Development_Tools(), QStringLiteral("Development|Tools"));
    EXPECT_TRUE(L10n::text(QStringLiteral("noSuchKey")).isEmpty());
}

TEST(L10n, PlaceholdersAreReplacedAsPlainText)
{
    QString text = L10n::confirmDeleteDialogInformativeText();
    text.replace(QStringLiteral("%tagToDelete"), QString());
    EXPECT_EQ(text, QStringLiteral("The entry '' will be deleted."));
    QString twice = QStringLiteral("%var and %var");
    twice.replace(QStringLiteral("%var"), QStringLiteral("3"));
    EXPECT_EQ(twice, QStringLiteral("3 and 3"));
}

TEST(LocalizedStrings, TheTableOfThePreferredLanguageWithEnglishForMissingKeys)
{
    const QString resources = vantel::test::makeTempDir(QStringLiteral("resources"));
    QDir(resources).mkpath(QStringLiteral("de.lproj"));
    QFile file(resources + QStringLiteral("/de.lproj/Localizable.strings"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("/* Alert buttons */\n\"dialogtext_cancel\" = \"Abbrechen\";\n"
               "// a line comment\n\"services_SendMany\" = \"Sende %var Objekte an:\\n\\\"x\\\"\";\n");
    file.close();

    const LocalizedStrings german(resources, {QStringLiteral("de-DE"), QStringLiteral("en")});
    EXPECT_EQ(german.language(), QStringLiteral("de"));
    EXPECT_EQ(german.localizedString(QStringLiteral("dialogtext_cancel"), QStringLiteral("Cancel")), QStringLiteral("Abbrechen"));
    EXPECT_EQ(german.localizedString(QStringLiteral("services_SendMany"), QString()),
              QStringLiteral("Sende %var Objekte an:\n\"x\""));
    EXPECT_EQ(german.localizedString(QStringLiteral("dialogtext_ok"), QStringLiteral("OK")), QStringLiteral("OK"));

    const LocalizedStrings french(resources, {QStringLiteral("fr-FR")});
    EXPECT_TRUE(french.language().isEmpty());
    EXPECT_EQ(french.localizedString(QStringLiteral("dialogtext_cancel"), QStringLiteral("Cancel")), QStringLiteral("Cancel"));
}

TEST(LocalizedStrings, DamagedTablesAreNotUsed)
{
    EXPECT_FALSE(LocalizedStrings::parse("\"a\" = \"b\"").has_value());
    EXPECT_FALSE(LocalizedStrings::parse("\"a\" \"b\";").has_value());
    EXPECT_FALSE(LocalizedStrings::parse("/* open comment").has_value());
    EXPECT_TRUE(LocalizedStrings::parse("").has_value());
    const QByteArray utf16 = QByteArray("\xFF\xFE", 2)
        + QByteArray(reinterpret_cast<const char*>(u"\"k\" = \"\u00e4\";"), 2 * 10);
    const auto table = LocalizedStrings::parse(utf16);
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(table->value(QStringLiteral("k")), QString(QChar(0xE4)));
}

namespace {

// The placeholders of a text ("%1", "%var"), with "&" for an accelerator and
// "|" for a tag level, sorted: a translation must keep every one of them.
QStringList marks(const QString& text)
{
    QStringList found;
    static const QRegularExpression placeholder(QStringLiteral("%[0-9]+|%[A-Za-z]+|&(?=[^&\\s])|\\|"));
    for (auto it = placeholder.globalMatch(QString(text).replace(QStringLiteral("&&"), QString())); it.hasNext();)
        found << it.next().captured();
    found.sort();
    return found;
}

QString unescapeLiteral(const QString& literal)
{
    QByteArray bytes;
    const QByteArray utf8 = literal.toUtf8();
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (utf8.at(i) != '\\' || i + 1 >= utf8.size()) {
            bytes += utf8.at(i);
            continue;
        }
        const char c = utf8.at(++i);
        if (c == 'n')
            bytes += '\n';
        else if (c == 't')
            bytes += '\t';
        else if (c == 'u') {
            bytes += QString(QChar(char16_t(utf8.mid(i + 1, 4).toUShort(nullptr, 16)))).toUtf8();
            i += 4;
        } else
            bytes += c;
    }
    return QString::fromUtf8(bytes);
}

// Every window text the sources look up: localized("...") and the texts
// marked localizable("...") for a later lookup, adjacent literals joined.
QHash<QString, QString> windowTextsInTheSources()
{
    QHash<QString, QString> texts;
    static const QRegularExpression call(
        QStringLiteral(R"re(\blocaliz(?:ed|able)\(\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\))re"));
    static const QRegularExpression literal(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    QDirIterator files(QStringLiteral(VANTEL_SOURCE_DIR "/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString source = QString::fromUtf8(file.readAll());
        for (auto it = call.globalMatch(source); it.hasNext();) {
            QString text;
            const QString literals = it.next().captured(1);
            for (auto part = literal.globalMatch(literals); part.hasNext();)
                text += unescapeLiteral(part.next().captured(1));
            texts.insert(text, QFileInfo(file.fileName()).fileName());
        }
    }
    return texts;
}

} // namespace

// The German table holds every text of the program, the table's keys and the
// windows' English wordings alike, with the same placeholders and
// accelerators, and nothing else: a text added on one side only fails here.
TEST(GermanTable, HasEveryTextWithItsPlaceholdersAndNoOthers)
{
    // The same in German: key names, abbreviations, loan words.
    const QStringList sharedWords{"OK", "Name", "Tag", "Tags", "Tags:", "URLs", "URL:", "Version %1", "Symbol %1", "Video",
                                  "Webdesign", "?", "Ctrl", "Alt", "Shift", "Super"};
    QFile file(QStringLiteral(VANTEL_SOURCE_DIR "/resources/bundle/de.lproj/Localizable.strings"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto german = LocalizedStrings::parse(file.readAll());
    ASSERT_TRUE(german.has_value()) << "the German table does not parse";

    QHash<QString, QString> english; // key -> English text
    for (const L10n::Entry& entry : L10n::entries())
        english.insert(QString::fromLatin1(entry.key), QString::fromUtf8(entry.english));
    const QHash<QString, QString> windowTexts = windowTextsInTheSources();
    // The scan finds the window texts at all (menus, tabs, a drawn modifier).
    for (const char* known : {"&General", "Close", "Ctrl", "Allow Access", "Hotkey for %1"})
        ASSERT_TRUE(windowTexts.contains(QString::fromUtf8(known))) << known;
    EXPECT_GT(windowTexts.size(), 150);
    for (auto it = windowTexts.cbegin(); it != windowTexts.cend(); ++it) {
        // A window text that is also a key of the table must mean the same.
        if (english.contains(it.key())) {
            EXPECT_EQ(english.value(it.key()), it.key()) << it.value().toStdString();
        }
        english.insert(it.key(), it.key());
    }

    for (auto it = english.cbegin(); it != english.cend(); ++it) {
        const auto translation = german->constFind(it.key());
        if (translation == german->cend()) {
            ADD_FAILURE() << "no German text for \"" << it.key().toStdString() << "\" ("
                          << windowTexts.value(it.key(), QStringLiteral("L10n")).toStdString() << ")";
            continue;
        }
        EXPECT_FALSE(translation->isEmpty()) << it.key().toStdString();
        EXPECT_EQ(marks(*translation), marks(it.value()))
            << it.key().toStdString() << " -> " << translation->toStdString();
        // German throughout: no English left but the words both languages share.
        EXPECT_TRUE(*translation != it.value() || sharedWords.contains(*translation))
            << "not translated: " << it.key().toStdString();
    }
    for (auto it = german->cbegin(); it != german->cend(); ++it)
        EXPECT_TRUE(english.contains(it.key())) << "German text for an unknown key: " << it.key().toStdString();

    // And the program finds the table for a German user.
    const LocalizedStrings de(QStringLiteral(VANTEL_SOURCE_DIR "/resources/bundle"), {QStringLiteral("de-DE")});
    EXPECT_EQ(de.localizedString(QStringLiteral("mainMenu_quit"), QStringLiteral("Quit")), QStringLiteral("Beenden"));
    EXPECT_EQ(de.localizedString(QStringLiteral("A text of no window"), QStringLiteral("fallback")),
              QStringLiteral("fallback"));
}

namespace {

// What a translation of a help document must keep: its headings' levels, its
// lists' shape, its links and its images.
QStringList skeleton(const QString& markdown)
{
    QStringList shape;
    static const QRegularExpression heading(QStringLiteral("^(#+) "));
    static const QRegularExpression item(QStringLiteral("^\\s*([-*]|[0-9]+\\.) "));
    static const QRegularExpression target(QStringLiteral("(!?)\\[[^\\]]*\\]\\(([^)]*)\\)"));
    for (const QString& line : markdown.split(QLatin1Char('\n'))) {
        if (const auto match = heading.match(line); match.hasMatch())
            shape << match.captured(1);
        else if (const auto match = item.match(line); match.hasMatch())
            shape << match.captured(1);
        for (auto it = target.globalMatch(line); it.hasNext();) {
            const auto link = it.next();
            shape << link.captured(1) + link.captured(2);
        }
    }
    return shape;
}

} // namespace

// Every help document has a German copy of the same shape, and the German
// folder holds no document that English lacks.
TEST(GermanHelp, EveryDocumentHasAGermanCopyWithTheSameHeadingsListsAndLinks)
{
    const QDir english(QStringLiteral(VANTEL_SOURCE_DIR "/resources/bundle"));
    const QDir german(english.filePath(QStringLiteral("de.lproj")));
    const QStringList documents = english.entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name);
    ASSERT_TRUE(documents.contains(QStringLiteral("info.md")));
    ASSERT_TRUE(documents.contains(QStringLiteral("versionhistory.md")));
    EXPECT_EQ(german.entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name), documents);
    const auto read = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    for (const QString& name : documents) {
        const QString original = read(english.filePath(name));
        const QString translation = read(german.filePath(name));
        ASSERT_FALSE(translation.isEmpty()) << "no German " << name.toStdString();
        EXPECT_NE(translation, original) << name.toStdString() << " is not translated";
        EXPECT_EQ(skeleton(translation), skeleton(original)) << name.toStdString();
    }
}

// One word for one thing in the German table and documents (the main view,
// folder access, the popup), a typographic ellipsis, and in both languages
// the tray where another desktop has a menu bar.
TEST(GermanTexts, OneWordForOneThingAndTheTrayNotTheMenuBar)
{
    const auto read = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    const QDir english(QStringLiteral(VANTEL_SOURCE_DIR "/resources/bundle"));
    const QDir german(english.filePath(QStringLiteral("de.lproj")));
    const auto table = LocalizedStrings::parse(read(german.filePath(QStringLiteral("Localizable.strings"))).toUtf8());
    ASSERT_TRUE(table.has_value());

    QHash<QString, QString> germanTexts; // text -> where
    for (auto it = table->cbegin(); it != table->cend(); ++it)
        germanTexts.insert(it.value(), it.key());
    QHash<QString, QString> englishTexts;
    for (const L10n::Entry& entry : L10n::entries())
        englishTexts.insert(QString::fromUtf8(entry.english), QString::fromLatin1(entry.key));
    const QHash<QString, QString> windowTexts = windowTextsInTheSources();
    for (auto it = windowTexts.cbegin(); it != windowTexts.cend(); ++it)
        englishTexts.insert(it.key(), it.value());
    for (const QString& name : english.entryList({QStringLiteral("*.md")}, QDir::Files)) {
        englishTexts.insert(read(english.filePath(name)), name);
        germanTexts.insert(read(german.filePath(name)), QStringLiteral("de.lproj/") + name);
    }

    const QStringList avoidedInGerman{"...", "Hauptfenster", "Ordnerfreigabe", "Aufklappmenü", "Menüleiste",
                                      "in der Leiste", "an der Leiste"};
    // "Tastenkürzel", never a bare "Kürzel".
    static const QRegularExpression bareHotkey(QStringLiteral("\\bKürzel"));
    for (auto it = germanTexts.cbegin(); it != germanTexts.cend(); ++it) {
        for (const QString& word : avoidedInGerman)
            EXPECT_FALSE(it.key().contains(word)) << "\"" << word.toStdString() << "\" in " << it.value().toStdString();
        EXPECT_FALSE(it.key().contains(bareHotkey)) << "\"Kürzel\" in " << it.value().toStdString();
    }
    static const QRegularExpression menuBar(QStringLiteral("menu ?bar"), QRegularExpression::CaseInsensitiveOption);
    for (auto it = englishTexts.cbegin(); it != englishTexts.cend(); ++it)
        EXPECT_FALSE(it.key().contains(menuBar)) << it.value().toStdString() << ": " << it.key().toStdString();
}

// Texts and documents follow one rule: the first of the user's languages that
// the bundle has wins, English counting as had.
TEST(LocalizedStrings, TextsAndDocumentsFollowTheUsersOrderAlike)
{
    const QString resources = QDir::cleanPath(vantel::platform::Bundle::main().resourcePath());
    const QString englishDocument = resources + QStringLiteral("/help_SandboxAccess.md");
    const QString germanDocument = resources + QStringLiteral("/de.lproj/help_SandboxAccess.md");
    ASSERT_TRUE(QFile::exists(germanDocument));
    const struct {
        QStringList languages;
        bool german;
    } cases[] = {
        {{QStringLiteral("en"), QStringLiteral("de")}, false},
        {{QStringLiteral("en-US"), QStringLiteral("en"), QStringLiteral("de-DE"), QStringLiteral("de")}, false},
        {{QStringLiteral("de"), QStringLiteral("en")}, true},
        {{QStringLiteral("fr"), QStringLiteral("de")}, true},
        {{QStringLiteral("fr")}, false},
        {{QStringLiteral("C")}, false},
        {{}, false},
    };
    for (const auto& [languages, german] : cases) {
        const QString list = languages.join(u':');
        const LocalizedStrings strings(resources, languages);
        EXPECT_EQ(strings.localizedString(QStringLiteral("Quit"), QStringLiteral("Quit")),
                  german ? QStringLiteral("Beenden") : QStringLiteral("Quit"))
            << list.toStdString();
        EXPECT_EQ(vantel::platform::Bundle::resourceIn(resources, QStringLiteral("help_SandboxAccess.md"), languages),
                  german ? germanDocument : englishDocument)
            << list.toStdString();
    }
}

// Run with LANGUAGE=en:de under a German LANG: English first means English
// everywhere, though a German table and German documents exist.
TEST(EnglishFirst, TextsAndDocumentsAreEnglish)
{
    ASSERT_EQ(qgetenv("LANGUAGE"), QByteArray("en:de"));
    EXPECT_EQ(localized("Quit"), QStringLiteral("Quit"));
    EXPECT_EQ(localized("Close"), QStringLiteral("Close"));
    const auto document = vantel::platform::Bundle::main().pathForResource(QStringLiteral("help_SandboxAccess"),
                                                                          QStringLiteral("md"));
    ASSERT_TRUE(document);
    EXPECT_FALSE(document->contains(QStringLiteral("de.lproj"))) << document->toStdString();
}
