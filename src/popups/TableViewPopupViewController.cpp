#include "popups/TableViewPopupViewController.h"

#include "config/Configuration.h"
#include "datastore/DataStorage.h"
#include "datastore/DatastorageHandlerURLObjects.h"
#include "datastore/TagManager.h"
#include "graphics/widgets/DrawnCheckBoxFavorite.h"
#include "graphics/widgets/DrawnColorCircle.h"
#include "graphics/widgets/DrawnMainViewBackground.h"
#include "graphics/widgets/SwatchColors.h"
#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/HotKeyManager.h"
#include "hotkeys/ui/RecordView.h"
#include "hotkeys/ui/SetupRecordView.h"
#include "model/LocalizedStrings.h"
#include "platform/ui/PopoverHost.h"
#include "popups/ColorSlider.h"
#include "popups/CustomTextField.h"
#include "popups/CustomTokenField.h"
#include "popups/PopupSliderSetup.h"
#include "popups/TableViewPopupIcon.h"
#include "shell/AppDelegate.h"
#include "shell/VantelManager.h"
#include "hotkeys/ui/KeyComboHolder.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantel {

namespace {

// Metrics of the layout.
constexpr int contentMargin = 10;
constexpr int panelMargin = 10;
constexpr int panelCornerRadius = 7;
constexpr int leftPanelWidth = 330;
constexpr int iconSide = 48;
constexpr int swatchSide = 18;
constexpr int swatchSpacing = 4;
constexpr int swatchColumns = 9;
constexpr int sliderHeight = 20;
constexpr int recorderWidth = 170;
constexpr int recorderHeight = 24;
constexpr int previewHeight = 28;
constexpr int starSide = 22;

// The colour of the path line ("AppPath"): the palette's placeholder text, a
// grey that reads on light and dark backgrounds alike.
QColor appPathColor(const QWidget& widget)
{
    return widget.palette().color(QPalette::PlaceholderText);
}

// The panel behind the left part: the content background with rounded corners.
class RoundedPanel : public QFrame {
public:
    explicit RoundedPanel(QWidget* parent)
        : QFrame(parent)
    {
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        Q_UNUSED(event)
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette().color(QPalette::Base));
        painter.drawRoundedRect(QRectF(rect()), panelCornerRadius, panelCornerRadius);
    }
};

QLabel* captionLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

TableViewPopupViewController::Services TableViewPopupViewController::Services::shared()
{
    return {&DataStorage::shared(), &HotKeyManager::shared(), &HotKeyCenter::shared(), &AppDelegate::shared().config()};
}

TableViewPopupViewController::TableViewPopupViewController(QObject* parent)
    : TableViewPopupViewController(Services::shared(), parent)
{
}

TableViewPopupViewController::TableViewPopupViewController(Services services, QObject* parent)
    : platform::ViewControllerBase(parent)
    , services_(services)
{
}

TableViewPopupViewController::~TableViewPopupViewController()
{
    // The swatches and the recorder must not call back into a controller that went.
    for (DrawnColorCircle* circle : std::as_const(colorCircles_))
        circle->setDelegate(nullptr);
    if (hotkey_)
        hotkey_->setDelegate(nullptr);
    if (pausesHotkeys_)
        services_.hotKeyManager->resumeHotkeys();
}

// ---- The view ----

