// The data and tags windows as a person reaches them: from the tray's status
// menu, under a window manager, searched, edited in their rows and added to by
// mouse and keyboard, their edits on disk after the window closed and after a
// restart.
#include "shell/ui/VantelProcess.h"
#include "support/TestSupport.h"

#include "hotkeys/KeyCombo.h"
#include "model/TableViewItem.h"
#include "model/iconTag.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QRegularExpression>
#include <QStyle>
#include <QThread>

#include <algorithm>
#include <array>
#include <csignal>
#include <tuple>

namespace vantel {
namespace {

// Where the data window's parts lie, from its top-left corner: the toolbar
// above, the list's header, then rows of 40 pixels.
constexpr int listTop = 56;
constexpr int dataRowHeight = 40;
const QPoint addURLButton(18, 18);
const QPoint typePopup(253, 17);
const QPoint activePopup(360, 17);
const QPoint searchField(960, 17);
constexpr int visibilityToggleX = 15;
constexpr int hotkeyCellX = 640;
constexpr int commentCellX = 820;
constexpr int entryNameX = 150;
// The sidebar's Comment field, from the window's right edge and top.
constexpr int sidebarCommentFromRight = 140;
constexpr int sidebarCommentY = 138;
// The tags window: a margin of 12, the header, rows of 30.
constexpr int tagsListTop = 12 + 19;
constexpr int tagRowHeight = 30;
constexpr int tagNameX = 12 + 120;
constexpr int tagHotkeyX = 12 + 400;

bool writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

// Ctrl+Alt and a key: what Command+Option is on this desktop.
KeyCombo controlAlt(Key key)
{
    return *KeyCombo::withCarbonModifiers(key, KeyCombo::commandKey | KeyCombo::optionKey);
}

// How far the best place for the picture in `area` of the screen differs
// from it drawn over the screen's own background there: the mean grey-level
// difference per pixel.
double bestMatch(const QImage& screen, const QRect& area, const QIcon& icon, int side = 22)
{
    const QImage picture = icon.pixmap(QSize(side, side), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
    const auto over = [](int picture, int background, int alpha) {
        return (picture * alpha + background * (255 - alpha)) / 255;
    };
    double best = 255;
    for (int top = area.top(); top + side <= area.bottom(); ++top)
        for (int left = area.left(); left + side <= area.right(); ++left) {
            const QRgb background = screen.pixel(left, top);
            double difference = 0;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x) {
                    const QRgb p = picture.pixel(x, y);
                    const int expected = qGray(over(qRed(p), qRed(background), qAlpha(p)),
                                               over(qGreen(p), qGreen(background), qAlpha(p)),
                                               over(qBlue(p), qBlue(background), qAlpha(p)));
                    difference += qAbs(qGray(screen.pixel(left + x, top + y)) - expected);
                }
            best = std::min(best, difference / (side * side));
        }
    return best;
}

// Vantel on a private desktop (Xvfb, trayer, openbox) with two URL entries,
// one of them in the tag "Ledger" (with `moreInLedger` more), and one
// application found in the system folder; the main view in the popup (style
// 0) or the centred window (1).
struct DataWindowDesktop {
    test::TrayDesktop desktop;
    QString home;
    std::unique_ptr<test::VantelProcess> vantel;

    ~DataWindowDesktop() { vantel.reset(); }

