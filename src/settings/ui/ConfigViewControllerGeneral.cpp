#include "settings/ui/ConfigViewControllerGeneral.h"

#include "config/Configuration.h"
#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/HotKeyManager.h"
#include "hotkeys/ui/RecordView.h"
#include "hotkeys/ui/SetupRecordView.h"
#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "platform/Bundle.h"
#include "platform/DesktopEntryIndex.h"
#include "platform/Dialogs.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "shell/AutoLaunchManager.h"
#include "hotkeys/ui/KeyComboHolder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vantel {

using platform::LogType;

ConfigViewControllerGeneral::ConfigViewControllerGeneral(SettingsServices services, QObject* parent)
    : SettingsViewController(parent)
    , services_(services)
{
    // Known before the view appears: the window is sized from it.
    setPreferredContentSize(preferredSize);
}

QWidget* ConfigViewControllerGeneral::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("ConfigViewControllerGeneral"));
    auto* form = new QFormLayout(view);
    form->setContentsMargins(40, 24, 40, 24);
    form->setHorizontalSpacing(16);
    form->setVerticalSpacing(10);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);

    popupButtonWindowType_ = new QComboBox;
    popupButtonWindowType_->setObjectName(QStringLiteral("popupButtonWindowType"));
    form->addRow(localized("Show the main view &as:"), popupButtonWindowType_);

    globalHotkey_ = new RecordView;
    globalHotkey_->setObjectName(QStringLiteral("globalHotkey"));
    globalHotkey_->setAccessibleName(localized("Hotkey to show the main view"));
    globalHotkey_->setMinimumWidth(220);
    form->addRow(localized("&Hotkey to show the main view:"), globalHotkey_);

    popupButtonClickType_ = new QComboBox;
    popupButtonClickType_->setObjectName(QStringLiteral("popupButtonClickType"));
    form->addRow(localized("&Launching:"), popupButtonClickType_);

    checkboxMainWindowAnimated_ = new QCheckBox(localized("Animate the popup at the tray icon"));
    checkboxMainWindowAnimated_->setObjectName(QStringLiteral("checkboxMainWindowAnimated"));
    form->addRow(QString(), checkboxMainWindowAnimated_);

    auto* browserRow = new QHBoxLayout;
    textfieldAlternateBrowser_ = new QLineEdit;
    textfieldAlternateBrowser_->setObjectName(QStringLiteral("textfieldAlternateBrowser"));
    textfieldAlternateBrowser_->setPlaceholderText(localized("The desktop's file manager"));
    textfieldAlternateBrowser_->setMinimumWidth(360);
    buttonSelectAlternateBrowser_ = new QPushButton(localized("Choose…"));
    buttonSelectAlternateBrowser_->setObjectName(QStringLiteral("buttonSelectAlternateBrowser"));
    browserRow->addWidget(textfieldAlternateBrowser_);
    browserRow->addWidget(buttonSelectAlternateBrowser_);
    auto* browserLabel = new QLabel(localized("Open f&olders with:"));
    browserLabel->setBuddy(textfieldAlternateBrowser_);
    form->addRow(browserLabel, browserRow);

    auto* search = new QVBoxLayout;
    search->setSpacing(6);
    checkboxSearchInComments_ = new QCheckBox(localized("Search in comments"));
    checkboxSearchInComments_->setObjectName(QStringLiteral("checkboxSearchInComments"));
    checkboxSearchInTags_ = new QCheckBox(localized("Find tags"));
    checkboxSearchInTags_->setObjectName(QStringLiteral("checkboxSearchInTags"));
    checkboxSearchInTagsLaunchAll_ = new QRadioButton(localized("Choosing a tag launches all of its entries"));
    checkboxSearchInTagsLaunchAll_->setObjectName(QStringLiteral("checkboxSearchInTagsLaunchAll"));
    checkboxSearchInTagsView_ = new QRadioButton(localized("Choosing a tag shows its entries"));
    checkboxSearchInTagsView_->setObjectName(QStringLiteral("checkboxSearchInTagsView"));
    auto* choices = new QButtonGroup(view);
    choices->addButton(checkboxSearchInTagsView_);
    choices->addButton(checkboxSearchInTagsLaunchAll_);
    search->addWidget(checkboxSearchInComments_);
    search->addWidget(checkboxSearchInTags_);
    for (QRadioButton* choice : {checkboxSearchInTagsView_.data(), checkboxSearchInTagsLaunchAll_.data()}) {
        auto* indented = new QHBoxLayout;
        indented->addSpacing(24);
        indented->addWidget(choice);
        search->addLayout(indented);
    }
    form->addRow(localized("Search:"), search);

    checkboxLaunchAtLogin_ = new QCheckBox(localized("Start Vantel at login"));
    checkboxLaunchAtLogin_->setObjectName(QStringLiteral("checkboxLaunchAtLogin"));
    form->addRow(localized("Login:"), checkboxLaunchAtLogin_);

    popupButtonMenuItem_ = new QComboBox;
    popupButtonMenuItem_->setObjectName(QStringLiteral("popupButtonMenuItem"));
    popupButtonMenuItem_->setAccessibleName(localized("Tray icon"));
    popupButtonMenuItem_->setIconSize(QSize(menubarIconSide, menubarIconSide));
    form->addRow(localized("Tray &icon:"), popupButtonMenuItem_);

    checkboxSelectTagsAndCategoriesOnHover_ = new QCheckBox(localized("Select tags and categories on hover"));
    checkboxSelectTagsAndCategoriesOnHover_->setObjectName(QStringLiteral("checkboxSelectTagsAndCategoriesOnHover"));
    form->addRow(localized("Sidebar:"), checkboxSelectTagsAndCategoriesOnHover_);

    connect(checkboxSearchInTags_, &QCheckBox::clicked, this, [this] { updateSearchInTagsOptions(); });
    connect(checkboxSearchInTagsLaunchAll_, &QRadioButton::clicked, this, [this] { storeSearchInTagsSelection(); });
    connect(checkboxSearchInTagsView_, &QRadioButton::clicked, this, [this] { storeSearchInTagsSelection(); });
    connect(checkboxLaunchAtLogin_, &QCheckBox::clicked, this, [this] { checkboxLaunchAtLoginClick(); });
    connect(buttonSelectAlternateBrowser_, &QPushButton::clicked, this, [this] { selectAlternateBrowser(); });
    return view;
}

