#include "popups/TagPopupViewController.h"

#include "config/SystemConfiguration.h"
#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "graphics/ImageUtilities.h"
#include "graphics/widgets/DrawnButtonDelete.h"
#include "graphics/widgets/DrawnColorCircle.h"
#include "graphics/widgets/SwatchColors.h"
#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/HotKeyManager.h"
#include "hotkeys/ui/RecordView.h"
#include "hotkeys/ui/SetupRecordView.h"
#include "model/LocalizedStrings.h"
#include "platform/Bundle.h"
#include "platform/MainQueue.h"
#include "platform/ui/PopoverHost.h"
#include "popups/ColorSlider.h"
#include "popups/IconChooseCollectionView.h"
#include "popups/PopupSliderSetup.h"
#include "popups/TagIconModel.h"
#include "hotkeys/ui/KeyComboHolder.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vantel {

namespace {

constexpr int margin = 12;
constexpr int swatchSide = 20;
constexpr int gridColumns = 10;
constexpr int recorderWidth = 190;
constexpr int recorderHeight = 24;

std::optional<QColor> qColorOf(const std::optional<platform::Color>& color)
{
    return color ? std::optional<QColor>(color->toQColor()) : std::nullopt;
}

QWidget* section(QWidget* parent, const QString& name)
{
    auto* widget = new QWidget(parent);
    widget->setObjectName(name);
    return widget;
}

} // namespace

TagPopupViewController::TagPopupViewController(QObject* parent)
    : platform::ViewControllerBase(parent)
{
}

TagPopupViewController::~TagPopupViewController()
{
    // A controller that goes while shown must not keep the hotkeys paused.
    if (holdsHotkeyPause_)
        HotKeyManager::shared().resumeHotkeys();
}

iconTagPtr TagPopupViewController::currentIconTag() const
{
    if (!currentSourcelistItem_)
        return nullptr;
    const QString name = currentSourcelistItem_->tag;
    return TagManager::shared()
        .allAvailableTags()
        ->firstItem([&](const iconTagPtr& tag) { return tag && tag->tagName() == name; })
        .value_or(nullptr);
}

QList<QWidget*> TagPopupViewController::stackViews() const
{
    QList<QWidget*> views;
    for (const QPointer<QWidget>& view : stackViews_)
        views.append(view.data());
    return views;
}

QList<DrawnColorCircle*> TagPopupViewController::colorCircles() const
{
    QList<DrawnColorCircle*> circles;
    for (const QPointer<DrawnColorCircle>& circle : colorCircles_)
        circles.append(circle.data());
    return circles;
}

