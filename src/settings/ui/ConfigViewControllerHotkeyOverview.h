#pragma once

#include "settings/HotkeyOverviewSections.h"
#include "settings/ui/SettingsViewController.h"

#include <QPointer>
#include <QScrollArea>

namespace vantel {

class Configuration;
class FloatingPanelView;

// The overview's content: up to five sections in a scroll area, each on a
// rounded background of the accent colour, with its heading (a title over
// an accent bar) and its rows (the hotkey in the accent colour, right
// aligned in the left column, its meaning in the right one).
class HostedHotkeyOverviewContentView : public QScrollArea {
    Q_OBJECT

public:
    static constexpr qreal backgroundOpacity = 0.2;
    static constexpr qreal cornerRadius = 10.0;
    static constexpr int leftColumn = 150;
    static constexpr int rightColumn = 450;
    static constexpr int headerWidth = 600;
    // The content's width: the heading with its padding and the section's.
    static constexpr int contentWidth = headerWidth + 2 * 5 + 2 * 5;

    explicit HostedHotkeyOverviewContentView(const QList<HotkeyOverviewSection>& sections, QWidget* parent = nullptr);

    // The widget of each section, in order.
    QList<QWidget*> sectionWidgets() const { return sections_; }

private:
    QList<QWidget*> sections_;
};

// The window "Overview of keyboard shortcuts": every hotkey the user has
// set, read from the configuration, the entries and the visible tags when
// the view is made; it does not follow later changes.
class ConfigViewControllerHotkeyOverview : public SettingsViewController {
    Q_OBJECT

public:
    static inline const QString storyboard = QStringLiteral("DialogHotkeyOverview");

    // From the shared configuration and store.
    explicit ConfigViewControllerHotkeyOverview(QObject* parent = nullptr);
    explicit ConfigViewControllerHotkeyOverview(QList<HotkeyOverviewSection> sections, QObject* parent = nullptr);

    const QList<HotkeyOverviewSection>& sections() const { return sections_; }
    HostedHotkeyOverviewContentView* contentView() const { return contentView_; }

protected:
    QWidget* loadView() override;
    void viewWillAppear() override;

private:
    QList<HotkeyOverviewSection> sections_;
    QPointer<HostedHotkeyOverviewContentView> contentView_;
};

} // namespace vantel