    bool start(QString* why, int moreInLedger = 0, int windowViewStyle = 0)
    {
        if (!desktop.start(why))
            return false;
        if (!desktop.startWindowManager(why))
            return false;
        home = test::makeTempDir(QStringLiteral("data-window-home"));
        test::VantelProcess::prepareHome(home);
        const QString applications = home + QStringLiteral("/system-data/applications");
        QDir().mkpath(applications);
        if (!writeFile(applications + QStringLiteral("/harbour-clock.desktop"),
                       "[Desktop Entry]\nType=Application\nName=Harbour Clock\nExec=/bin/true\n")) {
            *why = QStringLiteral("cannot write the desktop file");
            return false;
        }
        TableViewItem::registerArchiveClass();
        iconTag::registerArchiveClass();
        auto tag = iconTag::create(QStringLiteral("Ledger"), QStringLiteral("tag"));
        QVariantList entries;
        for (const auto& [name, url, comment] :
             {std::tuple{"Ledger site", "https://ledger.example.org", ""},
              std::tuple{"Atlas maps", "https://atlas.example.org", "World atlas"}}) {
            auto entry = TableViewItem::initForURL(QString::fromLatin1(url), QString::fromLatin1(name),
                                                   QString::fromLatin1(comment), ListviewItemSource::other);
            if (entries.isEmpty())
                entry->setTags({tag->tagName()});
            entries.append(QVariant::fromValue(platform::ArchivablePtr(entry)));
        }
        for (int i = 0; i < moreInLedger; ++i) {
            auto entry = TableViewItem::initForURL(QStringLiteral("https://ledger%1.example.org").arg(i),
                                                   QStringLiteral("Ledger %1").arg(i), QString(),
                                                   ListviewItemSource::other);
            entry->setTags({tag->tagName()});
            entries.append(QVariant::fromValue(platform::ArchivablePtr(entry)));
        }
        platform::UserDefaults defaults(settingsPath());
        defaults.setBool(true, QStringLiteral("launchedBefore"));
        defaults.setInteger(windowViewStyle, QStringLiteral("windowViewStyle"));
        defaults.setData(platform::KeyedArchiver::archivedData(QVariant(entries)), QStringLiteral("ApplicationData"));
        defaults.setData(platform::KeyedArchiver::archivedData(
                             QVariant(QVariantList{QVariant::fromValue(platform::ArchivablePtr(tag))})),
                         QStringLiteral("TagData"));
        defaults.synchronize();
        QThread::msleep(300);
        // The first start finds the application.
        return launch()
               && waitForLog(QStringLiteral("^Add to allData: .*harbour-clock\\.desktop$"));
    }
    bool launch()
    {
        vantel = std::make_unique<test::VantelProcess>(home);
        desktop.attach(*vantel, home);
        vantel->start();
        return vantel->waitForOutput("<- applicationDidFinishLaunching");
    }
    void quit()
    {
        vantel->signal(SIGTERM);
        EXPECT_TRUE(vantel->waitForFinished()) << log();
    }
    QString settingsPath() const { return test::VantelProcess::settingsPath(home); }
    QByteArray settingsFile() const
    {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The entries and tags as the settings file holds them now.
    QList<TableViewItemPtr> storedEntries() const
    {
        return stored<TableViewItem>(QStringLiteral("ApplicationData"), TableViewItem::archiveClassNames());
    }
    QList<iconTagPtr> storedTags() const
    {
        return stored<iconTag>(QStringLiteral("TagData"), iconTag::archiveClassNames());
    }
    template <class T>
    QList<std::shared_ptr<T>> stored(const QString& key, const QSet<QString>& classes) const
    {
        QList<std::shared_ptr<T>> objects;
        const std::optional<QByteArray> data = platform::UserDefaults(settingsPath()).dataForKey(key);
        if (!data)
            return objects;
        platform::KeyedUnarchiver::Options options;
        options.allowedClasses = classes;
        const auto result = platform::KeyedUnarchiver::unarchiveTopLevelObject(*data, options);
        for (const QVariant& value : result.value.toList())
            if (auto object = std::dynamic_pointer_cast<T>(value.value<platform::ArchivablePtr>()))
                objects.append(object);
        return objects;
    }
    TableViewItemPtr storedEntry(const QString& name) const
    {
        for (const TableViewItemPtr& entry : storedEntries())
            if (entry->name() == name)
                return entry;
        return nullptr;
    }
    iconTagPtr storedTag(const QString& name) const
    {
        for (const iconTagPtr& tag : storedTags())
            if (tag->tagName() == name)
                return tag;
        return nullptr;
    }

    std::string log() { return vantel->output().toStdString(); }
    qsizetype logCount(const QString& pattern) { return vantel->logCount(pattern); }
    bool waitForLog(const QString& pattern, qsizetype count = 1) { return vantel->waitForLog(pattern, count); }
    // Vantel's window at least as large as the given size.
    std::optional<QRect> windowAtLeast(const QSize& size) const
    {
        for (const QRect& frame : desktop.visibleWindows(vantel->process().processId()))
            if (frame.width() >= size.width() && frame.height() >= size.height())
                return frame;
        return std::nullopt;
    }
    // Where the window manager put the window of that title: its frame with
    // the decoration, and whether a window of Vantel's that overlaps it lies
    // above it in the stacking order (or outside it, as a menu does).
    struct Placement {
        QRect frame;
        bool covered = false;
    };
    QList<QByteArray> windowIds(const QStringList& search) const
    {
        QList<QByteArray> found =
            desktop.run(QStringLiteral("xdotool"), QStringList{"search", "--onlyvisible"} + search).split('\n');
        found.removeAll(QByteArray());
        return found;
    }
    QList<QByteArray> ownWindowIds() const
    {
        return windowIds({"--pid", QString::number(vantel->process().processId())});
    }
    std::optional<Placement> placement(const QString& title) const
    {
        const QList<QByteArray> named = windowIds({"--name", title});
        return named.isEmpty() ? std::nullopt : placement(named.first());
    }
    std::optional<Placement> placement(const QByteArray& window) const
    {
        const QRect client = desktop.frameOf(window);
        // "NAME(CARDINAL) = 1, 1, 24, 4", "NAME(WINDOW): window id # 0x..., 0x..."
        const auto numbers = [this](const QStringList& xprop) {
            const QString text = QString::fromLatin1(desktop.run(QStringLiteral("xprop"), xprop));
            QList<quint64> values;
            const QString list = text.section(QRegularExpression(QStringLiteral("[=#]")), 1);
            for (const QString& value : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
                values << value.trimmed().toULongLong(nullptr, 0);
            return values;
        };
        const QList<quint64> extents = numbers({"-id", window, "_NET_FRAME_EXTENTS"});
        if (!client.isValid() || extents.size() != 4)
            return std::nullopt;
        Placement placed{client.adjusted(-int(extents[0]), -int(extents[2]), int(extents[1]), int(extents[3]))};
        const QList<quint64> stacking = numbers({"-root", "_NET_CLIENT_LIST_STACKING"});
        const qsizetype own = stacking.indexOf(window.toULongLong());
        for (const QByteArray& id : ownWindowIds()) {
            const qsizetype level = stacking.indexOf(id.toULongLong());
            if (id != window && desktop.frameOf(id).intersects(placed.frame) && (level < 0 || level > own))
                placed.covered = true;
        }
        return placed;
    }
    // The main view, popup or window, shown by a click on the tray icon.
    std::optional<QRect> showMainView()
    {
        std::optional<QRect> icon;
        if (!test::poll([&] { return (icon = desktop.trayIcon(vantel->process().processId())).has_value(); }))
            return std::nullopt;
        click(icon->center());
        if (!waitForLog(QStringLiteral("<- viewDidAppear")))
            return std::nullopt;
        QThread::msleep(500);
        return windowAtLeast(QSize(550, 400));
    }
    // "Add URL" of the main view's menu (its button at the top left: Info,
    // Preferences, Add File or Folder, Add URL); where the URL window went.
    std::optional<Placement> addURLFromMenu(const QRect& mainView, const QString& screenshot)
    {
        click(mainView.topLeft() + QPoint(25, 21));
        QThread::msleep(400);
        for (int i = 0; i < 4; ++i)
            key(QStringLiteral("Down"));
        key(QStringLiteral("Return"));
        if (!desktop.waitForWindow(QStringLiteral("Add or Modify URL")))
            return std::nullopt;
        QThread::msleep(500);
        desktop.screenshot(screenshot);
        return placement(QStringLiteral("Add or Modify URL"));
    }
    // Each key, text and click is given time to take effect.
    void key(const QString& keys) const
    {
        desktop.keys({keys});
        QThread::msleep(150);
    }
    void type(const QString& text) const
    {
        desktop.type(text);
        QThread::msleep(150);
    }
    void click(const QPoint& at, int button = 1) const
    {
        desktop.click(at, button);
        QThread::msleep(300);
    }
    // The status menu's item `down` rows from the top (Info is 1).
    bool chooseFromStatusMenu(int down)
    {
        std::optional<QRect> icon;
        if (!test::poll([&] { return (icon = desktop.trayIcon(vantel->process().processId())).has_value(); }))
            return false;
        const qsizetype clicks = logCount(QStringLiteral("statusBarButtonAction -> right click"));
        desktop.click(icon->center(), 3);
        if (!waitForLog(QStringLiteral("statusBarButtonAction -> right click"), clicks + 1))
            return false;
        QThread::msleep(400);
        for (int i = 0; i < down; ++i)
            key(QStringLiteral("Down"));
        key(QStringLiteral("Return"));
        return true;
    }
    // "Modify Data…" of the status menu: Info, Preferences, Modify Data.
    std::optional<QRect> openDataWindow()
    {
        const qsizetype opened = logCount(QStringLiteral("^instantiateWindowController: config$"));
        if (!chooseFromStatusMenu(3) || !waitForLog(QStringLiteral("^instantiateWindowController: config$"), opened + 1))
            return std::nullopt;
        const std::optional<QRect> frame = desktop.waitForWindow(QStringLiteral("Modify Data"));
        QThread::msleep(500);
        return frame;
    }
    // Closes the window as the window manager's close does; the data
    // window saves as it closes, and the file is read once the program says
    // the save is on disk (its start is no sign of that).
    bool closeWindow(const QString& title, bool saves = true)
    {
        const QString written = QStringLiteral("^saveConfig: written to ");
        const qsizetype saved = logCount(written);
        desktop.focus(title);
        key(QStringLiteral("alt+F4"));
        return desktop.waitForNoWindow(title) && (!saves || waitForLog(written, saved + 1));
    }
    // The search text replaced by `text`.
    void search(const QRect& frame, const QString& text)
    {
        click(frame.topLeft() + searchField);
        key(QStringLiteral("ctrl+a"));
        key(QStringLiteral("BackSpace"));
        if (!text.isEmpty())
            type(text);
        QThread::msleep(300);
    }
    // The item `down` rows below the first of a pop-up button.
    void chooseInPopup(const QPoint& button, int down)
    {
        click(button);
        key(QStringLiteral("Home"));
        for (int i = 0; i < down; ++i)
            key(QStringLiteral("Down"));
        key(QStringLiteral("Return"));
        QThread::msleep(300);
    }
    static QPoint dataCell(const QRect& frame, int x, int row)
    {
        return frame.topLeft() + QPoint(x, listTop + row * dataRowHeight + dataRowHeight / 2);
    }
    static QPoint tagCell(const QRect& frame, int x, int row)
    {
        return frame.topLeft() + QPoint(x, tagsListTop + row * tagRowHeight + tagRowHeight / 2);
    }
    // Whether the data window's list shows an entry's name in that row:
    // text in the name's place, standing out from the row's background
    // (its most common grey), selected or not.
    bool rowShowsEntry(const QImage& screen, const QRect& frame, int row) const
    {
        return showsText(screen, QRect(frame.left() + 67, frame.top() + listTop + row * dataRowHeight + 6, 150, 14));
    }
    // Whether the sidebar's Comment field shows text, selected or not.
    bool sidebarCommentShowsText(const QImage& screen, const QRect& frame) const
    {
        return showsText(screen, QRect(frame.right() - sidebarCommentFromRight - 100, frame.top() + sidebarCommentY - 6,
                                       200, 12));
    }
    static bool showsText(const QImage& screen, const QRect& name)
    {
        std::array<int, 256> greys{};
        for (int y = name.top(); y <= name.bottom(); ++y)
            for (int x = name.left(); x <= name.right(); ++x)
                ++greys[qGray(screen.pixel(x, y))];
        const int background = int(std::max_element(greys.begin(), greys.end()) - greys.begin());
        int text = 0;
        for (int grey = 0; grey < 256; ++grey)
            text += qAbs(grey - background) > 90 ? greys[grey] : 0;
        return text > 20;
    }
};

TEST(DataWindowEndToEnd, EditsInTheDataAndTagsWindowsReachTheFileAndSurviveRestarts)
{
    DataWindowDesktop fixture;
    QString why;
    if (!fixture.start(&why))
        GTEST_SKIP() << why.toStdString();
    const QString dataWindow = QStringLiteral("Modify Data");
    std::optional<QRect> frame = fixture.openDataWindow();
    ASSERT_TRUE(frame) << "no data window\n" << fixture.log();
    EXPECT_GE(frame->width(), 900);
    EXPECT_GE(frame->height(), 480);
    QImage screen = fixture.desktop.screenshot(QStringLiteral("e2e-data-window.png"));
    EXPECT_TRUE(fixture.rowShowsEntry(screen, *frame, 2)) << "the catalogue is not listed";

    // The type pop-up narrows the list to the one application.
    fixture.chooseInPopup(frame->topLeft() + typePopup, 1);
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^Filter-Predicate: .*application"))) << fixture.log();
    QThread::msleep(300);
    screen = fixture.desktop.screenshot(QStringLiteral("e2e-data-window-applications.png"));
    EXPECT_TRUE(fixture.rowShowsEntry(screen, *frame, 0));
    EXPECT_FALSE(fixture.rowShowsEntry(screen, *frame, 1)) << "the URLs are still listed";

    // Hidden with its row's check box.
    const qsizetype visibilityChanges = fixture.logCount(QStringLiteral("NotifyReason: visibilityChanged"));
    fixture.click(DataWindowDesktop::dataCell(*frame, visibilityToggleX, 0));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("NotifyReason: visibilityChanged"), visibilityChanges + 1))
        << fixture.log();
    fixture.chooseInPopup(frame->topLeft() + typePopup, 0);