void ConfigViewControllerGeneral::viewWillAppear()
{
    storeBeforeExitSave_ = platform::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(Configuration::willSaveForExitNotification), [this](const auto&) { storeSettings(); });
    setupRecordView(*globalHotkey_, this, services_.hotKeyCenter);
    loadSettings();
    const bool tags = checkboxSearchInTags_->isChecked();
    checkboxSearchInTagsLaunchAll_->setEnabled(tags);
    checkboxSearchInTagsView_->setEnabled(tags);
    checkboxLaunchAtLogin_->setChecked(AutoLaunchManager::launchAtLoginEnabled());
    setPreferredContentSize(preferredSize);
}

void ConfigViewControllerGeneral::viewDidAppear()
{
    // The keyboard starts at the first setting, not at the tab bar.
    popupButtonWindowType_->setFocus(Qt::OtherFocusReason);
}

void ConfigViewControllerGeneral::viewWillDisappear()
{
    storeBeforeExitSave_.reset();
    storeSettings();
}

void ConfigViewControllerGeneral::loadSettings()
{
    Configuration& config = *services_.config;
    globalHotkey_->setKeyCombo(config.globalKeyCombo());

    checkboxMainWindowAnimated_->setChecked(config.mainPopoverAnimated());
    checkboxSearchInComments_->setChecked(config.searchForComments());
    checkboxSearchInTags_->setChecked(config.searchForTags());
    // The two choices are exclusive: the launch-all one decides.
    const bool launchAll = config.selectingTagsInMainWindowLaunchAll();
    checkboxSearchInTagsLaunchAll_->setChecked(launchAll);
    checkboxSearchInTagsView_->setChecked(!launchAll);
    checkboxSelectTagsAndCategoriesOnHover_->setChecked(config.selectTagsAndCategoriesOnHover());

    const QStringList& icons = config.availableMenubarIcons();
    popupButtonMenuItem_->clear();
    for (const QString& name : icons) {
        const QIcon image = platform::Bundle::main().imageNamed(name).value_or(QIcon());
        // Images only: the item's data is its position in the list.
        popupButtonMenuItem_->addItem(image, QString(), static_cast<int>(icons.indexOf(name)));
    }
    const qsizetype icon = icons.indexOf(config.menubarIcon());
    popupButtonMenuItem_->setCurrentIndex(icon >= 0 ? static_cast<int>(icon) : 0);

    popupButtonWindowType_->clear();
    const QList<WindowStyle>& styles = config.availableWindowStyles();
    for (const WindowStyle& style : styles)
        popupButtonWindowType_->addItem(style.description);
    popupButtonWindowType_->setCurrentIndex(-1);
    for (qsizetype i = 0; i < styles.size(); ++i) {
        if (styles[i].index == config.windowViewStyle()) {
            popupButtonWindowType_->setCurrentIndex(static_cast<int>(i));
            break;
        }
    }

    popupButtonClickType_->clear();
    const QList<MainClickType>& clicks = config.availableClickTypes();
    for (const MainClickType& click : clicks)
        popupButtonClickType_->addItem(click.description);
    popupButtonClickType_->setCurrentIndex(-1);
    for (qsizetype i = 0; i < clicks.size(); ++i) {
        if (clicks[i].index == config.clickType()) {
            popupButtonClickType_->setCurrentIndex(static_cast<int>(i));
            break;
        }
    }

    textfieldAlternateBrowser_->setText(config.alternateFolderBrowser());
}