QWidget* TableViewPopupViewController::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("TableViewPopupViewController"));
    auto* content = new QVBoxLayout(view);
    content->setContentsMargins(contentMargin, contentMargin, contentMargin, contentMargin);
    content->setSpacing(contentMargin);
    auto* outer = new QHBoxLayout;
    outer->setSpacing(contentMargin);
    content->addLayout(outer);

    // Left: what the entry is, and its texts.
    backgroundPanelLeft_ = new RoundedPanel(view);
    backgroundPanelLeft_->setObjectName(QStringLiteral("backgroundPanelLeft"));
    backgroundPanelLeft_->setFixedWidth(leftPanelWidth);
    auto* left = new QVBoxLayout(backgroundPanelLeft_);
    left->setContentsMargins(panelMargin, panelMargin, panelMargin, panelMargin);
    left->setSpacing(8);

    auto* header = new QHBoxLayout;
    header->setSpacing(10);
    appImage_ = new QLabel(backgroundPanelLeft_);
    appImage_->setFixedSize(iconSide, iconSide);
    appImage_->setAccessibleName(localized("Icon"));
    header->addWidget(appImage_, 0, Qt::AlignTop);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    appName_ = new QLabel(backgroundPanelLeft_);
    QFont nameFont = appName_->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.15);
    appName_->setFont(nameFont);
    appName_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    appPath_ = new QLabel(backgroundPanelLeft_);
    QFont pathFont = appPath_->font();
    pathFont.setPointSizeF(pathFont.pointSizeF() * 0.9);
    appPath_->setFont(pathFont);
    appPath_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    titles->addWidget(appName_);
    titles->addWidget(appPath_);
    titles->addStretch();
    header->addLayout(titles, 1);
    left->addLayout(header);

    auto* form = new QGridLayout;
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(6);
    comment_ = new CustomTextField(backgroundPanelLeft_);
    comment_->setPlaceholderText(localized("Comment"));
    comment_->setAccessibleName(localized("Comment"));
    tags_ = new CustomTokenField(backgroundPanelLeft_);
    hotkey_ = new RecordView(backgroundPanelLeft_);
    hotkey_->setFixedSize(recorderWidth, recorderHeight);
    hotkey_->setAccessibleName(localized("Hotkey"));
    form->addWidget(captionLabel(localized("Comment:"), backgroundPanelLeft_), 0, 0);
    form->addWidget(comment_, 0, 1);
    auto* tagsCaption = captionLabel(localized("Tags:"), backgroundPanelLeft_);
    tagsCaption->setAlignment(Qt::AlignRight | Qt::AlignTop);
    tagsCaption->setContentsMargins(0, 6, 0, 0);
    form->addWidget(tagsCaption, 1, 0);
    form->addWidget(tags_, 1, 1);
    form->addWidget(captionLabel(localized("Hotkey:"), backgroundPanelLeft_), 2, 0);
    form->addWidget(hotkey_, 2, 1, Qt::AlignLeft);
    form->setColumnStretch(1, 1);
    left->addLayout(form);
    left->addStretch();

    outer->addWidget(backgroundPanelLeft_);

    // Right: favourite mark and colour.
    auto* right = new QVBoxLayout;
    right->setSpacing(8);
    auto* favouriteRow = new QHBoxLayout;
    checkboxFavorite_ = new DrawnCheckBoxFavorite(view);
    checkboxFavorite_->setFixedSize(starSide, starSide);
    checkboxFavorite_->setAccessibleName(localized("Favorite"));
    favouriteRow->addWidget(checkboxFavorite_);
    favouriteRow->addWidget(new QLabel(localized("Favorite"), view));
    favouriteRow->addStretch();
    right->addLayout(favouriteRow);

    auto* colourCaption = new QLabel(localized("Colour:"), view);
    right->addWidget(colourCaption);
    backgroundPreview_ = new DrawnMainViewBackground(view);
    backgroundPreview_->setFixedHeight(previewHeight);
    // The preview keeps its place while it is hidden.
    QSizePolicy previewPolicy = backgroundPreview_->sizePolicy();
    previewPolicy.setRetainSizeWhenHidden(true);
    backgroundPreview_->setSizePolicy(previewPolicy);
    right->addWidget(backgroundPreview_);

    auto* swatches = new QGridLayout;
    swatches->setSpacing(swatchSpacing);
    const QList<QColor> colors = entrySwatchColors();
    for (int i = 0; i < colorCircleCount; ++i) {
        auto* circle = new DrawnColorCircle(view);
        circle->setFixedSize(swatchSide, swatchSide);
        if (i < colors.size()) {
            circle->setColor(colors.at(i));
            circle->setAccessibleName(colorDescription(colors.at(i)));
        }
        swatches->addWidget(circle, i / swatchColumns, i % swatchColumns);
        colorCircles_.append(circle);
    }
    right->addLayout(swatches);

    colorSlider_ = new ColorSlider(view);
    colorSlider_->setFixedHeight(sliderHeight);
    colorSlider_->setAccessibleName(localized("Hue"));
    right->addWidget(colorSlider_);

    btnClearColor_ = new QPushButton(localized("Clear Colour"), view);
    btnClearColor_->setAutoDefault(false);
    right->addWidget(btnClearColor_, 0, Qt::AlignLeft);
    right->addStretch();
    outer->addLayout(right);

    // Below both: what can be done with the entry.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    btnHide_ = new QPushButton(localized("Hide"), view);
    btnShowInFinder_ = new QPushButton(localized("Show in Folder"), view);
    btnDelete_ = new QPushButton(localized("Delete"), view);
    btnModifyURL_ = new QPushButton(localized("Modify URL"), view);
    for (QPushButton* button : {btnHide_, btnShowInFinder_, btnDelete_, btnModifyURL_}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    content->addLayout(buttons);

    // Tab order: the editable texts first, then the buttons.
    QWidget::setTabOrder(comment_, tags_);
    QWidget::setTabOrder(tags_, hotkey_);
    QWidget::setTabOrder(hotkey_, btnHide_);
    return view;
}