QWidget* TagPopupViewController::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("TagPopupViewController"));
    // No spacing between the sections, so hiding the grid takes away exactly
    // its own height.
    auto* stackView = new QVBoxLayout(view);
    stackView->setContentsMargins(0, 0, 0, 0);
    stackView->setSpacing(0);

    // 0: name and symbol.
    QWidget* header = section(view, QStringLiteral("headerSection"));
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(margin, margin, margin, 6);
    headerRow->setSpacing(10);
    imageTagSymbol_ = new QLabel(header);
    imageTagSymbol_->setObjectName(QStringLiteral("imageTagSymbol"));
    imageTagSymbol_->setFixedSize(previewSide + 4, previewSide + 4);
    imageTagSymbol_->setAlignment(Qt::AlignCenter);
    headerRow->addWidget(imageTagSymbol_);
    lblTagName_ = new QLabel(header);
    lblTagName_->setObjectName(QStringLiteral("lblTagName"));
    lblTagName_->setTextFormat(Qt::PlainText);
    lblTagName_->setWordWrap(true);
    QFont nameFont = lblTagName_->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.15);
    lblTagName_->setFont(nameFont);
    headerRow->addWidget(lblTagName_, 1);
    btnDeleteTag_ = new DrawnButtonDelete(header);
    btnDeleteTag_->setObjectName(QStringLiteral("btnDeleteTag"));
    btnDeleteTag_->setFixedSize(20, 20);
    btnDeleteTag_->setToolTip(localized("Delete Tag"));
    btnDeleteTag_->setAccessibleName(localized("Delete Tag"));
    headerRow->addWidget(btnDeleteTag_, 0, Qt::AlignTop);

    // 1: colour and symbol choices.
    QWidget* colors = section(view, QStringLiteral("colorSection"));
    auto* colorColumn = new QVBoxLayout(colors);
    colorColumn->setContentsMargins(margin, 6, margin, 6);
    colorColumn->setSpacing(8);
    auto* swatches = new QHBoxLayout;
    swatches->setSpacing(6);
    for (int i = 0; i < swatchCount; ++i) {
        auto* circle = new DrawnColorCircle(colors);
        circle->setObjectName(QStringLiteral("colorCircle%1").arg(i + 1, 2, 10, QLatin1Char('0')));
        circle->setFixedSize(swatchSide, swatchSide);
        swatches->addWidget(circle);
        colorCircles_.append(circle);
    }
    swatches->addStretch();
    colorColumn->addLayout(swatches);
    colorSlider_ = new ColorSlider(colors);
    colorSlider_->setObjectName(QStringLiteral("colorSlider"));
    colorSlider_->setFixedHeight(20);
    colorSlider_->setMaxValue(1.0);
    colorColumn->addWidget(colorSlider_);
    auto* choiceButtons = new QHBoxLayout;
    choiceButtons->setSpacing(6);
    btnChangeIcon_ = new QPushButton(localized("Change Icon"), colors);
    btnChangeIcon_->setObjectName(QStringLiteral("btnChangeIcon"));
    btnDefaultIcon_ = new QPushButton(localized("Default Icon"), colors);
    btnDefaultIcon_->setObjectName(QStringLiteral("btnDefaultIcon"));
    btnDefaultIcon_->setToolTip(localized("The default symbol and no colour"));
    btnClearColor_ = new QPushButton(localized("No Colour"), colors);
    btnClearColor_->setObjectName(QStringLiteral("btnClearColor"));
    choiceButtons->addWidget(btnChangeIcon_);
    choiceButtons->addWidget(btnDefaultIcon_);
    choiceButtons->addStretch();
    choiceButtons->addWidget(btnClearColor_);
    colorColumn->addLayout(choiceButtons);

    // 2: the symbol grid.
    QWidget* chooser = section(view, QStringLiteral("iconChooserSection"));
    auto* chooserColumn = new QVBoxLayout(chooser);
    chooserColumn->setContentsMargins(margin, 0, margin, 0);
    iconChooseCollectionView_ = new IconChooseCollectionView(chooser);
    iconChooseCollectionView_->setObjectName(QStringLiteral("iconChooseCollectionView"));
    iconChooseCollectionView_->setFrameShape(QFrame::NoFrame);
    chooserColumn->addWidget(iconChooseCollectionView_);

    // 3: the two hotkeys.
    QWidget* hotkeys = section(view, QStringLiteral("hotkeySection"));
    auto* hotkeyGrid = new QGridLayout(hotkeys);
    hotkeyGrid->setContentsMargins(margin, 8, margin, 6);
    hotkeyGrid->setHorizontalSpacing(10);
    hotkeyGrid->setVerticalSpacing(6);
    auto* hotkeyLabel = new QLabel(localized("Hotkey:"), hotkeys);
    hotkey_ = new RecordView(hotkeys);
    hotkey_->setObjectName(QStringLiteral("hotkey"));
    hotkey_->setAccessibleName(localized("Hotkey"));
    auto* launchAllLabel = new QLabel(localized("Launch all:"), hotkeys);
    hotkeyLaunchAll_ = new RecordView(hotkeys);
    hotkeyLaunchAll_->setObjectName(QStringLiteral("hotkeyLaunchAll"));
    hotkeyLaunchAll_->setAccessibleName(localized("Hotkey to launch all"));
    for (RecordView* recorder : {hotkey_.data(), hotkeyLaunchAll_.data()}) {
        recorder->setMinimumWidth(recorderWidth);
        recorder->setFixedHeight(recorderHeight);
    }
    hotkeyGrid->addWidget(hotkeyLabel, 0, 0, Qt::AlignRight | Qt::AlignVCenter);
    hotkeyGrid->addWidget(hotkey_, 0, 1);
    hotkeyGrid->addWidget(launchAllLabel, 1, 0, Qt::AlignRight | Qt::AlignVCenter);
    hotkeyGrid->addWidget(hotkeyLaunchAll_, 1, 1);
    hotkeyGrid->setColumnStretch(1, 1);

    // 4: open everything.
    QWidget* actions = section(view, QStringLiteral("actionSection"));
    auto* actionRow = new QHBoxLayout(actions);
    actionRow->setContentsMargins(margin, 6, margin, margin);
    btnLaunchAll_ = new QPushButton(localized("Launch All Entries"), actions);
    btnLaunchAll_->setObjectName(QStringLiteral("btnLaunchAll"));
    actionRow->addStretch();
    actionRow->addWidget(btnLaunchAll_);

    for (QWidget* part : {header, colors, chooser, hotkeys, actions}) {
        stackView->addWidget(part);
        stackViews_.append(part);
    }

    connect(btnChangeIcon_, &QPushButton::clicked, this, &TagPopupViewController::btnChangeIconClick);
    connect(btnDefaultIcon_, &QPushButton::clicked, this, &TagPopupViewController::btnDefaultIconClick);
    connect(btnClearColor_, &QPushButton::clicked, this, &TagPopupViewController::btnClearColorClick);
    connect(btnLaunchAll_, &QPushButton::clicked, this, &TagPopupViewController::btnLaunchAllClick);
    connect(btnDeleteTag_, &QAbstractButton::clicked, this, &TagPopupViewController::btnDeleteTagClick);
    connect(colorSlider_, &ColorSlider::triggered, this, &TagPopupViewController::onChangeColorSlider);
    return view;
}

