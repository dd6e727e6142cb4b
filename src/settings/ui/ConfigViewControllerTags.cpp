#include "settings/ui/ConfigViewControllerTags.h"

#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "model/L10n.h"
#include "model/LocalizedStrings.h"
#include "platform/ui/WindowHost.h"
#include "popups/TagTableView.h"
#include "settings/ui/ConfigTagsTableModel.h"
#include "settings/ui/TableViewCellConfigEditTags.h"
#include "settings/ui/TableViewCellConfigEditTagsHotkeyView.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace vantel::settingsui {

const QSize ConfigViewControllerTags::preferredSize(760, 480);

ConfigViewControllerTags::ConfigViewControllerTags(QObject* parent)
    : ConfigViewControllerTags(ConfigWindowServices::shared(), parent)
{
}

ConfigViewControllerTags::ConfigViewControllerTags(ConfigWindowServices services, QObject* parent)
    : ConfigViewControllerBase(parent), services_(services), hotkeyPause_(services.hotKeyManager)
{
}

ConfigViewControllerTags::~ConfigViewControllerTags()
{
    if (popupMenu_)
        popupMenu_->setCustomDelegate(nullptr);
}

TagTableView* ConfigViewControllerTags::tagTableView()
{
    view();
    return table_;
}

QWidget* ConfigViewControllerTags::loadView()
{
    auto* root = new QWidget();
    root->setWindowTitle(L10n::configViewControllerTagsWindowTitle() + QStringLiteral(" \u2014 ")
                         + L10n::configViewControllerTagsWindowSubTitle());
    auto* column = new QVBoxLayout(root);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(8);

    table_ = new TagTableView(root);
    table_->setAccessibleName(localized("Tags"));
    model_ = new ConfigTagsTableModel(services_.dataStorage->tagManager(), this);
    table_->setModel(model_);
    nameCell_ = new TableViewCellConfigEditTags(*model_, this, this);
    hotkeyCell_ = new TableViewCellConfigEditTagsHotkeyView(*model_, TagHotkeyField::hotkey, services_.hotKeyCenter, this);
    launchAllCell_ =
        new TableViewCellConfigEditTagsHotkeyView(*model_, TagHotkeyField::hotkeyLaunchAll, services_.hotKeyCenter, this);
    table_->setItemDelegateForColumn(ConfigTagsTableModel::columnEntry, nameCell_);
    table_->setItemDelegateForColumn(ConfigTagsTableModel::columnHotkey, hotkeyCell_);
    table_->setItemDelegateForColumn(ConfigTagsTableModel::columnHotkeyLaunchAll, launchAllCell_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked
                            | QAbstractItemView::EditKeyPressed);
    table_->setShowGrid(false);
    table_->setAlternatingRowColors(true);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(rowHeight);
    QHeaderView* header = table_->horizontalHeader();
    header->setHighlightSections(false);
    // The hotkey columns are as wide as their headings (longer in German
    // than in English); the tag names take the rest.
    header->setSectionResizeMode(ConfigTagsTableModel::columnEntry, QHeaderView::Stretch);
    for (const int hotkeyColumn : {ConfigTagsTableModel::columnHotkey, ConfigTagsTableModel::columnHotkeyLaunchAll})
        header->resizeSection(hotkeyColumn, std::max(hotkeyColumnWidth, header->sectionSizeHint(hotkeyColumn)));
    column->addWidget(table_, 1);

    auto* buttons = new QHBoxLayout();
    removeButton_ = new QPushButton(localized("Remove tag"), root);
    removeButton_->setAccessibleName(localized("Remove tag"));
    buttons->addWidget(removeButton_);
    auto* hint = new QLabel(localized("Click a name to rename the tag, its symbol to change symbol and colour."), root);
    hint->setWordWrap(true);
    QPalette palette = hint->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
    hint->setPalette(palette);
    buttons->addWidget(hint, 1);
    column->addLayout(buttons);

    symbolAnchor_ = new QWidget(table_->viewport());
    symbolAnchor_->setAttribute(Qt::WA_TransparentForMouseEvents);
    symbolAnchor_->hide();
    popupMenu_ = new TagTableViewPopupManager(this);
    return root;
}

void ConfigViewControllerTags::viewDidLoad()
{
    connect(removeButton_, &QPushButton::clicked, this, [this] { configRemoveTag(); });
    connect(nameCell_, &TableViewCellConfigEditTags::symbolClicked, this,
            [this](int row, const QRect& symbol) { symbolClicked(row, symbol); });
    popupMenu_->configurePopover();
    popupMenu_->setCustomDelegate(this);
    setPreferredContentSize(preferredSize);
}

void ConfigViewControllerTags::viewWillAppear()
{
    hotkeyPause_.begin();
    model_->reload();
    shownInWindow_ = view()->window() != view() ? view()->window() : nullptr;
    if (shownInWindow_)
        shownInWindow_->setWindowTitle(view()->windowTitle());
}

void ConfigViewControllerTags::viewWillDisappear()
{
    // An open name field asks for its rename before the window goes.
    if (QWidget* focus = QApplication::focusWidget(); focus && table_->isAncestorOf(focus))
        table_->setFocus(Qt::OtherFocusReason);
    table_->setCurrentIndex(QModelIndex());
    if (popupMenu_ && popupMenu_->popover() && popupMenu_->popover()->isShown())
        popupMenu_->popover()->close();
}

void ConfigViewControllerTags::viewDidDisappear()
{
    services_.dataStorage->rebuildData(DataStorageRebuildReason::configViewTags);
    hotkeyPause_.end();
    if (auto* host = qobject_cast<platform::WindowHost*>(shownInWindow_))
        host->stopModal();
}

void ConfigViewControllerTags::configRemoveTag()
{
    const QModelIndexList selected = table_->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const int row = selected.first().row();
    if (services_.dataStorage->tagManager().deleteTagAtIndex(row))
        model_->removeRowOfDeletedTag(row);
}

bool ConfigViewControllerTags::shouldChangeValue(const QString& oldValue, const QString& newValue)
{
    const bool renamed = services_.dataStorage->tagManager().renameTag(oldValue, newValue);
    // Not from inside the field's own end of editing: the reload closes it.
    if (renamed)
        QTimer::singleShot(0, this, [this] { model_->reload(); });
    return renamed;
}

void ConfigViewControllerTags::symbolClicked(int row, const QRect& symbol)
{
    const iconTagPtr tag = model_->tagAt(row);
    if (!tag || !symbolAnchor_)
        return;
    popupRow_ = row;
    table_->selectRow(row);
    symbolAnchor_->setGeometry(symbol);
    symbolAnchor_->show();
    popupMenu_->toggle(symbolAnchor_, tag);
}

void ConfigViewControllerTags::tagTableViewPopupDidClose()
{
    // The symbol is drawn anew in the tag's current symbol and colour.
    model_->refreshRow(popupRow_);
}

} // namespace vantel::settingsui
