#pragma once

#include "CatalogueEntries.h"
#include "EntryListTestSupport.h"

#include "hotkeys/KeyCombo.h"
#include "mainwindow/MainViewController.h"
#include "mainwindow/SidebarTagPopover.h"
#include "model/iconTag.h"
#include "platform/ui/WindowHost.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QTest>
#include <QTextStream>

namespace vantel::test {

// Records the entry popover's state instead of showing one.
class FakeEntryPopover : public MainTableViewPopover {
public:
    bool isShown() const override { return shown; }
    void showPopover(const TableViewItemPtr& entry, int, const QRect&) override
    {
        shown = true;
        shownFor = entry;
    }
    void close() override
    {
        shown = false;
        ++closed;
    }
    bool shown = false;
    int closed = 0;
    TableViewItemPtr shownFor;
};

class FakeSidebarPopover : public SidebarTagPopover {
public:
    bool isShown() const override { return shown; }
    void showPopover(const SourceListItemPtr&, int, const QRect&) override { shown = true; }
    void close() override
    {
        shown = false;
        ++closed;
    }
    bool shown = false;
    int closed = 0;
};

// A store with a realistic catalogue, the main view's controller over it in
// a window host, the settings the view reads at their defaults, entry runs
// recorded instead of carried out, and debug logging captured.
class MainViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Configuration& c = config();
        c.setDebugLogging(true);
        c.setSaveInProgress(false);
        c.setSelectTagsAndCategoriesOnHover(false);
        for (auto setter : {&Configuration::setSidebarCategoriesShowFiles, &Configuration::setSidebarCategoriesShowFolders,
                            &Configuration::setSidebarCategoriesShowURLs,
                            &Configuration::setSidebarCategoriesShowRecentApplications,
                            &Configuration::setSidebarCategoriesShowActiveApplications,
                            &Configuration::setSidebarCategoriesShowShortcuts,
                            &Configuration::setSidebarCategoriesShowFavorites,
                            &Configuration::setSidebarCategoriesShowNumberOfElementInSidebar})
            (c.*setter)(true);
        c.setSidebarCategoriesCollapsed(false);
        c.setSidebarTagsCollapsed(false);
        c.setShowPathInMainView(true);
        c.setUseSmallModeInMainView(false);
        c.setClickType(0);
        c.setSearchForComments(true);
        c.setSearchForTags(true);
        c.setSelectingTagsInMainWindowLaunchAll(false);
        setFocusedControl(FocusedControl::none);
        services = std::make_shared<RecordingExecutionServices>();
        ExecutionServices::setShared(services);
        appFolder = makeTempDir(QStringLiteral("main-apps"));
        docFolder = makeTempDir(QStringLiteral("main-docs"));
        store = std::make_unique<DataStorage>();
        controller = std::make_shared<mainwindow::MainViewController>(*store);
        controller->setHotkeysPausedQuery([this] { return hotkeysPaused; });
        controller->setCloseMainViewAction([this] {
            ++closeRequests;
            host->close();
        });
        controller->setTableViewPopover(&entryPopover);
        host = std::make_unique<platform::WindowHost>();
        host->resize(760, 520);
    }

    void TearDown() override
    {
        // Runs still queued must not reach the next test's recorder.
        QCoreApplication::processEvents();
        if (host && host->isVisible())
            host->close();
        host.reset();
        controller.reset();
        store.reset();
        ExecutionServices::setShared(nullptr);
        setFocusedControl(FocusedControl::none);
        config().setDebugLogging(false);
    }

    static Configuration& config() { return AppDelegate::shared().config(); }

    QString desktopFile(const QString& id, const QString& name, const QString& icon)
    {
        const QString path = appFolder + QLatin1Char('/') + id + QStringLiteral(".desktop");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        QTextStream(&file) << "[Desktop Entry]\nType=Application\nName=" << name << "\nExec=true\nIcon=" << icon
                           << "\n";
        return path;
    }

    TableViewItemPtr app(const QString& name, const QString& icon, const QStringList& tags = {})
    {
        auto entry = TableViewItem::initForSpotlightApp(desktopFile(name.toLower().remove(QLatin1Char(' ')), name, icon),
                                                        name);
        entry->setIsFoundBySpotlight(true);
        entry->setTags(tags);
        store->allData()->append(entry);
        return entry;
    }

    TableViewItemPtr path(const QString& name, ListviewItemType type, const QStringList& tags = {})
    {
        return addPathEntry(*store, docFolder, name, type, tags);
    }

    TableViewItemPtr url(const QString& name, const QString& address, const QStringList& tags = {})
    {
        return addURLEntry(*store, name, address, tags);
    }

    void tag(const QString& name, const platform::Color& colour, const QString& symbol = QStringLiteral("icon_folder"))
    {
        auto t = iconTag::create(name, symbol);
        t->setColor(colour);
        store->tagManager().allAvailableTags()->append(t);
    }

    // Eight applications, three files, two folders, two web pages, four tags.
    void fillCatalogue()
    {
        tag(QStringLiteral("Office"), {0.20, 0.65, 0.35, 1});
        tag(QStringLiteral("Graphics"), {0.55, 0.35, 0.80, 1});
        tag(QStringLiteral("Development"), {0.20, 0.45, 0.85, 1});
        tag(QStringLiteral("Development|Tools"), {0.85, 0.45, 0.20, 1});

        auto blender = app(QStringLiteral("Blender"), QStringLiteral("blender"), {QStringLiteral("Graphics")});
        blender->setColor(platform::Color{0.95, 0.55, 0.15, 1});
        blender->setHotkey(KeyCombo::withCarbonModifiers(Key::b, KeyCombo::commandKey | KeyCombo::shiftKey));
        app(QStringLiteral("Calculator"), QStringLiteral("accessories-calculator"));
        auto editor = app(QStringLiteral("Text Editor"), QStringLiteral("accessories-text-editor"),
                          {QStringLiteral("Development"), QStringLiteral("Office")});
        editor->setComment(QStringLiteral("Plain text, quickly"));
        app(QStringLiteral("Terminal"), QStringLiteral("utilities-terminal"), {QStringLiteral("Development|Tools")});
        app(QStringLiteral("GIMP Image Editor"), QStringLiteral("gimp"), {QStringLiteral("Graphics")});
        app(QStringLiteral("Files"), QStringLiteral("system-file-manager"));
        app(QStringLiteral("Web Browser"), QStringLiteral("internet-web-browser"));
        app(QStringLiteral("System Monitor"), QStringLiteral("utilities-system-monitor"),
            {QStringLiteral("Development|Tools")});

        auto report = path(QStringLiteral("Quarterly report 2026.pdf"), ListviewItemType::file, {QStringLiteral("Office")});
        report->setColor(platform::Color{0.20, 0.65, 0.35, 1});
        report->setIsFavorite(true);
        path(QStringLiteral("Meeting notes.txt"), ListviewItemType::file, {QStringLiteral("Office")});
        path(QStringLiteral("Holiday photo.png"), ListviewItemType::file, {QStringLiteral("Graphics")});
        path(QStringLiteral("Projects"), ListviewItemType::folder, {QStringLiteral("Development")});
        path(QStringLiteral("Invoices"), ListviewItemType::folder, {QStringLiteral("Office")});
        url(QStringLiteral("Tarnwick News"), QStringLiteral("https://news.tarnwick.example/today"));
        url(QStringLiteral("Issue tracker"), QStringLiteral("https://issues.tarnwick.example/"),
            {QStringLiteral("Development")});
        store->rebuildData(DataStorageRebuildReason::userInitiatedRequest);
    }

    // The host shows the main view (will appear, show, did appear) and the
    // window becomes the active one.
    void open()
    {
        host->setContentViewController(controller.get());
        host->showWindow();
        host->activateWindow();
        ASSERT_TRUE(waitUntil([this] { return QApplication::activeWindow() == host.get(); }));
        QCoreApplication::processEvents();
    }

    void close()
    {
        host->close();
        QCoreApplication::processEvents();
    }

    MainTableView& list() const { return *controller->mainTableView(); }
    MainOutlineView& sidebar() const { return *controller->sectionView(); }
    MainSearchField& search() const { return *controller->searchField(); }

    QStringList shownNames() const
    {
        QStringList names;
        for (int row = 0; row < list().tableModel().rowCount(); ++row)
            if (const auto entry = list().tableModel().entryAt(row))
                names.append(entry->name());
        return names;
    }

    QString selectedName() const
    {
        const auto entry = list().selectedEntry();
        return entry ? entry->name() : QString();
    }

    // Entries run on the main queue: what ran once it was worked off.
    QStringList ranNames() const
    {
        QCoreApplication::processEvents();
        QStringList names;
        for (const auto& open : services->opened)
            for (const auto& entry : store->allData()->snapshot())
                if (entry->path() == open.path)
                    names.append(entry->name());
        return names;
    }

    // A key as the window system delivers it: to the focus widget.
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = QString())
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : host.get();
        QKeyEvent press(QEvent::KeyPress, k, modifiers, text);
        QCoreApplication::sendEvent(target, &press);
        QWidget* after = QApplication::focusWidget() ? QApplication::focusWidget() : host.get();
        QKeyEvent release(QEvent::KeyRelease, k, modifiers, text);
        QCoreApplication::sendEvent(after, &release);
    }

    // A modifier key goes down (X11: its own flag is not yet in the event).
    void holdModifier(Qt::Key k, Qt::KeyboardModifiers alreadyHeld = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : host.get();
        QKeyEvent press(QEvent::KeyPress, k, alreadyHeld);
        QCoreApplication::sendEvent(target, &press);
    }

    void releaseModifier(Qt::Key k, Qt::KeyboardModifiers stillHeld)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : host.get();
        QKeyEvent release(QEvent::KeyRelease, k, stillHeld);
        QCoreApplication::sendEvent(target, &release);
    }

    bool logged(const QString& line) const
    {
        return log.messages().contains(line);
    }

    int countLogged(const QString& line) const
    {
        return int(log.messages().count(line));
    }

    static QString outputFolder()
    {
        const QString folder = vantel::test::outputFolder();
        QDir().mkpath(folder);
        return folder;
    }

    platform::Log::CaptureSink log;
    std::shared_ptr<RecordingExecutionServices> services;
    std::unique_ptr<DataStorage> store;
    std::shared_ptr<mainwindow::MainViewController> controller;
    std::unique_ptr<platform::WindowHost> host;
    FakeEntryPopover entryPopover;
    FakeSidebarPopover sidebarPopover;
    bool hotkeysPaused = false;
    int closeRequests = 0;
    QString appFolder;
    QString docFolder;
};

} // namespace vantel::test