void TagPopupViewController::viewDidLoad()
{
    // The grid: the catalogue tinted in the chosen colour, items as large
    // as the sidebar's icons.
    iconModel_ = new TagIconModel(TagManager::shared().iconNames(), this);
    iconChooseCollectionView_->setModel(iconModel_);
    const int side = std::max(8, int(std::lround(SystemConfiguration::shared().sidebarIconSize())));
    iconChooseCollectionView_->setItemSize(QSize(side, side));
    iconChooseCollectionView_->clearSelection();
    connect(iconChooseCollectionView_, &IconChooseCollectionView::iconSelected, this,
            &TagPopupViewController::didSelectIcon);
    const int cell = side + IconChooseCollectionView::spacing;
    const int scrollBar = iconChooseCollectionView_->verticalScrollBar()->sizeHint().width();
    iconChooseCollectionView_->setMinimumWidth(gridColumns * cell + IconChooseCollectionView::spacing + scrollBar + 2);

    const QList<QColor> colors = systemSwatchColors();
    for (int i = 0; i < colorCircles_.size(); ++i) {
        colorCircles_.at(i)->setDelegate(this);
        colorCircles_.at(i)->setColor(colors.value(i));
        colorCircles_.at(i)->setAccessibleName(colorDescription(colors.value(i)));
    }

    // The grid takes what is left of the expanded height once the other
    // sections have their natural height.
    // One width for both heights: the one the grid needs.
    QWidget* chooser = stackViews_.value(iconChooserSection);
    const int width = view()->sizeHint().width();
    chooser->setHidden(true);
    const int rest = view()->sizeHint().height();
    gridHeight_ = std::max(3 * cell, expandedHeight - rest);
    chooser->setFixedHeight(gridHeight_);
    setPreferredContentSize(QSize(width, collapsedHeight()));
}

int TagPopupViewController::collapsedHeight() const
{
    return expandedHeight - gridHeight_;
}

void TagPopupViewController::viewWillAppear()
{
    isVisible_ = true;
    const iconTagPtr tag = currentIconTag();
    if (!currentSourcelistItem_ || !tag) {
        // Nothing of another tag may stay on show.
        if (lblTagName_)
            lblTagName_->setText(currentSourcelistItem_ ? currentSourcelistItem_->name : QString());
        if (imageTagSymbol_)
            imageTagSymbol_->clear();
        if (hotkey_)
            hotkey_->setKeyCombo(std::nullopt);
        if (hotkeyLaunchAll_)
            hotkeyLaunchAll_->setKeyCombo(std::nullopt);
        return;
    }

    if (colorSlider_)
        prepareColorSlider(*colorSlider_);
    // Counted: another holder of a pause (a settings pane) keeps its own.
    if (!holdsHotkeyPause_) {
        HotKeyManager::shared().pauseHotkeys();
        holdsHotkeyPause_ = true;
    }
    needsRebuild_ = false;
    needsRedraw_ = false;
    showIconChooser(false);
    lblTagName_->setText(currentSourcelistItem_->name);
    hotkey_->setKeyCombo(tag->hotkey());
    hotkeyLaunchAll_->setKeyCombo(tag->hotkeyLaunchAll());
    setupRecordView(*hotkey_, this, &HotKeyCenter::shared());
    setupRecordView(*hotkeyLaunchAll_, this, &HotKeyCenter::shared());
    tintColor_ = tag->color();
    refreshPreview();
}

void TagPopupViewController::viewDidDisappear()
{
    if (holdsHotkeyPause_) {
        HotKeyManager::shared().resumeHotkeys();
        holdsHotkeyPause_ = false;
    }
    isVisible_ = false;
}

void TagPopupViewController::showSymbol(const QString& symbol)
{
    if (!imageTagSymbol_)
        return;
    const std::optional<QIcon> image = platform::Bundle::main().imageNamed(symbol);
    if (!image) {
        imageTagSymbol_->clear();
        imageTagSymbol_->setAccessibleName(QString());
        return;
    }
    const QIcon shown = tinted(*image, qColorOf(tintColor_));
    imageTagSymbol_->setPixmap(
        shown.pixmap(QSize(previewSide, previewSide), imageTagSymbol_->devicePixelRatioF()));
    imageTagSymbol_->setAccessibleName(TagIconModel::spokenName(symbol));
}

