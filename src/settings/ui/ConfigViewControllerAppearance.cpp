#include "settings/ui/ConfigViewControllerAppearance.h"

#include "datastore/Shortcuts.h"
#include "graphics/widgets/DrawnMainViewBackground.h"
#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/HotKeyManager.h"
#include "hotkeys/ui/RecordView.h"
#include "hotkeys/ui/SetupRecordView.h"
#include "model/LocalizedStrings.h"
#include "platform/NotificationCenter.h"
#include "platform/WorkspaceIcons.h"
#include "hotkeys/ui/KeyComboHolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>

namespace vantel {

namespace {

const char* categoryTitle(Configuration::SidebarCategory category)
{
    using C = Configuration::SidebarCategory;
    switch (category) {
    case C::files: return localizable("&Files");
    case C::folders: return localizable("F&olders");
    case C::urls: return localizable("URLs");
    case C::recentApplications: return localizable("&Recent applications");
    case C::activeApplications: return localizable("Ac&tive applications");
    case C::favorites: return localizable("Favor&ites");
    case C::shortcuts: return localizable("Shortcuts");
    }
    return "";
}

QColor textColor(const std::optional<platform::Color>& color, const QPalette& palette)
{
    return color ? color->toQColor() : palette.color(QPalette::Text);
}

} // namespace

ConfigViewControllerAppearance::ConfigViewControllerAppearance(SettingsServices services, QObject* parent)
    : SettingsViewController(parent)
    , services_(services)
{
    // Known before the view appears: the window is sized from it.
    setPreferredContentSize(preferredSize);
}

bool ConfigViewControllerAppearance::shortcutsAvailable()
{
    return QFileInfo(Shortcuts::shared().shortcutCommand).isExecutable();
}

QWidget* ConfigViewControllerAppearance::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("ConfigViewControllerAppearance"));
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->setSpacing(12);

    auto* sidebar = new QGroupBox(localized("Sidebar categories and their hotkeys"));
    auto* grid = new QGridLayout(sidebar);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(6);
    for (size_t i = 0; i < categories.size(); ++i) {
        const Category category = categories[i];
        auto* box = new QCheckBox(localized(categoryTitle(category)));
        box->setObjectName(QStringLiteral("checkboxCategoriesShow%1").arg(i));
        auto* recorder = new RecordView;
        recorder->setObjectName(QStringLiteral("hotkeyCategoriesShow%1").arg(i));
        recorder->setAccessibleName(localized("Hotkey for %1").arg(localized(categoryTitle(category)).remove(QLatin1Char('&'))));
        recorder->setMinimumWidth(200);
        // Two columns of rows, so that the seven fit beside each other.
        const int row = static_cast<int>(i % 4);
        const int column = static_cast<int>(i / 4) * 2;
        grid->addWidget(box, row, column);
        grid->addWidget(recorder, row, column + 1);
        checkboxes_[index(category)] = box;
        recorders_[index(category)] = recorder;
        connect(box, &QCheckBox::clicked, this, [this, category] { checkboxShowCategoriesClick(category); });
    }
    grid->setColumnStretch(4, 1);
    layout->addWidget(sidebar);

    auto* options = new QGroupBox(localized("Main view"));
    auto* optionLayout = new QGridLayout(options);
    checkboxShowNumberOfElementInSidebar_ = new QCheckBox(localized("Show the number of entries beside tags"));
    checkboxShowNumberOfElementInSidebar_->setObjectName(QStringLiteral("checkboxShowNumberOfElementInSidebar"));
    checkboxShowPathInMainView_ = new QCheckBox(localized("Show the path of entries"));
    checkboxShowPathInMainView_->setObjectName(QStringLiteral("checkboxShowPathInMainView"));
    checkboxUseSmallModeInMainView_ = new QCheckBox(localized("Small rows"));
    checkboxUseSmallModeInMainView_->setObjectName(QStringLiteral("checkboxUseSmallModeInMainView"));
    checkboxDrawBorderAroundHotkey_ = new QCheckBox(localized("Draw a border around hotkeys"));
    checkboxDrawBorderAroundHotkey_->setObjectName(QStringLiteral("checkboxDrawBorderAroundHotkey"));
    checkboxTranslucentBackgroundRight_ = new QCheckBox(localized("Translucent background of the entry list"));
    checkboxTranslucentBackgroundRight_->setObjectName(QStringLiteral("checkboxTranslucentBackgroundRight"));
    optionLayout->addWidget(checkboxShowPathInMainView_, 0, 0);
    optionLayout->addWidget(checkboxUseSmallModeInMainView_, 1, 0);
    optionLayout->addWidget(checkboxDrawBorderAroundHotkey_, 2, 0);
    optionLayout->addWidget(checkboxShowNumberOfElementInSidebar_, 0, 1);
    optionLayout->addWidget(checkboxTranslucentBackgroundRight_, 1, 1);
    layout->addWidget(options);

    auto* looks = new QGroupBox(localized("Entry colour and size"));
    auto* looksLayout = new QHBoxLayout(looks);
    looksLayout->setSpacing(24);
    auto* form = new QFormLayout;
    backgroundColorIntensity_ = new QSlider(Qt::Horizontal);
    backgroundColorIntensity_->setObjectName(QStringLiteral("backgroundColorIntensity"));
    backgroundColorIntensity_->setAccessibleName(localized("Intensity of the entry colour"));
    backgroundColorIntensity_->setRange(0, 100);
    backgroundColorIntensity_->setMinimumWidth(200);
    mainWindowWidth_ = new QComboBox;
    mainWindowWidth_->setObjectName(QStringLiteral("mainWindowWidth"));
    mainWindowHeight_ = new QComboBox;
    mainWindowHeight_->setObjectName(QStringLiteral("mainWindowHeight"));
    form->addRow(localized("Colour intensity:"), backgroundColorIntensity_);
    form->addRow(localized("Width of the main view:"), mainWindowWidth_);
    form->addRow(localized("Height of the main view:"), mainWindowHeight_);
    looksLayout->addLayout(form);

    // The preview: one row of the entry list on its coloured background.
    mainViewPreviewBackground_ = new DrawnMainViewBackground;
    mainViewPreviewBackground_->setObjectName(QStringLiteral("mainViewPreviewBackground"));
    mainViewPreviewBackground_->setFixedSize(420, 56);
    auto* row = new QHBoxLayout(mainViewPreviewBackground_);
    row->setContentsMargins(10, 4, 10, 4);
    mainViewPreviewIcon_ = new QLabel;
    mainViewPreviewIcon_->setObjectName(QStringLiteral("mainViewPreviewIcon"));
    QIcon icon = QIcon::fromTheme(QStringLiteral("accessories-text-editor"));
    if (icon.isNull())
        icon = view->style()->standardIcon(QStyle::SP_FileIcon);
    mainViewPreviewIcon_->setPixmap(icon.pixmap(QSize(32, 32), view->devicePixelRatioF()));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    mainViewPreviewAppName_ = new QLabel(localized("Text Editor"));
    mainViewPreviewAppName_->setObjectName(QStringLiteral("mainViewPreviewAppName"));
    mainViewPreviewPath_ = new QLabel(QStringLiteral("/usr/share/applications/editor.desktop"));
    mainViewPreviewPath_->setObjectName(QStringLiteral("mainViewPreviewPath"));
    QFont small = mainViewPreviewPath_->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    mainViewPreviewPath_->setFont(small);
    texts->addWidget(mainViewPreviewAppName_);
    texts->addWidget(mainViewPreviewPath_);
    mainViewPreviewHotkey_ = new QPushButton(localized("Hotkey"));
    mainViewPreviewHotkey_->setObjectName(QStringLiteral("mainViewPreviewHotkey"));
    mainViewPreviewHotkey_->setFocusPolicy(Qt::NoFocus);
    row->addWidget(mainViewPreviewIcon_);
    row->addLayout(texts, 1);
    row->addWidget(mainViewPreviewHotkey_);
    looksLayout->addWidget(mainViewPreviewBackground_, 0, Qt::AlignVCenter);
    looksLayout->addStretch(1);
    layout->addWidget(looks);
    layout->addStretch(1);

    connect(backgroundColorIntensity_, &QSlider::valueChanged, this, [this] { backgroundColorIntensityChange(); });
    connect(checkboxShowPathInMainView_, &QCheckBox::clicked, this, [this] { updatePreview(); });
    connect(checkboxDrawBorderAroundHotkey_, &QCheckBox::clicked, this, [this] { updatePreview(); });
    return view;
}