    // The typed name goes into the configuration filter and narrows the list.
    fixture.search(*frame, QStringLiteral("ledger"));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^Filter-Predicate: .*ledger")))
        << "the search did not reach the filter\n"
        << fixture.log();
    screen = fixture.desktop.screenshot(QStringLiteral("e2e-data-window-search.png"));
    EXPECT_TRUE(fixture.rowShowsEntry(screen, *frame, 0));
    EXPECT_FALSE(fixture.rowShowsEntry(screen, *frame, 1)) << "the search did not narrow the list";

    // A comment typed into the row itself, and a hotkey recorded in it.
    fixture.click(DataWindowDesktop::dataCell(*frame, commentCellX, 0));
    fixture.type(QStringLiteral("Quarterly books"));
    fixture.key(QStringLiteral("Return"));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("NotifyReason: commentChanged"))) << fixture.log();
    fixture.click(DataWindowDesktop::dataCell(*frame, hotkeyCellX, 0));
    fixture.click(DataWindowDesktop::dataCell(*frame, hotkeyCellX, 0));
    fixture.key(QStringLiteral("ctrl+alt+l"));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("NotifyReason: hotkeyChanged"))) << fixture.log();
    const QImage beforeSheet = fixture.desktop.screenshot(QStringLiteral("e2e-data-window-row-edits.png"));

    // The toolbar's first button adds a URL in a sheet: URL, then the title.
    fixture.click(frame->topLeft() + addURLButton);
    QThread::msleep(700);
    // It sits centred over the data window, not in a corner of the screen.
    const std::optional<QRect> sheet = fixture.desktop.waitForWindow(QStringLiteral("Add or Modify URL"));
    ASSERT_TRUE(sheet) << "no URL sheet\n" << fixture.log();
    EXPECT_LE(qAbs(sheet->center().x() - frame->center().x()), 40) << "sheet at x " << sheet->x();
    EXPECT_LE(qAbs(sheet->center().y() - frame->center().y()), 40) << "sheet at y " << sheet->y();
    const auto placedSheet = fixture.placement(QStringLiteral("Add or Modify URL"));
    ASSERT_TRUE(placedSheet);
    EXPECT_TRUE(QRect(0, 0, 1280, 800).contains(placedSheet->frame));
    EXPECT_FALSE(placedSheet->covered) << "the sheet is under another window";
    fixture.desktop.focus(QStringLiteral("Add or Modify URL"));
    fixture.type(QStringLiteral("https://quill.example.org/pages"));
    fixture.key(QStringLiteral("Tab"));
    fixture.type(QStringLiteral("Quill pages"));
    screen = fixture.desktop.screenshot(QStringLiteral("e2e-url-sheet.png"));
    {
        // The data window's middle now shows the sheet, above its parent.
        int changed = 0;
        const QRect middle(frame->center() - QPoint(150, 60), QSize(300, 120));
        for (int y = middle.top(); y <= middle.bottom(); ++y)
            for (int x = middle.left(); x <= middle.right(); ++x)
                changed += qAbs(qGray(screen.pixel(x, y)) - qGray(beforeSheet.pixel(x, y))) > 40 ? 1 : 0;
        EXPECT_GT(changed, 300) << "the sheet does not cover the data window's middle";
    }
    fixture.key(QStringLiteral("Return"));
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("^ -> URL: https://quill.example.org/pages$"))) << fixture.log();
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^ -> Title: Quill pages$"))) << fixture.log();
    QThread::msleep(500);
    fixture.desktop.screenshot(QStringLiteral("e2e-data-window-added.png"));

    // Closing the window saves at once.
    ASSERT_TRUE(fixture.closeWindow(dataWindow)) << fixture.log();
    {
        const TableViewItemPtr ledger = fixture.storedEntry(QStringLiteral("Ledger site"));
        ASSERT_TRUE(ledger) << "the settings file lost the entry";
        EXPECT_EQ(ledger->comment(), QStringLiteral("Quarterly books"));
        EXPECT_EQ(ledger->hotkey(), std::optional<KeyCombo>(controlAlt(Key::l)));
        const TableViewItemPtr clock = fixture.storedEntry(QStringLiteral("Harbour Clock"));
        ASSERT_TRUE(clock) << "the hidden application is not in the settings file";
        EXPECT_FALSE(clock->isVisible());
        const TableViewItemPtr quill = fixture.storedEntry(QStringLiteral("Quill pages"));
        ASSERT_TRUE(quill) << "the added URL is not in the settings file";
        EXPECT_EQ(quill->path(), QStringLiteral("https://quill.example.org/pages"));
    }

    // The tags window renames the tag and records its hotkey.
    ASSERT_TRUE(fixture.chooseFromStatusMenu(4));
    const QString tagsWindow = QStringLiteral("Modify Tags");
    const std::optional<QRect> tags = fixture.desktop.waitForWindow(tagsWindow);
    ASSERT_TRUE(tags) << "no tags window\n" << fixture.log();
    QThread::msleep(500);
    fixture.click(DataWindowDesktop::tagCell(*tags, tagNameX, 0));
    fixture.key(QStringLiteral("ctrl+a"));
    fixture.type(QStringLiteral("Books"));
    fixture.key(QStringLiteral("Return"));
    // The rename is confirmed in an alert; OK is its default button.
    QThread::msleep(600);
    fixture.desktop.screenshot(QStringLiteral("e2e-tags-rename-alert.png"));
    fixture.key(QStringLiteral("Return"));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("IconTag - Name-Change detected"))) << fixture.log();
    QThread::msleep(300);
    fixture.click(DataWindowDesktop::tagCell(*tags, tagHotkeyX, 0));
    fixture.click(DataWindowDesktop::tagCell(*tags, tagHotkeyX, 0));
    fixture.key(QStringLiteral("ctrl+alt+b"));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("IconTag - Hotkey-Change detected for: Books"))) << fixture.log();
    fixture.desktop.screenshot(QStringLiteral("e2e-tags-window.png"));
    ASSERT_TRUE(fixture.closeWindow(tagsWindow, false)) << fixture.log();

    // Its hotkey shows the tag in the main view.
    QThread::msleep(500);
    fixture.key(QStringLiteral("ctrl+alt+b"));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("<- viewDidAppear"))) << fixture.log();
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^## Tag: Books$"))) << fixture.log();
    QThread::msleep(600);
    fixture.desktop.screenshot(QStringLiteral("e2e-main-view-tag.png"));

    // "Modify URL" of the entry's popover edits that entry.
    const std::optional<QRect> mainView = fixture.windowAtLeast(QSize(550, 400));
    ASSERT_TRUE(mainView) << fixture.log();
    fixture.click(mainView->topLeft() + QPoint(450, 70), 3);
    std::optional<QRect> popover;
    ASSERT_TRUE(test::poll([&] {
        for (const QRect& window : fixture.desktop.visibleWindows(fixture.vantel->process().processId()))
            if (window != *mainView && window.width() >= 400 && window.height() >= 150 && window.height() < 400)
                popover = window;
        return popover.has_value();
    })) << "no entry popover\n" << fixture.log();
    QThread::msleep(400);
    fixture.desktop.screenshot(QStringLiteral("e2e-entry-popover.png"));
    // Its buttons' row, at the bottom: Hide, Show in Folder, Delete, Modify URL.
    fixture.click(QPoint(popover->left() + 323, popover->bottom() - 22));
    const QString urlWindow = QStringLiteral("Add or Modify URL");
    ASSERT_TRUE(fixture.desktop.waitForWindow(urlWindow)) << "Modify URL opened no window\n" << fixture.log();
    QThread::msleep(400);
    fixture.desktop.focus(urlWindow);
    fixture.key(QStringLiteral("Tab"));
    fixture.key(QStringLiteral("ctrl+a"));
    fixture.type(QStringLiteral("Ledger books"));
    fixture.desktop.screenshot(QStringLiteral("e2e-modify-url.png"));
    fixture.key(QStringLiteral("Return"));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^modifyURLInDatabase$"))) << fixture.log();
    EXPECT_TRUE(fixture.desktop.waitForNoWindow(urlWindow));

    // Quit saves; the file has every edit.
    fixture.quit();
    {
        EXPECT_FALSE(fixture.storedEntry(QStringLiteral("Ledger site"))) << "the modified entry kept its old title";
        const TableViewItemPtr books = fixture.storedEntry(QStringLiteral("Ledger books"));
        ASSERT_TRUE(books) << "the modified title is not in the settings file";
        EXPECT_EQ(books->path(), QStringLiteral("https://ledger.example.org"));
        EXPECT_EQ(books->comment(), QStringLiteral("Quarterly books"));
        EXPECT_EQ(books->tags(), QStringList{QStringLiteral("Books")});
        const iconTagPtr tag = fixture.storedTag(QStringLiteral("Books"));
        ASSERT_TRUE(tag) << "the renamed tag is not in the settings file";
        EXPECT_EQ(tag->hotkey(), std::optional<KeyCombo>(controlAlt(Key::b)));
        EXPECT_FALSE(fixture.storedTag(QStringLiteral("Ledger")));
    }

    // After a restart everything is read back: the tag's hotkey works, and
    // what the data window saves as it closes still holds every edit. The
    // hidden application is shown again.
    ASSERT_TRUE(fixture.launch()) << fixture.log();
    QThread::msleep(500);
    fixture.key(QStringLiteral("ctrl+alt+b"));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^## Tag: Books$"))) << fixture.log();
    fixture.key(QStringLiteral("Escape"));
    frame = fixture.openDataWindow();
    ASSERT_TRUE(frame) << fixture.log();
    // Every row selected, their comments differ: passing through the
    // sidebar's empty Comment field leaves them as they are.
    fixture.click(DataWindowDesktop::dataCell(*frame, entryNameX, 0));
    fixture.key(QStringLiteral("ctrl+a"));
    fixture.click(QPoint(frame->right() - sidebarCommentFromRight, frame->top() + sidebarCommentY));
    fixture.key(QStringLiteral("Tab"));
    fixture.desktop.screenshot(QStringLiteral("e2e-data-window-sidebar-comment.png"));
    // "Inactive only" lists the one hidden entry.
    fixture.chooseInPopup(frame->topLeft() + activePopup, 2);
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^Filter-Predicate: .*isVisible == 0"))) << fixture.log();
    screen = fixture.desktop.screenshot(QStringLiteral("e2e-data-window-after-restart.png"));
    EXPECT_TRUE(fixture.rowShowsEntry(screen, *frame, 0)) << "the hidden application is not hidden after a restart";
    EXPECT_FALSE(fixture.rowShowsEntry(screen, *frame, 1));
    fixture.click(DataWindowDesktop::dataCell(*frame, visibilityToggleX, 0));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("NotifyReason: visibilityChanged"))) << fixture.log();
    ASSERT_TRUE(fixture.closeWindow(dataWindow)) << fixture.log();
    {
        // A shown application without edits of its own need not be stored.
        const TableViewItemPtr clock = fixture.storedEntry(QStringLiteral("Harbour Clock"));
        EXPECT_TRUE(!clock || clock->isVisible()) << "still stored as hidden";
        const TableViewItemPtr books = fixture.storedEntry(QStringLiteral("Ledger books"));
        ASSERT_TRUE(books);
        EXPECT_EQ(books->comment(), QStringLiteral("Quarterly books"));
        EXPECT_EQ(books->hotkey(), std::optional<KeyCombo>(controlAlt(Key::l)));
        EXPECT_TRUE(fixture.storedEntry(QStringLiteral("Quill pages")));
    }
    fixture.quit();

    // Shown again after one more restart: "Inactive only" lists nothing.
    ASSERT_TRUE(fixture.launch()) << fixture.log();
    frame = fixture.openDataWindow();
    ASSERT_TRUE(frame) << fixture.log();
    fixture.chooseInPopup(frame->topLeft() + activePopup, 2);
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^Filter-Predicate: .*isVisible == 0"))) << fixture.log();
    screen = fixture.desktop.screenshot(QStringLiteral("e2e-data-window-second-restart.png"));
    EXPECT_FALSE(fixture.rowShowsEntry(screen, *frame, 0)) << "the application shown again is hidden after a restart";
    fixture.quit();
    {
        const TableViewItemPtr books = fixture.storedEntry(QStringLiteral("Ledger books"));
        const TableViewItemPtr atlas = fixture.storedEntry(QStringLiteral("Atlas maps"));
        ASSERT_TRUE(books && atlas);
        EXPECT_EQ(books->comment(), QStringLiteral("Quarterly books")) << "the sidebar erased a comment";
        EXPECT_EQ(atlas->comment(), QStringLiteral("World atlas")) << "the sidebar erased a comment";
    }
}

