#pragma once

#include "graphics/widgets/ColorCircleDelegate.h"
#include "platform/NotificationCenter.h"
#include "settings/ui/ConfigTableView.h"
#include "settings/ui/ConfigViewControllerBase.h"

#include <QList>
#include <QPointer>

#include <optional>

class QPushButton;

namespace vantel {
class ColorSlider;
class CustomTextField;
class CustomTokenField;
class DataStorage;
class DrawnColorCircle;
class TableViewItem;
}

namespace vantel::settingsui {

// The editor pane beside the data window's list: tags, comment, colour (18
// swatches, a hue slider, a clear button) and visibility of every selected
// entry at once. It learns the selection only from
// "configTableViewSelectionDidChange", keeps the row numbers and looks the
// entries up again in the store's configuration list at every edit; rows
// gone meanwhile are skipped. Up to 20 selected entries show their common
// tags and comment; more show empty fields, yet every edit still applies to
// all of them. Edits go straight into the entries, whose notifications
// redraw their rows.
//
// The fields follow the entries: a change of a selected entry's tags or
// comment from anywhere, or a new selection, shows at once, except in a field
// the user is editing, which keeps what was typed and catches up when its
// editing ends. That end writes to the entries the editing began for, even
// when a reload moved their rows or left nothing selected meanwhile; those
// removed meanwhile are skipped. With none left to write to, a typed comment
// stays in its field with the cursor. A field writes only what the user
// changed: an end of editing with the text as shown writes nothing, so a pass
// through the empty field of a mixed selection erases no comments. Main
// thread only.
class ConfigViewControllerSidebar : public ConfigViewControllerBase, public ColorCircleDelegate {
    Q_OBJECT

public:
    static constexpr int largestShownSelection = 20;
    static constexpr int maximumCommentLength = 100;
    static constexpr double knobHeight = 16.0;
    static constexpr double trackHeight = 10.0;
    static constexpr double knobBorderWidth = 0.5;
    static constexpr int swatchCount = 18;

    explicit ConfigViewControllerSidebar(DataStorage& store, QObject* parent = nullptr);
    ~ConfigViewControllerSidebar() override;

    const std::optional<ConfigRowIndexSet>& currentIndexSet() const { return currentIndexSet_; }

    // ---- Handlers and actions ----
    void configTableViewSelectionDidChange(const platform::Notification& notification);
    // Show the selection's values; a field being edited is left alone unless
    // `evenWhileEditing`, and refreshed when its editing ends.
    void refreshTokenField(bool evenWhileEditing = true);
    void refreshCommentField(bool evenWhileEditing = true);
    void applyTags();
    // The end of editing the comment: false (the field keeps editing and
    // its text) when there is no entry to write to.
    bool commentShouldEndEditing();
    void clearColorClick();
    void setToVisibleClick();
    void setToInvisibleClick();
    void onChangeColorSlider();
    void colorCircleClicked(DrawnColorCircle* sender, const QColor& color) override;

    CustomTokenField* modifyToken() const { return modifyToken_; }
    CustomTextField* modifyComment() const { return modifyComment_; }
    ColorSlider* colorSlider() const { return colorSlider_; }
    const QList<DrawnColorCircle*>& colorCircles() const { return colorCircles_; }
    QPushButton* clearColorButton() const { return clearColor_; }
    QPushButton* visibleButton() const { return visible_; }
    QPushButton* invisibleButton() const { return invisible_; }

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewWillAppear() override;

private:
    using EditTargets = std::optional<QList<std::weak_ptr<TableViewItem>>>;

    // The entries of the selected rows, rows without entry skipped.
    QList<std::shared_ptr<TableViewItem>> selectedEntries() const;
    // Noted when a field's editing begins.
    EditTargets selectedEntriesAsTargets() const;
    // What an end of editing writes to: the targets noted (and forgotten
    // now) that the store still holds, whatever the selection became, or the
    // selected entries when it began on none; none when that leaves no entry.
    std::optional<QList<std::shared_ptr<TableViewItem>>> takeEditTargets(EditTargets& targets) const;
    void setColorOfSelection(const std::optional<QColor>& color);
    void tableViewItemChanged(const platform::Notification& notification);
    bool showsFieldsOfSelection() const;

    DataStorage& store_;
    std::optional<ConfigRowIndexSet> currentIndexSet_;
    CustomTokenField* modifyToken_ = nullptr;
    CustomTextField* modifyComment_ = nullptr;
    QList<DrawnColorCircle*> colorCircles_;
    ColorSlider* colorSlider_ = nullptr;
    QPushButton* clearColor_ = nullptr;
    QPushButton* visible_ = nullptr;
    QPushButton* invisible_ = nullptr;
    // The comment as last shown: the end of editing writes only a different one.
    QString shownComment_;
    bool tokenRefreshPending_ = false;
    bool commentRefreshPending_ = false;
    EditTargets tokenEditTargets_;
    EditTargets commentEditTargets_;
    platform::ObserverToken selectionObserver_;
    platform::ObserverToken itemChangedObserver_;
};

} // namespace vantel::settingsui