void ConfigViewControllerAppearance::viewWillAppear()
{
    storeBeforeExitSave_ = platform::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(Configuration::willSaveForExitNotification), [this](const auto&) { storeSettings(); });
    const bool shortcuts = shortcutsAvailable();
    for (Category category : categories) {
        if (category != Category::shortcuts || shortcuts)
            setupRecordView(*recorders_[index(category)], this, services_.hotKeyCenter);
    }
    loadSettings();
    for (Category category : categories) {
        if (category == Category::shortcuts && !shortcuts) {
            // Without the tool the switch still shows (and keeps) its value.
            checkboxes_[index(category)]->setEnabled(false);
            recorders_[index(category)]->setEnabled(false);
            continue;
        }
        recorders_[index(category)]->setEnabled(checkboxes_[index(category)]->isChecked());
    }
    updatePreview();
    setPreferredContentSize(preferredSize);
}

void ConfigViewControllerAppearance::viewWillDisappear()
{
    storeBeforeExitSave_.reset();
    storeSettings();
}

void ConfigViewControllerAppearance::loadSettings()
{
    Configuration& config = *services_.config;
    checkboxShowPathInMainView_->setChecked(config.showPathInMainView());
    checkboxUseSmallModeInMainView_->setChecked(config.useSmallModeInMainView());
    checkboxShowNumberOfElementInSidebar_->setChecked(config.sidebarCategoriesShowNumberOfElementInSidebar());
    checkboxDrawBorderAroundHotkey_->setChecked(config.hotkeyBorder());
    checkboxTranslucentBackgroundRight_->setChecked(config.translucentBackgroundRight());

    for (Category category : categories) {
        QCheckBox* box = checkboxes_[index(category)];
        RecordView* recorder = recorders_[index(category)];
        if (!config.sidebarCategoriesShow(category)) {
            // A hidden category keeps no hotkey.
            box->setChecked(false);
            recorder->setKeyCombo(std::nullopt);
            config.setGlobalKeyComboCategories(category, std::nullopt);
        } else {
            box->setChecked(true);
            recorder->setKeyCombo(config.globalKeyComboCategories(category));
        }
    }

    const float alpha = config.entryBackgroundAlphaValue();
    {
        // Loading sets the working copy itself; the slider's signal must not
        // round it through the slider's integer steps.
        const QSignalBlocker quiet(backgroundColorIntensity_);
        if (!(alpha >= 0.0f && alpha <= 1.0f)) {
            backgroundColorIntensity_->setValue(20);
            backgroundColorIntensityValue_ = fallbackIntensity;
        } else {
            backgroundColorIntensity_->setValue(qRound(alpha * 100.0f));
            backgroundColorIntensityValue_ = alpha;
        }
    }

    mainWindowWidth_->clear();
    for (MainWindowWidth width : MainWindowWidths::allCases)
        mainWindowWidth_->addItem(MainWindowWidths::rawValue(width));
    mainWindowWidth_->setCurrentIndex(MainWindowWidths::allCasesIndex(config.mainWindowWidth()));

    mainWindowHeight_->clear();
    int heightIndex = 0;
    for (size_t i = 0; i < MainWindowHeights::allCases.size(); ++i) {
        mainWindowHeight_->addItem(MainWindowHeights::rawValue(MainWindowHeights::allCases[i]));
        if (MainWindowHeights::allCases[i] == config.mainWindowHeight())
            heightIndex = static_cast<int>(i);
    }
    mainWindowHeight_->setCurrentIndex(heightIndex);

    updatePreview();
}