void ConfigViewControllerGeneral::storeSettings()
{
    Configuration& config = *services_.config;
    config.setGlobalKeyCombo(globalHotkey_->keyCombo());

    const QList<WindowStyle>& styles = config.availableWindowStyles();
    const int style = popupButtonWindowType_->currentIndex();
    config.setWindowViewStyle(style >= 0 && style < styles.size() ? styles[style].index : 0);

    const QList<MainClickType>& clicks = config.availableClickTypes();
    const int click = popupButtonClickType_->currentIndex();
    config.setClickType(click >= 0 && click < clicks.size() ? clicks[click].index : 0);

    const QStringList& icons = config.availableMenubarIcons();
    const int icon = popupButtonMenuItem_->currentIndex();
    config.setMenubarIcon(icon >= 0 && icon < icons.size() ? icons[icon] : config.defaultMenubarIcon);
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("menubarIconChanged"));

    config.setMainPopoverAnimated(checkboxMainWindowAnimated_->isChecked());
    config.setSearchForComments(checkboxSearchInComments_->isChecked());
    config.setSearchForTags(checkboxSearchInTags_->isChecked());
    config.setSelectingTagsInMainWindowLaunchAll(checkboxSearchInTagsLaunchAll_->isChecked());
    config.setSelectTagsAndCategoriesOnHover(checkboxSelectTagsAndCategoriesOnHover_->isChecked());

    config.setAlternateFolderBrowser(textfieldAlternateBrowser_->text());
}

void ConfigViewControllerGeneral::updateSearchInTagsOptions()
{
    const bool on = checkboxSearchInTags_->isChecked();
    checkboxSearchInTagsLaunchAll_->setEnabled(on);
    checkboxSearchInTagsView_->setEnabled(on);
    services_.config->setSearchForTags(on);
}

void ConfigViewControllerGeneral::storeSearchInTagsSelection()
{
    services_.config->setSelectingTagsInMainWindowLaunchAll(checkboxSearchInTagsLaunchAll_->isChecked());
}

void ConfigViewControllerGeneral::checkboxLaunchAtLoginClick()
{
    AutoLaunchManager::setLaunchAtLoginEnabled(checkboxLaunchAtLogin_->isChecked());
    // The box shows what the desktop now has, so a failed write does not
    // pass for a success.
    const bool enabled = AutoLaunchManager::launchAtLoginEnabled();
    if (enabled != checkboxLaunchAtLogin_->isChecked()) {
        VLOG(Logger::general(), LogType::Error, "Launch at login could not be changed");
        checkboxLaunchAtLogin_->setChecked(enabled);
    }
}

bool ConfigViewControllerGeneral::isApplicationPath(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    return path.endsWith(QLatin1String(".desktop")) || info.isExecutable();
}

void ConfigViewControllerGeneral::selectAlternateBrowser()
{
    platform::OpenPanelRequest request;
    request.title = localized("Choose an application to open folders with");
    request.canChooseFiles = true;
    request.canChooseDirectories = false;
    request.allowsMultipleSelection = false;
    request.canCreateDirectories = false;
    request.showsHiddenFiles = false;
    const QStringList folders = platform::DesktopEntryIndex::defaultApplicationFolders();
    if (!folders.isEmpty())
        request.directory = folders.first();
    request.validate = [](const QString& path, QString* reason) {
        if (isApplicationPath(path))
            return true;
        if (reason)
            *reason = localized("Choose an application: a desktop entry or a program.");
        return false;
    };
    const platform::OpenPanelResponse response = platform::Dialogs::runOpenPanel(request);
    if (!response.accepted || response.paths.isEmpty())
        return;
    textfieldAlternateBrowser_->setText(response.paths.first());
}

bool ConfigViewControllerGeneral::mayRecord(RecordView& recorder)
{
    return &recorder == globalHotkey_.data();
}

bool ConfigViewControllerGeneral::acceptsKeyCombo(RecordView& recorder, const KeyCombo& keyCombo)
{
    return KeyComboHolder::acceptIfFree(recorder, services_.hotKeyCenter, keyCombo);
}

void ConfigViewControllerGeneral::keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo)
{
    if (&recorder == globalHotkey_.data()) {
        services_.config->setGlobalKeyCombo(keyCombo);
        services_.hotKeyManager->registerHotKeys(HotKeyType::globalHotKey);
    }
    // The window's pause holds on: nothing fires while it is open.
}

void ConfigViewControllerGeneral::recordingEnded(RecordView&) {}

} // namespace vantel
