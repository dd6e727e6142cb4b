#pragma once

#include "CatalogueEntries.h"
#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "mainwindow/MainOutlineView.h"
#include "mainwindow/SidebarModel.h"
#include "mainwindow/SourceListItem.h"
#include "platform/DialogProvider.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/ScriptedDialogProvider.h"
#include "shell/AppDelegate.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QStringList>

#include <functional>
#include <memory>

namespace vantel::test {

// A fresh store and sidebar per test, the sidebar settings at their defaults,
// debug logging captured and a scripted dialog provider.
class SidebarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Configuration& c = config();
        c.setDebugLogging(true);
        c.setSaveInProgress(false);
        c.setNeverRemindMeRenameTagDialog(false);
        c.setSelectTagsAndCategoriesOnHover(false);
        for (auto setter : {&Configuration::setSidebarCategoriesShowFiles, &Configuration::setSidebarCategoriesShowFolders,
                            &Configuration::setSidebarCategoriesShowURLs,
                            &Configuration::setSidebarCategoriesShowRecentApplications,
                            &Configuration::setSidebarCategoriesShowActiveApplications,
                            &Configuration::setSidebarCategoriesShowShortcuts,
                            &Configuration::setSidebarCategoriesShowFavorites,
                            &Configuration::setSidebarCategoriesShowNumberOfElementInSidebar})
            (c.*setter)(true);
        dialogs = std::make_shared<platform::ScriptedDialogProvider>();
        platform::DialogProvider::setShared(dialogs);
        folder = makeTempDir(QStringLiteral("sidebar"));
        store = std::make_unique<DataStorage>();
        sidebar = std::make_unique<MainOutlineView>(*store);
        sidebar->resize(240, 640);
    }

    void TearDown() override
    {
        sidebar.reset();
        store.reset();
        platform::DialogProvider::setShared(nullptr);
        config().setDebugLogging(false);
    }

    static Configuration& config() { return AppDelegate::shared().config(); }
    TagManager& tags() { return store->tagManager(); }

    TableViewItemPtr addURL(const QString& name, const QStringList& tagNames = {})
    {
        return addURLEntry(*store, name, QStringLiteral("https://example.org/") + name, tagNames);
    }

    // A file or folder that exists, added by the user.
    TableViewItemPtr addPath(const QString& name, ListviewItemType type, const QStringList& tagNames = {})
    {
        return addPathEntry(*store, folder, name, type, tagNames);
    }

    // The store recounts the tags, then the sidebar builds from scratch.
    void rebuild()
    {
        store->rebuildData(DataStorageRebuildReason::userInitiatedRequest);
        sidebar->updateContent(true);
    }

    // One line per shown row: the names indented by level.
    QStringList rows() const
    {
        QStringList result;
        for (int row = 0; row < sidebar->numberOfRows(); ++row) {
            const SourceListItemPtr item = sidebar->itemAtRow(row);
            result.append(QString(item->level() * 2, QLatin1Char(' ')) + item->name());
        }
        return result;
    }

    SourceListItemPtr itemNamed(const QString& name) const
    {
        std::function<SourceListItemPtr(const QList<SourceListItemPtr>&)> find =
            [&](const QList<SourceListItemPtr>& items) -> SourceListItemPtr {
            for (const SourceListItemPtr& item : items) {
                if (item->name() == name)
                    return item;
                if (SourceListItemPtr below = find(item->children()))
                    return below;
            }
            return nullptr;
        };
        return find(sidebar->outlineViewStructure());
    }

    QString selectedName() const
    {
        const SourceListItemPtr item = sidebar->selectedItem();
        return item ? item->name() : QString();
    }

    QPoint centreOfRow(int row) const
    {
        QModelIndex index = sidebar->model().indexForItem(sidebar->itemAtRow(row).get());
        return sidebar->visualRect(index).center();
    }

    // The pointer moves over the sidebar with no button held.
    void hover(const QPoint& position)
    {
        QWidget* viewport = sidebar->viewport();
        QMouseEvent move(QEvent::MouseMove, position, viewport->mapToGlobal(position), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
    }

    // Press, release, double click, release: what a window system delivers.
    void doubleClick(const QPoint& position)
    {
        QWidget* viewport = sidebar->viewport();
        const QPointF global = viewport->mapToGlobal(QPointF(position));
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                  QEvent::MouseButtonRelease}) {
            const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, QPointF(position), global, Qt::LeftButton, held, Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &event);
        }
    }

    static QString outputFolder()
    {
        const QString path = vantel::test::outputFolder();
        QDir().mkpath(path);
        return path;
    }

    platform::Log::CaptureSink log;
    std::shared_ptr<platform::ScriptedDialogProvider> dialogs;
    QString folder;
    std::unique_ptr<DataStorage> store;
    std::unique_ptr<MainOutlineView> sidebar;
};

} // namespace vantel::test
