#pragma once

#include <QList>
#include <QString>

namespace vantel {

// The localized interface texts. Each value is looked up once, on first use,
// in the translation table of the user's preferred language; a key that the
// table lacks gives the English text. Placeholders such as "%oldname" are
// plain words that callers replace by plain text replacement.
namespace L10n {

const QString& All_Applications();
const QString& All_Files();
const QString& All_Folders();
const QString& All_URLs();
const QString& All_Favorites();
const QString& lastUsedApplications();
const QString& Shortcuts();
const QString& openApplications();
const QString& Tags();
const QString& Categories();
const QString& SandboxDlg_Prompt();
const QString& mainWindowStyle_Window();
const QString& mainWindowStyle_Popup();
const QString& mainWindowLaunch_withSingleClick();
const QString& mainWindowLaunch_withDoubleClick();
const QString& customSearchField_SearchForName();
const QString& customSearchField_SearchForTag();
const QString& customSearchField_SearchForComment();
const QString& customSearchField_SearchForPath();
const QString& popupButtonEntry_All();
const QString& popupButtonEntry_Applications();
const QString& popupButtonEntry_Files();
const QString& popupButtonEntry_Folders();
const QString& popupButtonEntry_URLs();
const QString& popupButtonFilter_All();
const QString& popupButtonFilter_Active();
const QString& popupButtonFilter_Inactive();
const QString& dialogtext_ImportWarning();
const QString& errorExportingAllData_MessageText();
const QString& errorExportingAllData_ExportFileCouldNotCreated();
const QString& errorLoadingAllData_MessageText();
const QString& errorLoadingAllData_InfomativeText();
const QString& dialogtext_ok();
const QString& dialogtext_cancel();
const QString& mainMenu_showInfo();
const QString& mainMenu_showHotkeyOverview();
const QString& mainMenu_showSettings();
const QString& mainMenu_showPreferences();
const QString& mainMenu_showTags();
const QString& mainMenu_export();
const QString& mainMenu_import();
const QString& mainMenu_showVersionedBackup();
const QString& mainMenu_showWebsite();
const QString& mainMenu_showManual();
const QString& mainMenu_showVersionHistory();
const QString& mainMenu_quit();
const QString& mainMenu_reloadData();
const QString& mainMenu_importShortcuts();
const QString& mainMenu_AddFileOrFolder();
const QString& mainMenu_AddURL();
const QString& addFileDialogMessage();
const QString& importConfigMessage();
const QString& services_SendOne();
const QString& services_SendMany();
const QString& addModifyUrl_EntryAlreadyExists();
const QString& addModifyUrl_NoTitle();
const QString& addModifyUrl_URLInvalid();
const QString& openURLError();
const QString& openURLInput();
const QString& configViewControllerTagsWindowTitle();
const QString& configViewControllerTagsWindowSubTitle();
const QString& configViewControllerContentWindowTitle();
const QString& configViewControllerContentWindowSubTitle();
const QString& confirmRenameDialogText();
const QString& confirmRenameDialogInformativeText();
const QString& confirmDeleteDialogText();
const QString& confirmDeleteDialogInformativeText();
const QString& launchAllWarnMessage();
const QString& launchAllWarnInformativeText();
const QString& launchAllWarnButton();
const QString& launchAllDenyMessage();
const QString& launchAllDenyInformativeText();
const QString& hotkeyOverviewGlobalHotkey();
const QString& hotkeyOverviewCategory();
const QString& hotkeyOverviewTagView();
const QString& hotkeyOverviewTagLaunchAll();
const QString& hotkeyOverviewEntry();
const QString& tagGroupLaunchTableViewItem();
const QString& tagGroupViewTableViewItem();
const QString& predefinedTag_Office();
const QString& predefinedTag_Office_Apple();
const QString& predefinedTag_Office_Microsoft();
const QString& predefinedTag_Development();
const QString& predefinedTag_Development_Tools();
const QString& predefinedTag_Graphics();
const QString& predefinedTag_Tools();
const QString& predefinedTag_Tools_Apple();
const QString& predefinedTag_Webdesign();
const QString& predefinedTag_Video();
const QString& predefinedTag_Textedit();
const QString& predefinedTag_Backup();

struct Entry {
    const char* key;
    const char* english;
    const char* comment;
};
// Every entry in table order.
const QList<Entry>& entries();
// The text of a key (translated when possible); empty for an unknown key.
QString text(const QString& key);

} // namespace L10n

} // namespace vantel