void ConfigViewControllerAppearance::storeSettings()
{
    Configuration& config = *services_.config;
    platform::NotificationCenter& center = platform::NotificationCenter::defaultCenter();
    config.setShowPathInMainView(checkboxShowPathInMainView_->isChecked());
    center.post(QStringLiteral("showPathInMainViewChanged"));
    config.setUseSmallModeInMainView(checkboxUseSmallModeInMainView_->isChecked());
    center.post(QStringLiteral("useSmallModeInMainViewChanged"));
    config.setHotkeyBorder(checkboxDrawBorderAroundHotkey_->isChecked());
    config.setSidebarCategoriesShowNumberOfElementInSidebar(checkboxShowNumberOfElementInSidebar_->isChecked());
    center.post(QStringLiteral("sidebarCategoriesShowNumberOfElementInSidebarChanged"));
    config.setTranslucentBackgroundRight(checkboxTranslucentBackgroundRight_->isChecked());

    for (Category category : categories) {
        const bool on = checkboxes_[index(category)]->isChecked();
        config.setSidebarCategoriesShow(category, on);
        config.setGlobalKeyComboCategories(category, on ? recorders_[index(category)]->keyCombo() : std::nullopt);
    }

    const auto width = MainWindowWidths::fromIndex(mainWindowWidth_->currentIndex());
    config.setMainWindowWidth(width.value_or(MainWindowWidth::with700));
    const int height = mainWindowHeight_->currentIndex();
    config.setMainWindowHeight(height >= 0 && height < static_cast<int>(MainWindowHeights::allCases.size())
                                   ? MainWindowHeights::allCases[static_cast<size_t>(height)]
                                   : MainWindowHeight::height70);

    const float alpha = backgroundColorIntensityValue_;
    config.setEntryBackgroundAlphaValue(alpha >= 0.0f && alpha <= 1.0f ? alpha : fallbackIntensity);
}