void TableViewPopupViewController::viewDidLoad()
{
    for (DrawnColorCircle* circle : std::as_const(colorCircles_))
        circle->setDelegate(this);
    hotkey_->setBackgroundColor(view()->palette().color(QPalette::Button));
    hotkey_->setBorderColor(view()->palette().color(QPalette::Mid));
    hotkey_->setBorderWidth(1.0);
    tags_->didEndEditingHandler = [this] { applyTagsEdit(); };
    comment_->didEndEditingHandler = [this] { controlTextDidEndEditing(); };

    connect(checkboxFavorite_, &QAbstractButton::clicked, this, [this] { checkboxFavoriteClick(); });
    connect(btnHide_, &QPushButton::clicked, this, [this] { btnHideClick(); });
    connect(btnShowInFinder_, &QPushButton::clicked, this, [this] { btnShowInFinderClick(); });
    connect(btnDelete_, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    connect(btnModifyURL_, &QPushButton::clicked, this, [this] { btnModifyURLClick(); });
    connect(btnClearColor_, &QPushButton::clicked, this, [this] { btnClearColorClick(); });
    connect(colorSlider_, &ColorSlider::triggered, this, [this] { onChangeColorSlider(); });
}

void TableViewPopupViewController::viewWillAppear()
{
    isVisible_ = true;
    disappearing_ = false;
    if (!item_)
        return;
    if (!pausesHotkeys_) {
        services_.hotKeyManager->pauseHotkeys();
        pausesHotkeys_ = true;
    }
    needsRebuild_ = false;
    needsRedraw_ = false;

    // The panel behind the left part, in the content background.
    backgroundPanelLeft_->show();
    backgroundPanelLeft_->update();

    prepareColorSlider(*colorSlider_);

    updateColorPreview();

    appName_->setText(item_->name());
    const QString path = item_->path();
    QPalette pathPalette = appPath_->palette();
    pathPalette.setColor(QPalette::WindowText, appPathColor(*appPath_));
    appPath_->setPalette(pathPalette);
    const int textWidth = leftPanelWidth - 2 * panelMargin - iconSide - 10;
    appPath_->setText(appPath_->fontMetrics().elidedText(path, Qt::ElideMiddle, textWidth));
    appPath_->setToolTip(path);
    appName_->setText(appName_->fontMetrics().elidedText(item_->name(), Qt::ElideRight, textWidth));
    appName_->setToolTip(item_->name());
    const qreal ratio = view()->devicePixelRatioF();
    appImage_->setPixmap(entryPopupIcon(item_).pixmap(QSize(iconSide, iconSide), ratio));

    tags_->setObjectValue(item_->tags());
    tags_->setInternalTagManager(&services_.dataStorage->tagManager());

    comment_->setText(item_->comment());
    comment_->setMaxLength(100);

    hotkey_->setKeyCombo(item_->hotkey());
    setupRecordView(*hotkey_, this, services_.hotKeyCenter);

    checkboxFavorite_->setIsChecked(item_->isFavorite());

    setupButtons();
}

void TableViewPopupViewController::setupButtons()
{
    const bool userAdded = item_->itemSource() == ListviewItemSource::other;
    btnHide_->setEnabled(!userAdded);
    btnShowInFinder_->setEnabled(item_->isReachable() && item_->isPhysicalEntry());
    btnDelete_->setEnabled(userAdded);
    btnModifyURL_->setEnabled(userAdded && item_->itemTypeRawValue() == QLatin1String("url"));
}

void TableViewPopupViewController::viewWillDisappear()
{
    // Edits still open end now, so that a click outside keeps what was typed.
    disappearing_ = true;
    comment_->endEditing();
    tags_->endEditing();
}

void TableViewPopupViewController::viewDidDisappear()
{
    if (pausesHotkeys_) {
        services_.hotKeyManager->resumeHotkeys();
        pausesHotkeys_ = false;
    }
    isVisible_ = false;
    disappearing_ = false;
}

// ---- Colour ----

void TableViewPopupViewController::setItemColor(const std::optional<QColor>& color)
{
    if (!item_) {
        backgroundPreview_->setColor(std::nullopt);
        backgroundPreview_->hide();
        return;
    }
    // The clear colour means no colour: an entry without one is stored as such.
    std::optional<platform::Color> stored;
    if (color && color->isValid() && !isClearColor(*color))
        stored = platform::Color::fromQColor(*color);
    item_->setColor(stored);
    updateColorPreview();
    redrawSelectedRow();
}

void TableViewPopupViewController::updateColorPreview()
{
    std::optional<QColor> color;
    if (item_) {
        if (const auto stored = item_->color())
            color = stored->toQColor();
    }
    if (!color || isClearColor(*color)) {
        backgroundPreview_->setColor(std::nullopt);
        backgroundPreview_->hide();
    } else {
        backgroundPreview_->setColor(color);
        backgroundPreview_->setAlphaColor(services_.configuration->entryBackgroundAlphaValue());
        backgroundPreview_->show();
    }
    backgroundPreview_->repaint();
}

void TableViewPopupViewController::colorCircleClicked(DrawnColorCircle* sender, const QColor& color)
{
    Q_UNUSED(sender)
    setItemColor(color);
}

void TableViewPopupViewController::onChangeColorSlider()
{
    const float maximum = float(colorSlider_->maxValue());
    const float hue = maximum != 0 ? colorSlider_->floatValue() / maximum : 0.0f;
    setItemColor(QColor::fromHsvF(std::clamp(hue, 0.0f, 1.0f), colorSlider_->saturation(), 1.0f, 1.0f));
}

void TableViewPopupViewController::btnClearColorClick()
{
    setItemColor(std::nullopt);
}

// ---- Texts ----

void TableViewPopupViewController::controlTextDidEndEditing()
{
    if (!item_)
        return;
    item_->setComment(comment_->text());
    redrawSelectedRow();
}

void TableViewPopupViewController::applyTagsEdit()
{
    if (!item_)
        return;
    QStringList edited;
    for (const QString& token : tags_->objectValue()) {
        if (!token.trimmed().isEmpty())
            edited.append(token);
    }
    if (edited == item_->tags())
        return;
    item_->setTags(edited);
    rebuildAndClose();
}

// ---- Buttons ----

void TableViewPopupViewController::checkboxFavoriteClick()
{
    if (!item_)
        return;
    item_->setIsFavorite(!item_->isFavorite());
    checkboxFavorite_->setIsChecked(item_->isFavorite());
    rebuildAndClose();
}

void TableViewPopupViewController::btnHideClick()
{
    if (!item_ || item_->itemSource() == ListviewItemSource::other)
        return;
    item_->setIsVisible(false);
    rebuildAndClose();
}

void TableViewPopupViewController::btnShowInFinderClick()
{
    if (item_ && item_->isReachable())
        item_->showInFinder();
}

void TableViewPopupViewController::btnDeleteClick()
{
    if (!item_)
        return;
    if (services_.dataStorage->removeFromAllData(item_->path()))
        rebuildAndClose();
}

void TableViewPopupViewController::btnModifyURLClick()
{
    if (!item_)
        return;
    services_.dataStorage->URLHandler().showModifyURLSheet(item_, nullptr);
    redrawSelectedRow();
}

// ---- Hotkey recorder ----

bool TableViewPopupViewController::mayRecord(RecordView& recorder)
{
    Q_UNUSED(recorder)
    return true;
}

bool TableViewPopupViewController::acceptsKeyCombo(RecordView& recorder, const KeyCombo& keyCombo)
{
    return KeyComboHolder::acceptIfFree(recorder, services_.hotKeyCenter, keyCombo);
}

void TableViewPopupViewController::keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo)
{
    Q_UNUSED(recorder)
    if (item_)
        item_->setHotkey(keyCombo);
}

void TableViewPopupViewController::recordingEnded(RecordView& recorder)
{
    Q_UNUSED(recorder)
}

// ---- Helpers ----

void TableViewPopupViewController::redrawSelectedRow()
{
    needsRedraw_ = true;
    if (const auto main = VantelManager::shared().viewControllerMain())
        main->redrawSelectedRow();
}

void TableViewPopupViewController::rebuildAndClose()
{
    needsRebuild_ = true;
    services_.dataStorage->rebuildData(DataStorageRebuildReason::tableViewPopup);
    closePopover();
}

void TableViewPopupViewController::closePopover()
{
    if (popover_ && !disappearing_)
        popover_->close();
}

} // namespace vantel
