#include "model/L10n.h"

#include "model/LocalizedStrings.h"

namespace vantel {

namespace {

const QList<L10n::Entry> table{
    {"All_Applications", "Applications", "Sidebar captions of the main window"},
    {"All_Files", "Files", "Sidebar captions of the main window"},
    {"All_Folders", "Folders", "Sidebar captions of the main window"},
    {"All_URLs", "URLs", "Sidebar captions of the main window"},
    {"All_Favorites", "Favorites", "Sidebar captions of the main window"},
    {"lastUsedApplications", "Recent Applications", "Sidebar captions of the main window"},
    {"Shortcuts", "Shortcuts", "Sidebar captions of the main window"},
    {"openApplications", "Active Applications", "Sidebar captions of the main window"},
    {"Tags", "Tags", "Sidebar captions of the main window"},
    {"Categories", "Categories", "Sidebar captions of the main window"},
    {"SandboxDlg_Prompt", "Allow", "Permission panel"},
    {"mainWindowStyle_Window", "Centered on Screen", "Choices of the settings window"},
    {"mainWindowStyle_Popup", "Popup at the Tray Icon", "Choices of the settings window"},
    {"mainWindowLaunch_withSingleClick", "Launch items with a single mouse click", "Choices of the settings window"},
    {"mainWindowLaunch_withDoubleClick", "Launch items with a double mouse click", "Choices of the settings window"},
    {"customSearchField_SearchForName", "Name", "Search field and filter pop-ups of the configuration window"},
    {"customSearchField_SearchForTag", "Tag", "Search field and filter pop-ups of the configuration window"},
    {"customSearchField_SearchForComment", "Comment", "Search field and filter pop-ups of the configuration window"},
    {"customSearchField_SearchForPath", "Path", "Search field and filter pop-ups of the configuration window"},
    {"popupButtonEntry_All", "All types", "Search field and filter pop-ups of the configuration window"},
    {"popupButtonEntry_Applications", "Applications", "Search field and filter pop-ups of the configuration window"},
    {"popupButtonEntry_Files", "Files", "Search field and filter pop-ups of the configuration window"},
    {"popupButtonEntry_Folders", "Folders", "Search field and filter pop-ups of the configuration window"},
    {"popupButtonEntry_URLs", "URLs", "Search field and filter pop-ups of the configuration window"},
    {"popupButtonFilter_All", "All entries", "Search field and filter pop-ups of the configuration window"},
    {"popupButtonFilter_Active", "Active only", "Search field and filter pop-ups of the configuration window"},
    {"popupButtonFilter_Inactive", "Inactive only", "Search field and filter pop-ups of the configuration window"},
    {"dialogtext_ImportWarning", "Importing will overwrite all existing data. Are you sure?", "Import, export and loading messages"},
    {"errorExportingAllData_MessageText", "Error exporting data", "Import, export and loading messages"},
    {"errorExportingAllData_ExportFileCouldNotCreated", "The exportfile could not be created", "Import, export and loading messages"},
    {"errorLoadingAllData_MessageText", "Error loading data", "Import, export and loading messages"},
    {"errorLoadingAllData_InfomativeText", "The data could not be loaded successfully", "Import, export and loading messages"},
    {"dialogtext_ok", "OK", "Alert buttons"},
    {"dialogtext_cancel", "Cancel", "Alert buttons"},
    {"mainMenu_showInfo", "About Vantel…", "Main menu"},
    {"mainMenu_showHotkeyOverview", "Overview of keyboard shortcuts…", "Main menu"},
    {"mainMenu_showSettings", "Preferences…", "Main menu"},
    {"mainMenu_showPreferences", "Modify Data…", "Main menu"},
    {"mainMenu_showTags", "Tags…", "Main menu"},
    {"mainMenu_export", "Export configuration…", "Main menu"},
    {"mainMenu_import", "Import configuration…", "Main menu"},
    {"mainMenu_showVersionedBackup", "Save configuration (versioned)…", "Main menu"},
    {"mainMenu_showWebsite", "Website of Vantel", "Main menu"},
    {"mainMenu_showManual", "Online help", "Main menu"},
    {"mainMenu_showVersionHistory", "What's new…", "Main menu"},
    {"mainMenu_quit", "Quit", "Main menu"},
    {"mainMenu_reloadData", "Refresh Data", "Main menu"},
    {"mainMenu_importShortcuts", "Import Shortcuts from the Shortcuts-App", "Main menu"},
    {"mainMenu_AddFileOrFolder", "Add File or Folder…", "Main menu"},
    {"mainMenu_AddURL", "Add URL…", "Main menu"},
    {"addFileDialogMessage", "Select a file or folder to add it to the list", "Open panels"},
    {"importConfigMessage", "Select a previously saved configuration file to load it.", "Open panels"},
    {"services_SendOne", "Send Object to:", "Services menu"},
    {"services_SendMany", "Send %var Objects to:", "Services menu"},
    {"addModifyUrl_EntryAlreadyExists", "An entry with this URL already exists ...", "URL dialog and opening URLs"},
    {"addModifyUrl_NoTitle", "Please enter a title.", "URL dialog and opening URLs"},
    {"addModifyUrl_URLInvalid", "The URL cannot be evaluated. Please correct the URL.", "URL dialog and opening URLs"},
    {"openURLError", "URL error - Is the URL correct?", "URL dialog and opening URLs"},
    {"openURLInput", "Input", "URL dialog and opening URLs"},
    {"configViewControllerTagsWindowTitle", "Configuration", "Configuration window titles"},
    {"configViewControllerTagsWindowSubTitle", "Modify Tags", "Configuration window titles"},
    {"configViewControllerContentWindowTitle", "Configuration", "Configuration window titles"},
    {"configViewControllerContentWindowSubTitle", "Modify Data", "Configuration window titles"},
    {"confirmRenameDialogText", "Should the selected entry be renamed?", "Rename and delete confirmations"},
    {"confirmRenameDialogInformativeText", "Current name:\n'%oldname'\n\nNew name:\n'%newname'", "Rename and delete confirmations"},
    {"confirmDeleteDialogText", "Should the selected entry be deleted?", "Rename and delete confirmations"},
    {"confirmDeleteDialogInformativeText", "The entry '%tagToDelete' will be deleted.", "Rename and delete confirmations"},
    {"launchAllWarnMessage", "Do you really want to launch all %currentEntries entries at once?", "Launching all entries of a tag"},
    {"launchAllWarnInformativeText", "?", "Launching all entries of a tag"},
    {"launchAllWarnButton", "Launch all", "Launching all entries of a tag"},
    {"launchAllDenyMessage", "There are too many entries in the list", "Launching all entries of a tag"},
    {"launchAllDenyInformativeText", "The list contains current %currentEntries entries. This exceeds the upper limit of %maxEntries entries that can be started simultaneously.", "Launching all entries of a tag"},
    {"hotkeyOverviewGlobalHotkey", "Hotkey to show the main window", "Headers of the hotkey overview"},
    {"hotkeyOverviewCategory", "Hotkeys for categories", "Headers of the hotkey overview"},
    {"hotkeyOverviewTagView", "Hotkeys to show a tag", "Headers of the hotkey overview"},
    {"hotkeyOverviewTagLaunchAll", "Hotkeys to launch all entries of a tag", "Headers of the hotkey overview"},
    {"hotkeyOverviewEntry", "Hotkeys for entries", "Headers of the hotkey overview"},
    {"tagGroupLaunchTableViewItem", "Launch all entries with Tag [%tagName]", "Comments of tag entries"},
    {"tagGroupViewTableViewItem", "Switch to Tag [%tagName]", "Comments of tag entries"},
    {"predefinedTag_Office", "Office", "Predefined tag names"},
    {"predefinedTag_Office_Apple", "Office|Apple", "Predefined tag names"},
    {"predefinedTag_Office_Microsoft", "Office|Microsoft", "Predefined tag names"},
    {"predefinedTag_Development", "Development", "Predefined tag names"},
    {"predefinedTag_Development_Tools", "Development|Tools", "Predefined tag names"},
    {"predefinedTag_Graphics", "Graphics", "Predefined tag names"},
    {"predefinedTag_Tools", "Tools", "Predefined tag names"},
    {"predefinedTag_Tools_Apple", "Tools|Apple", "Predefined tag names"},
    {"predefinedTag_Webdesign", "Webdesign", "Predefined tag names"},
    {"predefinedTag_Video", "Video", "Predefined tag names"},
    {"predefinedTag_Textedit", "Texteditors", "Predefined tag names"},
    {"predefinedTag_Backup", "Backup", "Predefined tag names"},
};

QString lookUp(const char* key)
{
    for (const L10n::Entry& entry : table)
        if (qstrcmp(entry.key, key) == 0)
            return LocalizedStrings::main().localizedString(QString::fromLatin1(entry.key), QString::fromUtf8(entry.english));
    return {};
}

} // namespace

const QList<L10n::Entry>& L10n::entries()
{
    return table;
}

QString L10n::text(const QString& key)
{
    return lookUp(key.toLatin1().constData());
}

const QString& L10n::All_Applications()
{
    static const QString value = lookUp("All_Applications");
    return value;
}

const QString& L10n::All_Files()
{
    static const QString value = lookUp("All_Files");
    return value;
}

const QString& L10n::All_Folders()
{
    static const QString value = lookUp("All_Folders");
    return value;
}

const QString& L10n::All_URLs()
{
    static const QString value = lookUp("All_URLs");
    return value;
}

const QString& L10n::All_Favorites()
{
    static const QString value = lookUp("All_Favorites");
    return value;
}

const QString& L10n::lastUsedApplications()
{
    static const QString value = lookUp("lastUsedApplications");
    return value;
}

const QString& L10n::Shortcuts()
{
    static const QString value = lookUp("Shortcuts");
    return value;
}

const QString& L10n::openApplications()
{
    static const QString value = lookUp("openApplications");
    return value;
}

const QString& L10n::Tags()
{
    static const QString value = lookUp("Tags");
    return value;
}

const QString& L10n::Categories()
{
    static const QString value = lookUp("Categories");
    return value;
}

const QString& L10n::SandboxDlg_Prompt()
{
    static const QString value = lookUp("SandboxDlg_Prompt");
    return value;
}

const QString& L10n::mainWindowStyle_Window()
{
    static const QString value = lookUp("mainWindowStyle_Window");
    return value;
}

const QString& L10n::mainWindowStyle_Popup()
{
    static const QString value = lookUp("mainWindowStyle_Popup");
    return value;
}

const QString& L10n::mainWindowLaunch_withSingleClick()
{
    static const QString value = lookUp("mainWindowLaunch_withSingleClick");
    return value;
}

const QString& L10n::mainWindowLaunch_withDoubleClick()
{
    static const QString value = lookUp("mainWindowLaunch_withDoubleClick");
    return value;
}

const QString& L10n::customSearchField_SearchForName()
{
    static const QString value = lookUp("customSearchField_SearchForName");
    return value;
}

const QString& L10n::customSearchField_SearchForTag()
{
    static const QString value = lookUp("customSearchField_SearchForTag");
    return value;
}

const QString& L10n::customSearchField_SearchForComment()
{
    static const QString value = lookUp("customSearchField_SearchForComment");
    return value;
}

const QString& L10n::customSearchField_SearchForPath()
{
    static const QString value = lookUp("customSearchField_SearchForPath");
    return value;
}

const QString& L10n::popupButtonEntry_All()
{
    static const QString value = lookUp("popupButtonEntry_All");
    return value;
}

const QString& L10n::popupButtonEntry_Applications()
{
    static const QString value = lookUp("popupButtonEntry_Applications");
    return value;
}

const QString& L10n::popupButtonEntry_Files()
{
    static const QString value = lookUp("popupButtonEntry_Files");
    return value;
}

const QString& L10n::popupButtonEntry_Folders()
{
    static const QString value = lookUp("popupButtonEntry_Folders");
    return value;
}

const QString& L10n::popupButtonEntry_URLs()
{
    static const QString value = lookUp("popupButtonEntry_URLs");
    return value;
}

const QString& L10n::popupButtonFilter_All()
{
    static const QString value = lookUp("popupButtonFilter_All");
    return value;
}

const QString& L10n::popupButtonFilter_Active()
{
    static const QString value = lookUp("popupButtonFilter_Active");
    return value;
}

const QString& L10n::popupButtonFilter_Inactive()
{
    static const QString value = lookUp("popupButtonFilter_Inactive");
    return value;
}

const QString& L10n::dialogtext_ImportWarning()
{
    static const QString value = lookUp("dialogtext_ImportWarning");
    return value;
}

const QString& L10n::errorExportingAllData_MessageText()
{
    static const QString value = lookUp("errorExportingAllData_MessageText");
    return value;
}

const QString& L10n::errorExportingAllData_ExportFileCouldNotCreated()
{
    static const QString value = lookUp("errorExportingAllData_ExportFileCouldNotCreated");
    return value;
}

const QString& L10n::errorLoadingAllData_MessageText()
{
    static const QString value = lookUp("errorLoadingAllData_MessageText");
    return value;
}

const QString& L10n::errorLoadingAllData_InfomativeText()
{
    static const QString value = lookUp("errorLoadingAllData_InfomativeText");
    return value;
}

const QString& L10n::dialogtext_ok()
{
    static const QString value = lookUp("dialogtext_ok");
    return value;
}

const QString& L10n::dialogtext_cancel()
{
    static const QString value = lookUp("dialogtext_cancel");
    return value;
}

const QString& L10n::mainMenu_showInfo()
{
    static const QString value = lookUp("mainMenu_showInfo");
    return value;
}

const QString& L10n::mainMenu_showHotkeyOverview()
{
    static const QString value = lookUp("mainMenu_showHotkeyOverview");
    return value;
}

const QString& L10n::mainMenu_showSettings()
{
    static const QString value = lookUp("mainMenu_showSettings");
    return value;
}

const QString& L10n::mainMenu_showPreferences()
{
    static const QString value = lookUp("mainMenu_showPreferences");
    return value;
}

const QString& L10n::mainMenu_showTags()
{
    static const QString value = lookUp("mainMenu_showTags");
    return value;
}

const QString& L10n::mainMenu_export()
{
    static const QString value = lookUp("mainMenu_export");
    return value;
}

const QString& L10n::mainMenu_import()
{
    static const QString value = lookUp("mainMenu_import");
    return value;
}

const QString& L10n::mainMenu_showVersionedBackup()
{
    static const QString value = lookUp("mainMenu_showVersionedBackup");
    return value;
}

const QString& L10n::mainMenu_showWebsite()
{
    static const QString value = lookUp("mainMenu_showWebsite");
    return value;
}

const QString& L10n::mainMenu_showManual()
{
    static const QString value = lookUp("mainMenu_showManual");
    return value;
}

const QString& L10n::mainMenu_showVersionHistory()
{
    static const QString value = lookUp("mainMenu_showVersionHistory");
    return value;
}

const QString& L10n::mainMenu_quit()
{
    static const QString value = lookUp("mainMenu_quit");
    return value;
}

const QString& L10n::mainMenu_reloadData()
{
    static const QString value = lookUp("mainMenu_reloadData");
    return value;
}

const QString& L10n::mainMenu_importShortcuts()
{
    static const QString value = lookUp("mainMenu_importShortcuts");
    return value;
}

const QString& L10n::mainMenu_AddFileOrFolder()
{
    static const QString value = lookUp("mainMenu_AddFileOrFolder");
    return value;
}

const QString& L10n::mainMenu_AddURL()
{
    static const QString value = lookUp("mainMenu_AddURL");
    return value;
}

const QString& L10n::addFileDialogMessage()
{
    static const QString value = lookUp("addFileDialogMessage");
    return value;
}

const QString& L10n::importConfigMessage()
{
    static const QString value = lookUp("importConfigMessage");
    return value;
}

const QString& L10n::services_SendOne()
{
    static const QString value = lookUp("services_SendOne");
    return value;
}

const QString& L10n::services_SendMany()
{
    static const QString value = lookUp("services_SendMany");
    return value;
}

const QString& L10n::addModifyUrl_EntryAlreadyExists()
{
    static const QString value = lookUp("addModifyUrl_EntryAlreadyExists");
    return value;
}

const QString& L10n::addModifyUrl_NoTitle()
{
    static const QString value = lookUp("addModifyUrl_NoTitle");
    return value;
}

const QString& L10n::addModifyUrl_URLInvalid()
{
    static const QString value = lookUp("addModifyUrl_URLInvalid");
    return value;
}

const QString& L10n::openURLError()
{
    static const QString value = lookUp("openURLError");
    return value;
}

const QString& L10n::openURLInput()
{
    static const QString value = lookUp("openURLInput");
    return value;
}

const QString& L10n::configViewControllerTagsWindowTitle()
{
    static const QString value = lookUp("configViewControllerTagsWindowTitle");
    return value;
}

const QString& L10n::configViewControllerTagsWindowSubTitle()
{
    static const QString value = lookUp("configViewControllerTagsWindowSubTitle");
    return value;
}

const QString& L10n::configViewControllerContentWindowTitle()
{
    static const QString value = lookUp("configViewControllerContentWindowTitle");
    return value;
}

const QString& L10n::configViewControllerContentWindowSubTitle()
{
    static const QString value = lookUp("configViewControllerContentWindowSubTitle");
    return value;
}

const QString& L10n::confirmRenameDialogText()
{
    static const QString value = lookUp("confirmRenameDialogText");
    return value;
}

const QString& L10n::confirmRenameDialogInformativeText()
{
    static const QString value = lookUp("confirmRenameDialogInformativeText");
    return value;
}

const QString& L10n::confirmDeleteDialogText()
{
    static const QString value = lookUp("confirmDeleteDialogText");
    return value;
}

const QString& L10n::confirmDeleteDialogInformativeText()
{
    static const QString value = lookUp("confirmDeleteDialogInformativeText");
    return value;
}

const QString& L10n::launchAllWarnMessage()
{
    static const QString value = lookUp("launchAllWarnMessage");
    return value;
}

const QString& L10n::launchAllWarnInformativeText()
{
    static const QString value = lookUp("launchAllWarnInformativeText");
    return value;
}

const QString& L10n::launchAllWarnButton()
{
    static const QString value = lookUp("launchAllWarnButton");
    return value;
}

const QString& L10n::launchAllDenyMessage()
{
    static const QString value = lookUp("launchAllDenyMessage");
    return value;
}

const QString& L10n::launchAllDenyInformativeText()
{
    static const QString value = lookUp("launchAllDenyInformativeText");
    return value;
}

const QString& L10n::hotkeyOverviewGlobalHotkey()
{
    static const QString value = lookUp("hotkeyOverviewGlobalHotkey");
    return value;
}

const QString& L10n::hotkeyOverviewCategory()
{
    static const QString value = lookUp("hotkeyOverviewCategory");
    return value;
}

const QString& L10n::hotkeyOverviewTagView()
{
    static const QString value = lookUp("hotkeyOverviewTagView");
    return value;
}

const QString& L10n::hotkeyOverviewTagLaunchAll()
{
    static const QString value = lookUp("hotkeyOverviewTagLaunchAll");
    return value;
}

const QString& L10n::hotkeyOverviewEntry()
{
    static const QString value = lookUp("hotkeyOverviewEntry");
    return value;
}

const QString& L10n::tagGroupLaunchTableViewItem()
{
    static const QString value = lookUp("tagGroupLaunchTableViewItem");
    return value;
}

const QString& L10n::tagGroupViewTableViewItem()
{
    static const QString value = lookUp("tagGroupViewTableViewItem");
    return value;
}

const QString& L10n::predefinedTag_Office()
{
    static const QString value = lookUp("predefinedTag_Office");
    return value;
}

const QString& L10n::predefinedTag_Office_Apple()
{
    static const QString value = lookUp("predefinedTag_Office_Apple");
    return value;
}

const QString& L10n::predefinedTag_Office_Microsoft()
{
    static const QString value = lookUp("predefinedTag_Office_Microsoft");
    return value;
}

const QString& L10n::predefinedTag_Development()
{
    static const QString value = lookUp("predefinedTag_Development");
    return value;
}

const QString& L10n::predefinedTag_Development_Tools()
{
    static const QString value = lookUp("predefinedTag_Development_Tools");
    return value;
}

const QString& L10n::predefinedTag_Graphics()
{
    static const QString value = lookUp("predefinedTag_Graphics");
    return value;
}

const QString& L10n::predefinedTag_Tools()
{
    static const QString value = lookUp("predefinedTag_Tools");
    return value;
}

const QString& L10n::predefinedTag_Tools_Apple()
{
    static const QString value = lookUp("predefinedTag_Tools_Apple");
    return value;
}

const QString& L10n::predefinedTag_Webdesign()
{
    static const QString value = lookUp("predefinedTag_Webdesign");
    return value;
}

const QString& L10n::predefinedTag_Video()
{
    static const QString value = lookUp("predefinedTag_Video");
    return value;
}

const QString& L10n::predefinedTag_Textedit()
{
    static const QString value = lookUp("predefinedTag_Textedit");
    return value;
}

const QString& L10n::predefinedTag_Backup()
{
    static const QString value = lookUp("predefinedTag_Backup");
    return value;
}

} // namespace vantel