void ConfigViewControllerAppearance::updatePreview()
{
    mainViewPreviewBackground_->setAlphaColor(backgroundColorIntensityValue_);
    mainViewPreviewBackground_->setColor(QColor(Qt::red));
    const QPalette palette = mainViewPreviewPath_->palette();
    QPalette pathPalette = palette;
    pathPalette.setColor(QPalette::WindowText, textColor(services_.config->pathColor(), palette));
    mainViewPreviewPath_->setPalette(pathPalette);
    mainViewPreviewPath_->setVisible(checkboxShowPathInMainView_->isChecked());
    QPalette namePalette = mainViewPreviewAppName_->palette();
    namePalette.setColor(QPalette::WindowText, textColor(services_.config->diaplaynameColor(), palette));
    mainViewPreviewAppName_->setPalette(namePalette);
    mainViewPreviewHotkey_->setText(localized("Hotkey"));
    mainViewPreviewHotkey_->setFlat(!checkboxDrawBorderAroundHotkey_->isChecked());
}

void ConfigViewControllerAppearance::checkboxShowCategoriesClick(Category category)
{
    RecordView* recorder = recorders_[index(category)];
    if (checkboxes_[index(category)]->isChecked()) {
        recorder->setEnabled(true);
    } else {
        recorder->setEnabled(false);
        recorder->setKeyCombo(std::nullopt);
    }
    services_.hotKeyManager->registerHotKeys(HotKeyType::categoryKey);
}

void ConfigViewControllerAppearance::backgroundColorIntensityChange()
{
    const float value = static_cast<float>(backgroundColorIntensity_->value()) / 100.0f;
    backgroundColorIntensityValue_ = value >= 0.0f && value <= 1.0f ? value : fallbackIntensity;
    updatePreview();
}

std::optional<ConfigViewControllerAppearance::Category> ConfigViewControllerAppearance::categoryOf(
    const RecordView& recorder) const
{
    for (Category category : categories) {
        if (recorders_[index(category)] == &recorder)
            return category;
    }
    return std::nullopt;
}

bool ConfigViewControllerAppearance::mayRecord(RecordView& recorder)
{
    const auto category = categoryOf(recorder);
    return category && checkboxes_[index(*category)]->isChecked();
}

bool ConfigViewControllerAppearance::acceptsKeyCombo(RecordView& recorder, const KeyCombo& keyCombo)
{
    return KeyComboHolder::acceptIfFree(recorder, services_.hotKeyCenter, keyCombo);
}

void ConfigViewControllerAppearance::keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo)
{
    if (const auto category = categoryOf(recorder)) {
        services_.config->setGlobalKeyComboCategories(*category, keyCombo);
        services_.hotKeyManager->registerHotKeys(HotKeyType::categoryKey);
    }
}

void ConfigViewControllerAppearance::recordingEnded(RecordView&) {}

} // namespace vantel