// The data window as the first window of the run: its toolbar shows the icon
// theme's pictures, and a comment typed in its sidebar outlasts the reload an
// application found or gone meanwhile brings, going to the entries it was
// typed for that are still there, else staying in the field. The selected
// rows outlast such a reload too.
TEST(DataWindowEndToEnd, TheFirstWindowsToolbarIconsAndATypedCommentAcrossADiscovery)
{
    DataWindowDesktop fixture;
    QString why;
    if (!fixture.start(&why))
        GTEST_SKIP() << why.toStdString();
    const std::optional<QRect> frame = fixture.openDataWindow();
    ASSERT_TRUE(frame) << "no data window\n" << fixture.log();
    const QImage screen = fixture.desktop.screenshot(QStringLiteral("e2e-data-window-first-toolbar.png"));
    const QRect buttons(frame->topLeft(), QSize(300, listTop - 12));
    // The theme's pictures, not the style's blank page, disk and folder.
    const std::pair<const char*, QStyle::StandardPixmap> pictures[] = {
        {"list-add", QStyle::SP_FileIcon},
        {"document-export", QStyle::SP_DialogSaveButton},
        {"document-import", QStyle::SP_DialogOpenButton}};
    for (const auto& [name, generic] : pictures) {
        const QString file = QStringLiteral("/usr/share/icons/breeze/actions/22/%1.svg").arg(QLatin1String(name));
        ASSERT_TRUE(QFileInfo::exists(file)) << "the Breeze icon theme (breeze-icon-theme) is needed";
        const double difference = bestMatch(screen, buttons, QIcon(file));
        EXPECT_LT(difference, 2.0) << name;
        EXPECT_LT(difference, bestMatch(screen, buttons, QApplication::style()->standardIcon(generic))) << name;
    }

    // Atlas maps, the first row, gets a comment; while it is typed an
    // application sorted above it is found.
    fixture.click(DataWindowDesktop::dataCell(*frame, entryNameX, 0));
    fixture.click(QPoint(frame->right() - sidebarCommentFromRight, frame->top() + sidebarCommentY));
    fixture.key(QStringLiteral("ctrl+a"));
    fixture.type(QStringLiteral("Atlas notes"));
    ASSERT_TRUE(writeFile(fixture.home + QStringLiteral("/system-data/applications/aardvark.desktop"),
                          "[Desktop Entry]\nType=Application\nName=Aardvark\nExec=/bin/true\n"));
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("^Add to allData: .*aardvark\\.desktop$"))) << fixture.log();
    // The store gathers the discoveries for a while before it rebuilds.
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("^-> RebuildData - Request initiated: Spotlight Database updated$")))
        << fixture.log();
    QThread::msleep(500);
    EXPECT_TRUE(fixture.rowShowsEntry(fixture.desktop.screenshot(QStringLiteral("e2e-data-window-discovery.png")),
                                      *frame, 3))
        << "the found application is not listed";
    fixture.type(QStringLiteral(" kept"));
    fixture.key(QStringLiteral("Return"));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("NotifyReason: commentChanged"))) << fixture.log();
    ASSERT_TRUE(fixture.closeWindow(QStringLiteral("Modify Data"))) << fixture.log();
    const TableViewItemPtr atlas = fixture.storedEntry(QStringLiteral("Atlas maps"));
    ASSERT_TRUE(atlas);
    EXPECT_EQ(atlas->comment(), QStringLiteral("Atlas notes kept"));
    for (const TableViewItemPtr& entry : fixture.storedEntries())
        EXPECT_TRUE(entry->name() == atlas->name() || !entry->comment().contains(QStringLiteral("Atlas notes")))
            << entry->name().toStdString();

    // Atlas maps and Aardvark above it, the row the list reselects, get a
    // comment; while it is typed Aardvark's file goes. Atlas maps still gets it.
    const std::optional<QRect> again = fixture.openDataWindow();
    ASSERT_TRUE(again) << fixture.log();
    fixture.click(DataWindowDesktop::dataCell(*again, entryNameX, 1));
    fixture.key(QStringLiteral("shift+Up"));
    fixture.click(QPoint(again->right() - sidebarCommentFromRight, again->top() + sidebarCommentY));
    fixture.type(QStringLiteral("Shared notes"));
    const QString rebuilt = QStringLiteral("^-> RebuildData - Request initiated: Spotlight Database updated$");
    const qsizetype rebuilds = fixture.logCount(rebuilt);
    ASSERT_TRUE(QFile::remove(fixture.home + QStringLiteral("/system-data/applications/aardvark.desktop")));
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("^Moved entry into trash: .*aardvark\\.desktop$"))) << fixture.log();
    ASSERT_TRUE(fixture.waitForLog(rebuilt, rebuilds + 1)) << fixture.log();
    QThread::msleep(500);
    fixture.key(QStringLiteral("Return"));
    ASSERT_TRUE(fixture.closeWindow(QStringLiteral("Modify Data"))) << fixture.log();
    const TableViewItemPtr shared = fixture.storedEntry(QStringLiteral("Atlas maps"));
    ASSERT_TRUE(shared);
    EXPECT_EQ(shared->comment(), QStringLiteral("Shared notes"));

    // Atlas maps and Harbour Clock stay selected when an application found
    // between them moves a row: the comment typed next reaches both.
    const std::optional<QRect> third = fixture.openDataWindow();
    ASSERT_TRUE(third) << fixture.log();
    fixture.click(DataWindowDesktop::dataCell(*third, entryNameX, 0));
    fixture.key(QStringLiteral("shift+Down"));
    const QString beacon = fixture.home + QStringLiteral("/system-data/applications/beacon.desktop");
    const qsizetype found = fixture.logCount(rebuilt);
    ASSERT_TRUE(writeFile(beacon, "[Desktop Entry]\nType=Application\nName=Beacon\nExec=/bin/true\n"));
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("^Add to allData: .*beacon\\.desktop$"))) << fixture.log();
    ASSERT_TRUE(fixture.waitForLog(rebuilt, found + 1)) << fixture.log();
    QThread::msleep(500);
    fixture.desktop.screenshot(QStringLiteral("e2e-data-window-selection-after-discovery.png"));
    const QPoint sidebarComment(third->right() - sidebarCommentFromRight, third->top() + sidebarCommentY);
    fixture.click(sidebarComment);
    fixture.type(QStringLiteral("Seen together"));
    fixture.key(QStringLiteral("Return"));

    // Beacon alone gets a comment; while it is typed its file goes and the
    // reload selects nothing: the text stays in the field, written nowhere.
    fixture.click(DataWindowDesktop::dataCell(*third, entryNameX, 1));
    fixture.click(sidebarComment);
    fixture.type(QStringLiteral("Beacon notes"));
    const qsizetype gone = fixture.logCount(rebuilt);
    ASSERT_TRUE(QFile::remove(beacon));
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("^Moved entry into trash: .*beacon\\.desktop$"))) << fixture.log();
    ASSERT_TRUE(fixture.waitForLog(rebuilt, gone + 1)) << fixture.log();
    QThread::msleep(500);
    fixture.key(QStringLiteral("Return"));
    QThread::msleep(300);
    EXPECT_TRUE(fixture.sidebarCommentShowsText(
        fixture.desktop.screenshot(QStringLiteral("e2e-data-window-comment-for-a-gone-entry.png")), *third))
        << "the typed comment left the field";
    ASSERT_TRUE(fixture.closeWindow(QStringLiteral("Modify Data"))) << fixture.log();
    for (const char* name : {"Atlas maps", "Harbour Clock"}) {
        const TableViewItemPtr entry = fixture.storedEntry(QString::fromLatin1(name));
        ASSERT_TRUE(entry) << name;
        EXPECT_EQ(entry->comment().toStdString(), "Seen together") << name;
    }
    for (const TableViewItemPtr& entry : fixture.storedEntries())
        EXPECT_FALSE(entry->comment().contains(QStringLiteral("Beacon"))) << entry->name().toStdString();
    fixture.quit();
}

