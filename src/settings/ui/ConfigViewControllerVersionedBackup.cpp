#include "settings/ui/ConfigViewControllerVersionedBackup.h"

#include "config/ExportImportManager.h"
#include "config/ExportVersionedBackup.h"
#include "markdown/view/CustomMarkdownTextView.h"
#include "model/LocalizedStrings.h"
#include "shell/VantelManager.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace vantel {

// ---- Model ----

QString VersionedBackupModel::createdText(const QString& path)
{
    auto nanoseconds = ExportVersionedBackup::fileDate(path, ExportVersionedBackup::DateKey::creation);
    if (!nanoseconds)
        return {};
    const QDateTime date = QDateTime::fromMSecsSinceEpoch(*nanoseconds / 1000000);
    return QLocale::system().toString(date, QLocale::LongFormat);
}

void VersionedBackupModel::setPaths(const std::optional<QStringList>& paths)
{
    beginResetModel();
    rows_.clear();
    listAvailable_ = paths.has_value();
    if (paths) {
        for (const QString& path : *paths)
            rows_.append({path, createdText(path), QFileInfo(path).fileName()});
    }
    endResetModel();
}

QString VersionedBackupModel::path(int row) const
{
    return row >= 0 && row < rows_.size() ? rows_[row].path : QString();
}

int VersionedBackupModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int VersionedBackupModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant VersionedBackupModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const Row& row = rows_[index.row()];
    return index.column() == createdColumn ? row.created : row.filename;
}

QVariant VersionedBackupModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == createdColumn ? localized("Created") : localized("File name");
}

// ---- Pane ----

ConfigViewControllerVersionedBackup::ConfigViewControllerVersionedBackup(QObject* parent)
    : ConfigViewControllerVersionedBackup(ExportImportManager::shared(), [] { VantelManager::shared().closeWindows(); },
                                          parent)
{
}

ConfigViewControllerVersionedBackup::ConfigViewControllerVersionedBackup(ExportImportManager& manager,
                                                                         std::function<void()> closeWindows,
                                                                         QObject* parent)
    : SettingsViewController(parent)
    , manager_(manager)
    , closeWindows_(std::move(closeWindows))
    , model_(new VersionedBackupModel(this))
{
    setPreferredContentSize(preferredSize);
}

QWidget* ConfigViewControllerVersionedBackup::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("ConfigViewControllerVersionedBackup"));
    view->setWindowTitle(localized("Save configuration (versioned)"));
    tableViewVersionedBackups_ = new QTableView;
    tableViewVersionedBackups_->setObjectName(QStringLiteral("tableViewVersionedBackups"));
    tableViewVersionedBackups_->setModel(model_);
    tableViewVersionedBackups_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableViewVersionedBackups_->setSelectionMode(QAbstractItemView::SingleSelection);
    tableViewVersionedBackups_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableViewVersionedBackups_->verticalHeader()->hide();
    tableViewVersionedBackups_->horizontalHeader()->setSectionResizeMode(VersionedBackupModel::createdColumn,
                                                                          QHeaderView::ResizeToContents);
    tableViewVersionedBackups_->horizontalHeader()->setStretchLastSection(true);
    tableViewVersionedBackups_->setAlternatingRowColors(true);
    tableViewVersionedBackups_->setWordWrap(false);
    tableViewVersionedBackups_->setTextElideMode(Qt::ElideMiddle);

    btnCreateBackupVersion_ = new QPushButton(localized("&Create backup"));
    btnCreateBackupVersion_->setObjectName(QStringLiteral("btnCreateBackupVersion"));
    btnRestoreFromBackup_ = new QPushButton(localized("&Restore from backup…"));
    btnRestoreFromBackup_->setObjectName(QStringLiteral("btnRestoreFromBackup"));
    btnRestoreFromBackup_->setEnabled(false);
    markDownTextView_ = new CustomMarkdownTextView;
    markDownTextView_->setObjectName(QStringLiteral("markDownTextView"));
    markDownTextView_->setFixedWidth(280);
    markDownTextView_->setFrameShape(QFrame::NoFrame);
    markDownTextView_->viewport()->setAutoFillBackground(false);

    auto* layout = new QHBoxLayout(view);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(16);
    auto* left = new QVBoxLayout;
    left->addWidget(tableViewVersionedBackups_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnCreateBackupVersion_);
    buttons->addStretch(1);
    buttons->addWidget(btnRestoreFromBackup_);
    left->addLayout(buttons);
    layout->addLayout(left, 1);
    layout->addWidget(markDownTextView_);

    connect(btnCreateBackupVersion_, &QPushButton::clicked, this, [this] { btnCreateBackupVersionClicked(); });
    connect(btnRestoreFromBackup_, &QPushButton::clicked, this, [this] { btnRestoreFromBackupClicked(); });
    connect(tableViewVersionedBackups_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { selectionChanged(); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { selectionChanged(); });
    return view;
}

void ConfigViewControllerVersionedBackup::viewDidLoad()
{
    markDownTextView_->loadMarkdown(QStringLiteral("help_versionedBackup.md"));
    markDownTextView_->showMarkdown(MarkdownStyles::info);
}

void ConfigViewControllerVersionedBackup::viewWillAppear()
{
    reloadTable();
}

void ConfigViewControllerVersionedBackup::reloadTable()
{
    model_->setPaths(manager_.exportVersionedBackup().listBackupFiles());
}

void ConfigViewControllerVersionedBackup::selectionChanged()
{
    btnRestoreFromBackup_->setEnabled(model_->listAvailable()
                                      && tableViewVersionedBackups_->selectionModel()->hasSelection());
}

void ConfigViewControllerVersionedBackup::btnCreateBackupVersionClicked()
{
    ExportVersionedBackup& backups = manager_.exportVersionedBackup();
    // Pruning first: after the click there may be 21, the next run prunes again.
    backups.removeOldBackupFiles(backups.listBackupFiles());
    backups.createBackup(ExportVersionedBackup::Repeat::writeAlways);
    reloadTable();
}

void ConfigViewControllerVersionedBackup::btnRestoreFromBackupClicked()
{
    const QModelIndexList selected = tableViewVersionedBackups_->selectionModel()->selectedRows();
    if (selected.isEmpty() || !model_->listAvailable())
        return;
    const QString path = model_->path(selected.first().row());
    if (path.isEmpty())
        return;
    if (!manager_.importData().confirmImport())
        return;
    // Closing the windows forgets this window's controller, and with it this
    // object: the rest runs after the click has returned, without it.
    ExportImportManager* manager = &manager_;
    QTimer::singleShot(0, QCoreApplication::instance(), [manager, close = closeWindows_, path] {
        if (close)
            close();
        manager->importData().loadImportFile(path);
    });
}

} // namespace vantel
