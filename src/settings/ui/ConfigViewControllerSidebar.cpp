#include "settings/ui/ConfigViewControllerSidebar.h"

#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "graphics/widgets/DrawnColorCircle.h"
#include "graphics/widgets/SwatchColors.h"
#include "model/LocalizedStrings.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "popups/ColorSlider.h"
#include "popups/CustomTextField.h"
#include "popups/CustomTokenField.h"
#include "settings/ui/ConfigViewControllerContent.h"
#include "settings/ui/TableViewCellConfigTags.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace vantel::settingsui {

namespace {

constexpr int margin = 12;
constexpr int swatchesPerRow = 9;
constexpr int swatchSide = 20;

QSet<QString> setOf(const QStringList& list)
{
    return QSet<QString>(list.begin(), list.end());
}

QLabel* heading(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

ConfigViewControllerSidebar::ConfigViewControllerSidebar(DataStorage& store, QObject* parent)
    : ConfigViewControllerBase(parent), store_(store)
{
}

ConfigViewControllerSidebar::~ConfigViewControllerSidebar() = default;

QWidget* ConfigViewControllerSidebar::loadView()
{
    auto* root = new QWidget();
    root->setMinimumWidth(swatchesPerRow * (swatchSide + 6) + 2 * margin);
    auto* column = new QVBoxLayout(root);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(6);

    column->addWidget(heading(localized("Tags"), root));
    modifyToken_ = new CustomTokenField(root);
    modifyToken_->setAccessibleName(localized("Tags of the selection"));
    column->addWidget(modifyToken_);

    column->addSpacing(6);
    column->addWidget(heading(localized("Comment"), root));
    modifyComment_ = new CustomTextField(root);
    modifyComment_->setAccessibleName(localized("Comment of the selection"));
    column->addWidget(modifyComment_);

    column->addSpacing(6);
    column->addWidget(heading(localized("Colour"), root));
    auto* swatches = new QGridLayout();
    swatches->setSpacing(6);
    const QList<QColor> colors = entrySwatchColors();
    for (int i = 0; i < swatchCount && i < colors.size(); ++i) {
        auto* circle = new DrawnColorCircle(root);
        circle->setColor(colors.at(i));
        circle->setFixedSize(swatchSide, swatchSide);
        circle->setAccessibleName(colorDescription(colors.at(i)));
        swatches->addWidget(circle, i / swatchesPerRow, i % swatchesPerRow);
        colorCircles_.append(circle);
    }
    column->addLayout(swatches);
    colorSlider_ = new ColorSlider(root);
    colorSlider_->setAccessibleName(localized("Hue"));
    colorSlider_->setMinimumHeight(20);
    column->addWidget(colorSlider_);
    clearColor_ = new QPushButton(localized("No colour"), root);
    column->addWidget(clearColor_, 0, Qt::AlignLeft);

    column->addSpacing(6);
    column->addWidget(heading(localized("Visibility"), root));
    auto* visibility = new QHBoxLayout();
    visible_ = new QPushButton(localized("Show"), root);
    invisible_ = new QPushButton(localized("Hide"), root);
    visibility->addWidget(visible_);
    visibility->addWidget(invisible_);
    visibility->addStretch(1);
    column->addLayout(visibility);
    column->addStretch(1);
    return root;
}

void ConfigViewControllerSidebar::viewDidLoad()
{
    for (DrawnColorCircle* circle : colorCircles_)
        circle->setDelegate(this);
    selectionObserver_ = platform::NotificationCenter::defaultCenter().addObserver(
        ConfigViewControllerContent::selectionDidChangeNotification,
        [this](const platform::Notification& n) { configTableViewSelectionDidChange(n); });
    itemChangedObserver_ = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("tableViewItemChanged"), [this](const platform::Notification& n) { tableViewItemChanged(n); });
    modifyComment_->setMaxLength(maximumCommentLength);
    modifyComment_->didBeginEditingHandler = [this] { commentEditTargets_ = selectedEntriesAsTargets(); };
    modifyComment_->didEndEditingHandler = [this] {
        if (commentShouldEndEditing())
            return;
        // Nothing to write to: the cursor stays in the field.
        QTimer::singleShot(0, modifyComment_, [field = QPointer<CustomTextField>(modifyComment_)] {
            if (field && field->window()->isActiveWindow())
                field->setFocus(Qt::OtherFocusReason);
        });
    };
    connect(colorSlider_, &ColorSlider::triggered, this, [this] { onChangeColorSlider(); });
    connect(clearColor_, &QPushButton::clicked, this, [this] { clearColorClick(); });
    connect(visible_, &QPushButton::clicked, this, [this] { setToVisibleClick(); });
    connect(invisible_, &QPushButton::clicked, this, [this] { setToInvisibleClick(); });
}

void ConfigViewControllerSidebar::viewWillAppear()
{
    modifyToken_->setInternalTagManager(&store_.tagManager());
    // Return tags the selection at once, as Return in the comment writes it.
    modifyToken_->setReturnEndsEditing(true);
    if (!modifyToken_->didEndEditingAndValueWasChangedHandler)
        modifyToken_->didEndEditingAndValueWasChangedHandler = [this] { applyTags(); };
    if (!modifyToken_->didBeginEditingHandler)
        modifyToken_->didBeginEditingHandler = [this] { tokenEditTargets_ = selectedEntriesAsTargets(); };
    if (!modifyToken_->didEndEditingHandler)
        modifyToken_->didEndEditingHandler = [this] {
            // After the changed-value handler, which reads the tokens first.
            QTimer::singleShot(0, this, [this] {
                if (modifyToken_->isEditing())
                    return;
                tokenEditTargets_.reset();
                if (tokenRefreshPending_)
                    refreshTokenField(false);
            });
        };
    colorSlider_->setContinuous(false);
    colorSlider_->setRefusesFirstResponder(true);
    colorSlider_->setKnobBorderSize(knobBorderWidth);
    colorSlider_->setKnobHeight(knobHeight);
    colorSlider_->setSliderHeight(trackHeight);
    colorSlider_->setEnabled(true);
}

void ConfigViewControllerSidebar::configTableViewSelectionDidChange(const platform::Notification& notification)
{
    std::optional<ConfigRowIndexSet> selection;
    if (const auto* rows = std::any_cast<ConfigRowIndexSet>(&notification.object))
        selection = *rows;
    if (selection == currentIndexSet_)
        return;
    currentIndexSet_ = std::move(selection);
    view();
    // A reload reselects while the user types: the typed text stays.
    refreshTokenField(false);
    refreshCommentField(false);
}

bool ConfigViewControllerSidebar::showsFieldsOfSelection() const
{
    return currentIndexSet_ && !currentIndexSet_->isEmpty() && currentIndexSet_->size() <= largestShownSelection;
}

void ConfigViewControllerSidebar::tableViewItemChanged(const platform::Notification& notification)
{
    // More rows than are shown leave both fields empty whatever changes.
    if (!isViewLoaded() || !showsFieldsOfSelection())
        return;
    const auto* object = std::any_cast<TableViewItemChangedNotifyObject>(&notification.object);
    if (!object)
        return;
    if (object->reason && *object->reason != TableViewItemChangeReason::tagChanged
        && *object->reason != TableViewItemChangeReason::commentChanged)
        return;
    const QList<TableViewItemPtr> entries = selectedEntries();
    const bool selected = std::any_of(entries.begin(), entries.end(),
                                      [&](const TableViewItemPtr& entry) { return entry->path() == object->path; });
    if (!selected)
        return;
    refreshTokenField(false);
    refreshCommentField(false);
}

QList<TableViewItemPtr> ConfigViewControllerSidebar::selectedEntries() const
{
    QList<TableViewItemPtr> entries;
    if (!currentIndexSet_)
        return entries;
    const EntryArray::Ptr list = store_.currentDataConfig();
    for (int row : *currentIndexSet_)
        if (const auto entry = list->at(row).value_or(nullptr))
            entries.append(entry);
    return entries;
}

ConfigViewControllerSidebar::EditTargets ConfigViewControllerSidebar::selectedEntriesAsTargets() const
{
    QList<std::weak_ptr<TableViewItem>> targets;
    for (const TableViewItemPtr& entry : selectedEntries())
        targets.append(entry);
    return targets;
}

std::optional<QList<TableViewItemPtr>> ConfigViewControllerSidebar::takeEditTargets(EditTargets& targets) const
{
    const EditTargets noted = std::exchange(targets, std::nullopt);
    QList<TableViewItemPtr> entries;
    if (!noted || noted->isEmpty()) {
        entries = selectedEntries();
    } else {
        // A reload may have moved them or selected nothing: still theirs.
        for (const std::weak_ptr<TableViewItem>& target : *noted) {
            // A removed entry may live on in the trash; it is not written.
            const TableViewItemPtr entry = target.lock();
            if (entry && store_.entryForPath(entry->path()) == entry)
                entries.append(entry);
        }
    }
    // Nowhere to write: what was typed stays in the field.
    if (entries.isEmpty())
        return std::nullopt;
    return entries;
}

void ConfigViewControllerSidebar::refreshTokenField(bool evenWhileEditing)
{
    if (!evenWhileEditing && modifyToken_->isEditing()) {
        tokenRefreshPending_ = true;
        return;
    }
    tokenRefreshPending_ = false;
    QStringList shown;
    const qsizetype count = currentIndexSet_ ? currentIndexSet_->size() : 0;
    if (count >= 1 && count <= largestShownSelection) {
        const EntryArray::Ptr list = store_.currentDataConfig();
        QList<QStringList> tagLists;
        for (int row : *currentIndexSet_) {
            const auto entry = list->at(row).value_or(nullptr);
            tagLists.append(entry ? entry->tags() : QStringList());
        }
        const QSet<QString> first = setOf(tagLists.first());
        const bool allEqual = std::all_of(tagLists.begin(), tagLists.end(),
                                          [&](const QStringList& tags) { return setOf(tags) == first; });
        if (allEqual)
            shown = tagLists.first();
    }
    modifyToken_->setObjectValue(shown);
}

void ConfigViewControllerSidebar::refreshCommentField(bool evenWhileEditing)
{
    if (!evenWhileEditing && modifyComment_->isCurrentlyEditing()) {
        commentRefreshPending_ = true;
        return;
    }
    commentRefreshPending_ = false;
    QString shown;
    const qsizetype count = currentIndexSet_ ? currentIndexSet_->size() : 0;
    if (count >= 1 && count <= largestShownSelection) {
        const EntryArray::Ptr list = store_.currentDataConfig();
        QStringList comments;
        for (int row : *currentIndexSet_) {
            const auto entry = list->at(row).value_or(nullptr);
            comments.append(entry ? entry->comment() : QString());
        }
        if (std::all_of(comments.begin(), comments.end(), [&](const QString& c) { return c == comments.first(); }))
            shown = comments.first();
    }
    shownComment_ = shown;
    modifyComment_->setText(shown);
}

void ConfigViewControllerSidebar::applyTags()
{
    const QStringList tokens = TableViewCellConfigTags::tagsFromTokens(modifyToken_->objectValue());
    const auto entries = takeEditTargets(tokenEditTargets_);
    if (!entries)
        return;
    const QSet<QString> wanted = setOf(tokens);
    for (const TableViewItemPtr& entry : *entries)
        if (setOf(entry->tags()) != wanted)
            entry->setTags(tokens);
}

bool ConfigViewControllerSidebar::commentShouldEndEditing()
{
    const auto entries = takeEditTargets(commentEditTargets_);
    if (!entries)
        return false;
    const QString comment = modifyComment_->text();
    if (comment != shownComment_) {
        for (const TableViewItemPtr& entry : *entries)
            entry->setComment(comment);
        refreshCommentField();
    } else if (commentRefreshPending_) {
        refreshCommentField();
    }
    return true;
}

void ConfigViewControllerSidebar::setColorOfSelection(const std::optional<QColor>& color)
{
    const std::optional<platform::Color> value =
        color ? std::optional<platform::Color>(platform::Color::fromQColor(*color)) : std::nullopt;
    for (const TableViewItemPtr& entry : selectedEntries())
        if (entry->color() != value)
            entry->setColor(value);
}

void ConfigViewControllerSidebar::colorCircleClicked(DrawnColorCircle* sender, const QColor& color)
{
    Q_UNUSED(sender)
    setColorOfSelection(color);
}

void ConfigViewControllerSidebar::onChangeColorSlider()
{
    setColorOfSelection(colorSlider_->selectedColor());
}

void ConfigViewControllerSidebar::clearColorClick()
{
    setColorOfSelection(std::nullopt);
}

void ConfigViewControllerSidebar::setToVisibleClick()
{
    for (const TableViewItemPtr& entry : selectedEntries())
        entry->setIsVisible(true);
}

void ConfigViewControllerSidebar::setToInvisibleClick()
{
    for (const TableViewItemPtr& entry : selectedEntries())
        entry->setIsVisible(false);
}

} // namespace vantel::settingsui