// "Refresh Data", chosen from the tray's status menu (Info, Preferences,
// Modify Data, Tags, Refresh Data), searches the application folders anew.
TEST(DataWindowEndToEnd, RefreshDataOfTheStatusMenuSearchesTheApplicationsAgain)
{
    DataWindowDesktop fixture;
    QString why;
    if (!fixture.start(&why))
        GTEST_SKIP() << why.toStdString();
    const QString started = QStringLiteral("^Proxy: SpotlightQuery state: Query successful started$");
    ASSERT_EQ(fixture.logCount(started), 1) << fixture.log();
    ASSERT_TRUE(fixture.chooseFromStatusMenu(5)) << fixture.log();
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^Proxy: SpotlightQuery state: Query stopped$"))) << fixture.log();
    EXPECT_TRUE(fixture.waitForLog(started, 2)) << fixture.log();
    fixture.quit();
}

// What the popup opens lies on the screen above it. A question asked from
// a popover of the popup sits over the popup, which stays for the answer.
// The URL window of the popup's menu ("Add URL") opens centred on the screen
// and above every window of Vantel's (the popup gives way to it), and takes
// what is typed until it is saved.
TEST(DataWindowEndToEnd, WhatThePopupOpensLiesAboveIt)
{
    DataWindowDesktop fixture;
    QString why;
    // Enough entries in the tag that launching them all asks first.
    if (!fixture.start(&why, 15))
        GTEST_SKIP() << why.toStdString();
    const std::optional<QRect> popup = fixture.showMainView();
    ASSERT_TRUE(popup && fixture.logCount(QStringLiteral("^popoverDidShow$")) == 1) << fixture.log();
    const QRect screen(0, 0, 1280, 800);

    // The tag's popover, from the tag's row; its button at the bottom right.
    fixture.click(popup->topLeft() + QPoint(68, 216), 3);
    std::optional<QRect> tagPopover;
    ASSERT_TRUE(test::poll([&] {
        for (const QRect& window : fixture.desktop.visibleWindows(fixture.vantel->process().processId()))
            if (!popup->contains(window) && window.height() >= 150 && window.height() < 400)
                tagPopover = window;
        return tagPopover.has_value();
    })) << "no tag popover\n" << fixture.log();
    QThread::msleep(400);
    const QList<QByteArray> before = fixture.ownWindowIds();
    fixture.click(tagPopover->bottomRight() - QPoint(70, 24));
    QByteArray question;
    ASSERT_TRUE(test::poll([&] {
        for (const QByteArray& id : fixture.ownWindowIds())
            if (!before.contains(id))
                question = id;
        return !question.isEmpty();
    })) << "no question\n" << fixture.log();
    QThread::msleep(500);
    fixture.desktop.screenshot(QStringLiteral("e2e-question-from-popup.png"));
    const auto asked = fixture.placement(question);
    ASSERT_TRUE(asked);
    EXPECT_TRUE(screen.contains(asked->frame));
    EXPECT_TRUE(popup->contains(asked->frame.center())) << "the question is not over the popup";
    EXPECT_FALSE(asked->covered) << "the question is under the popup";
    fixture.key(QStringLiteral("Escape"));
    ASSERT_TRUE(test::poll([&] { return !fixture.ownWindowIds().contains(question); }));
    EXPECT_TRUE(fixture.windowAtLeast(QSize(550, 400))) << "the popup did not stay";

    const auto placed = fixture.addURLFromMenu(*popup, QStringLiteral("e2e-url-window-from-popup.png"));
    ASSERT_TRUE(placed) << fixture.log();
    EXPECT_TRUE(screen.contains(placed->frame));
    EXPECT_LE(qAbs(placed->frame.center().x() - screen.center().x()), 40) << "at x " << placed->frame.x();
    EXPECT_LE(qAbs(placed->frame.center().y() - screen.center().y()), 40) << "at y " << placed->frame.y();
    EXPECT_FALSE(placed->covered) << "the URL window is under the popup";

    fixture.type(QStringLiteral("https://quill.example.org/pages"));
    fixture.key(QStringLiteral("Tab"));
    fixture.type(QStringLiteral("Quill pages"));
    fixture.key(QStringLiteral("Return"));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^ -> URL: https://quill.example.org/pages$"))) << fixture.log();
    EXPECT_TRUE(fixture.desktop.waitForNoWindow(QStringLiteral("Add or Modify URL")));
    fixture.quit();
    EXPECT_TRUE(fixture.storedEntry(QStringLiteral("Quill pages")));
}

