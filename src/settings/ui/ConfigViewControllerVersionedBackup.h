#pragma once

#include "markdown/view/CustomMarkdownTextView.h"

#include "settings/ui/SettingsViewController.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>
#include <QPushButton>

#include <functional>
#include <optional>

namespace vantel {

class ExportImportManager;

// The backups, newest first: when each was made (in the user's locale) and
// its file name. An unreadable folder gives an empty list.
class VersionedBackupModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { createdColumn, filenameColumn };

    using QAbstractTableModel::QAbstractTableModel;

    // Reads the folder anew.
    void setPaths(const std::optional<QStringList>& paths);
    bool listAvailable() const { return listAvailable_; }
    QString path(int row) const;
    // The date text of a backup file; empty when it can't be read.
    static QString createdText(const QString& path);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row {
        QString path;
        QString created;
        QString filename;
    };
    QList<Row> rows_;
    bool listAvailable_ = false;
};

// The window "Save configuration (versioned)": the versioned backups of the
// configuration, a button that writes a new one and one that restores the
// selected one (after the import warning; every window closes, then the
// backup is imported), and the help text.
class ConfigViewControllerVersionedBackup : public SettingsViewController {
    Q_OBJECT

public:
    static inline const QString storyboard = QStringLiteral("DialogVersionedBackup");
    static constexpr QSize preferredSize{980, 450};

    // Over the shared export manager; restoring closes every window through
    // the window manager.
    explicit ConfigViewControllerVersionedBackup(QObject* parent = nullptr);
    ConfigViewControllerVersionedBackup(ExportImportManager& manager, std::function<void()> closeWindows,
                                        QObject* parent = nullptr);

    QTableView* tableViewVersionedBackups() const { return tableViewVersionedBackups_; }
    QPushButton* btnCreateBackupVersion() const { return btnCreateBackupVersion_; }
    QPushButton* btnRestoreFromBackup() const { return btnRestoreFromBackup_; }
    CustomMarkdownTextView* markDownTextView() const { return markDownTextView_; }
    VersionedBackupModel* model() const { return model_; }

    void reloadTable();
    void btnCreateBackupVersionClicked();
    void btnRestoreFromBackupClicked();

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewWillAppear() override;

private:
    void selectionChanged();

    ExportImportManager& manager_;
    std::function<void()> closeWindows_;
    QPointer<VersionedBackupModel> model_;
    QPointer<QTableView> tableViewVersionedBackups_;
    QPointer<QPushButton> btnCreateBackupVersion_;
    QPointer<QPushButton> btnRestoreFromBackup_;
    QPointer<CustomMarkdownTextView> markDownTextView_;
};

} // namespace vantel