void TagPopupViewController::refreshPreview()
{
    if (const iconTagPtr tag = currentIconTag()) {
        tag->setColor(tintColor_);
        showSymbol(tag->tagSymbol());
    }
    if (iconModel_)
        iconModel_->setTintColor(qColorOf(tintColor_));
}

void TagPopupViewController::colorOrIconChanged()
{
    needsRedraw_ = true;
    emit redrawSelectedRowsNeeded();
}

void TagPopupViewController::showIconChooser(bool show)
{
    if (!popover_ || stackViews_.size() <= iconChooserSection)
        return;
    QWidget* chooser = stackViews_.at(iconChooserSection);
    const int g = chooser->height();
    const QSize current = popover_->contentSize();
    if (show) {
        if (current.height() != expandedHeight) {
            popover_->setContentSize(QSize(current.width(), expandedHeight));
            chooser->setHidden(false);
        }
    } else if (current.height() != expandedHeight - g) {
        chooser->setHidden(true);
        popover_->setContentSize(QSize(current.width(), expandedHeight - g));
    }
}

void TagPopupViewController::btnChangeIconClick()
{
    if (stackViews_.size() > iconChooserSection)
        showIconChooser(stackViews_.at(iconChooserSection)->isHidden());
}

void TagPopupViewController::colorCircleClicked(DrawnColorCircle*, const QColor& color)
{
    if (!color.isValid() || isClearColor(color))
        tintColor_.reset();
    else
        tintColor_ = platform::Color::fromQColor(color);
    refreshPreview();
    colorOrIconChanged();
}

void TagPopupViewController::onChangeColorSlider()
{
    if (!colorSlider_)
        return;
    tintColor_ = platform::Color::fromQColor(colorSlider_->selectedColor());
    refreshPreview();
    colorOrIconChanged();
}

void TagPopupViewController::btnClearColorClick()
{
    tintColor_.reset();
    refreshPreview();
    colorOrIconChanged();
}

void TagPopupViewController::didSelectIcon(int row)
{
    const iconTagPtr tag = currentIconTag();
    if (!tag)
        return;
    const QString name = TagManager::shared().iconNames().value(row);
    if (name.isEmpty())
        return;
    tag->setTagSymbol(name);
    tag->setColor(tintColor_);
    showSymbol(name);
    colorOrIconChanged();
}

void TagPopupViewController::btnDefaultIconClick()
{
    const iconTagPtr tag = currentIconTag();
    if (!tag)
        return;
    tag->setTagSymbol(TagManager::shared().defaultTag);
    tintColor_.reset();
    refreshPreview();
    colorOrIconChanged();
}

void TagPopupViewController::closePopover()
{
    if (popover_ && popover_->isShown())
        popover_->close();
}

void TagPopupViewController::btnLaunchAllClick()
{
    if (!currentSourcelistItem_)
        return;
    const QString tagName = currentSourcelistItem_->tag;
    // The entries open on the next turn, once the popover is gone.
    platform::MainQueue::async([tagName] { DataStorage::shared().launchAllEntriesOfTag(tagName); });
    closePopover();
}

void TagPopupViewController::btnDeleteTagClick()
{
    if (!currentSourcelistItem_ || currentSourcelistItem_->tag.isEmpty())
        return;
    const QString tagName = currentSourcelistItem_->tag;
    if (!TagManager::shared().confirmDeleteTag(tagName))
        return;
    if (!TagManager::shared().deleteTag(tagName))
        return;
    needsRebuild_ = true;
    DataStorage::shared().rebuildData(DataStorageRebuildReason::sectionViewPopup);
    closePopover();
}

bool TagPopupViewController::mayRecord(RecordView&)
{
    return true;
}

bool TagPopupViewController::acceptsKeyCombo(RecordView& recorder, const KeyCombo& keyCombo)
{
    return KeyComboHolder::acceptIfFree(recorder, &HotKeyCenter::shared(), keyCombo);
}

void TagPopupViewController::keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo)
{
    const iconTagPtr tag = currentIconTag();
    if (!tag)
        return;
    if (&recorder == hotkey_.data())
        tag->setHotkey(keyCombo);
    else if (&recorder == hotkeyLaunchAll_.data())
        tag->setHotkeyLaunchAll(keyCombo);
}

void TagPopupViewController::recordingEnded(RecordView&)
{
}

} // namespace vantel