// The centred main view floats above other windows; the URL window of its
// menu opens above it, and it stays.
TEST(DataWindowEndToEnd, TheURLWindowOfTheCentredMainViewLiesAboveIt)
{
    DataWindowDesktop fixture;
    QString why;
    if (!fixture.start(&why, 0, 1))
        GTEST_SKIP() << why.toStdString();
    const std::optional<QRect> mainView = fixture.showMainView();
    ASSERT_TRUE(mainView) << fixture.log();
    const auto placed = fixture.addURLFromMenu(*mainView, QStringLiteral("e2e-url-window-from-window.png"));
    ASSERT_TRUE(placed) << fixture.log();
    EXPECT_TRUE(QRect(0, 0, 1280, 800).contains(placed->frame));
    EXPECT_FALSE(placed->covered) << "the URL window is under the main view";
    EXPECT_TRUE(fixture.windowAtLeast(QSize(550, 400))) << "the main view closed";
    fixture.quit();
}

// The row edits a person makes with one key or click: one click on a
// hotkey's clear button clears it, Escape leaves a Tags cell unwritten,
// Return in the sidebar's Tags field tags the selection at once; and a
// search outlasts its window with its text in the field, which clears it.
TEST(DataWindowEndToEnd, OneKeyOrClickEditsAsItSays)
{
    // From the window's top-left: the clear button of a hotkey cell with a
    // hotkey, a Tags cell's tokens, and the sidebar's Tags field from the right.
    constexpr int hotkeyClearX = 715;
    constexpr int tagsCellX = 420;
    constexpr int sidebarTagsY = 82;
    DataWindowDesktop fixture;
    QString why;
    if (!fixture.start(&why))
        GTEST_SKIP() << why.toStdString();
    std::optional<QRect> frame = fixture.openDataWindow();
    ASSERT_TRUE(frame) << "no data window\n" << fixture.log();
    // Atlas maps, Harbour Clock, Ledger site: the first gets a hotkey, then
    // another row is made current.
    fixture.click(DataWindowDesktop::dataCell(*frame, hotkeyCellX, 0));
    fixture.click(DataWindowDesktop::dataCell(*frame, hotkeyCellX, 0));
    fixture.key(QStringLiteral("ctrl+alt+l"));
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("NotifyReason: hotkeyChanged"))) << fixture.log();
    fixture.click(DataWindowDesktop::dataCell(*frame, entryNameX, 1));
    fixture.click(DataWindowDesktop::dataCell(*frame, hotkeyClearX, 0));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("NotifyReason: hotkeyChanged"), 2)) << "one click did not clear\n"
                                                                                       << fixture.log();

    // Typed into the first row's tags, then Escape.
    fixture.click(DataWindowDesktop::dataCell(*frame, tagsCellX, 0));
    fixture.type(QStringLiteral("Zz"));
    fixture.key(QStringLiteral("Escape"));
    fixture.desktop.screenshot(QStringLiteral("e2e-data-window-tags-escape.png"));

    // The second row tagged from the sidebar, the field still in use.
    fixture.click(DataWindowDesktop::dataCell(*frame, entryNameX, 1));
    const qsizetype tagChanges = fixture.logCount(QStringLiteral("NotifyReason: tagChanged"));
    fixture.click(QPoint(frame->right() - sidebarCommentFromRight, frame->top() + sidebarTagsY));
    fixture.type(QStringLiteral("Voyage"));
    fixture.key(QStringLiteral("Return"));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("NotifyReason: tagChanged"), tagChanges + 1))
        << "Return did not tag the selection\n"
        << fixture.log();
    fixture.desktop.screenshot(QStringLiteral("e2e-data-window-sidebar-tags-return.png"));

    fixture.search(*frame, QStringLiteral("atlas"));
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("^Filter-Predicate: .*atlas"))) << fixture.log();
    ASSERT_TRUE(fixture.closeWindow(QStringLiteral("Modify Data"))) << fixture.log();
    {
        const TableViewItemPtr atlas = fixture.storedEntry(QStringLiteral("Atlas maps"));
        ASSERT_TRUE(atlas) << "the settings file lost the entry";
        EXPECT_FALSE(atlas->hotkey());
        EXPECT_TRUE(atlas->tags().isEmpty()) << atlas->tags().join(QLatin1Char(',')).toStdString();
        EXPECT_FALSE(fixture.storedTag(QStringLiteral("Zz"))) << "Escape made a tag";
        const TableViewItemPtr clock = fixture.storedEntry(QStringLiteral("Harbour Clock"));
        ASSERT_TRUE(clock) << "the tagged application is not in the settings file";
        EXPECT_EQ(clock->tags(), QStringList{QStringLiteral("Voyage")});
    }

    // Opened again, the window still lists the search's one row; emptying
    // its field lists them all.
    frame = fixture.openDataWindow();
    ASSERT_TRUE(frame) << fixture.log();
    QImage screen = fixture.desktop.screenshot(QStringLiteral("e2e-data-window-search-reopened.png"));
    EXPECT_TRUE(fixture.rowShowsEntry(screen, *frame, 0));
    EXPECT_FALSE(fixture.rowShowsEntry(screen, *frame, 1));
    const qsizetype filtered = fixture.logCount(QStringLiteral("^Filter-Predicate: "));
    fixture.search(*frame, QString());
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^Filter-Predicate: "), filtered + 1)) << fixture.log();
    QThread::msleep(300);
    screen = fixture.desktop.screenshot(QStringLiteral("e2e-data-window-search-cleared.png"));
    EXPECT_TRUE(fixture.rowShowsEntry(screen, *frame, 1)) << "the emptied field left the list filtered";
    EXPECT_TRUE(fixture.rowShowsEntry(screen, *frame, 2));
    fixture.quit();
}

} // namespace
} // namespace vantel
