#pragma once

#include "markdown/view/VersionHistoryViewController.h"

#include "settings/ui/SettingsViewController.h"

#include <QPointer>

namespace vantel {

// The content of the "What's new?" window: the version history view on the
// background of the windows without a title bar (moved by dragging, closed
// by its button or Escape).
class VersionHistoryWindowContent : public SettingsViewController {
    Q_OBJECT

public:
    explicit VersionHistoryWindowContent(QObject* parent = nullptr);

    VersionHistoryViewController* versionHistory() const { return versionHistory_; }

protected:
    QWidget* loadView() override;
    void viewWillAppear() override;
    void viewDidAppear() override;

private:
    QPointer<VersionHistoryViewController> versionHistory_;
};

} // namespace vantel
