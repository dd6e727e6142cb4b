// Pictures of the entry list over a realistic catalogue, in both layouts,
// with a focused and an unfocused selection, Ctrl held and a search shown,
// in a light and a dark palette. Written to the test's output folder, and
// probed: row heights, the selection's colour, an icon in every row, and the
// hotkey texts, Return hint and quick-launch numbers where the row puts them.
#include "EntryListTestSupport.h"

#include "hotkeys/KeyCombo.h"
#include "mainwindow/TableViewCellMainWindow.h"
#include "model/iconTag.h"

#include <QImage>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QTextStream>

namespace vantel::test {

namespace {

class EntryListRenderTest : public EntryListTest {
protected:
    void SetUp() override
    {
        EntryListTest::SetUp();
        // The same style on every machine; the widget does not own it.
        style.reset(QStyleFactory::create(QStringLiteral("Fusion")));
        view->setStyle(style.get());
        view->resize(620, 600);
        appFolder = makeTempDir(QStringLiteral("render-apps"));
        docFolder = makeTempDir(QStringLiteral("render-docs"));
        fillCatalogue();
    }

    QString desktopFile(const QString& id, const QString& name, const QString& icon)
    {
        const QString path = appFolder + QLatin1Char('/') + id + QStringLiteral(".desktop");
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        QTextStream(&file) << "[Desktop Entry]\nType=Application\nName=" << name << "\nExec=true\nIcon=" << icon
                           << "\n";
        file.close();
        // Executable by its owner: its Name and Icon count.
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        return path;
    }

    TableViewItemPtr app(const QString& id, const QString& name, const QString& icon)
    {
        return addApplication(name, desktopFile(id, name, icon));
    }

    TableViewItemPtr file(const QString& name, ListviewItemType type = ListviewItemType::file)
    {
        const QString path = docFolder + QLatin1Char('/') + name;
        if (type == ListviewItemType::folder) {
            QDir().mkpath(path);
        } else {
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write("%PDF-1.4\n");
        }
        auto entry = TableViewItem::initForPath(path, name, type, ListviewItemSource::other);
        store->allData()->append(entry);
        return entry;
    }

    void tag(const QString& name, const platform::Color& colour)
    {
        auto t = iconTag::create(name, QStringLiteral("icon_folder"));
        t->setColor(colour);
        store->tagManager().allAvailableTags()->append(t);
    }

    void fillCatalogue()
    {
        tag(QStringLiteral("Office"), {0.20, 0.65, 0.35, 1});
        tag(QStringLiteral("Graphics"), {0.55, 0.35, 0.80, 1});
        tag(QStringLiteral("Development"), {0.20, 0.45, 0.85, 1});

        auto blender = app(QStringLiteral("blender"), QStringLiteral("Blender"), QStringLiteral("blender"));
        blender->setColor(platform::Color{0.95, 0.55, 0.15, 1});
        blender->setHotkey(KeyCombo::withCarbonModifiers(Key::b, KeyCombo::commandKey | KeyCombo::shiftKey));
        blender->setTags({QStringLiteral("Graphics")});
        services->running.insert(blender->path());

        auto calibre = app(QStringLiteral("calibre"), QStringLiteral("Calibre Viewer"), QStringLiteral("calibre-viewer"));
        calibre->setComment(QStringLiteral("E-books and papers for the train"));

        auto editor = app(QStringLiteral("kate"), QStringLiteral("Text Editor"), QStringLiteral("kate"));
        editor->setColor(platform::Color{0.20, 0.45, 0.85, 1});
        editor->setHotkey(KeyCombo::withCarbonModifiers(Key::e, KeyCombo::optionKey | KeyCombo::controlKey));
        editor->setTags({QStringLiteral("Development"), QStringLiteral("Office")});

        auto terminal = app(QStringLiteral("terminal"), QStringLiteral("Terminal"), QStringLiteral("utilities-terminal"));
        terminal->setTags({QStringLiteral("Development")});
        services->running.insert(terminal->path());

        app(QStringLiteral("gimp"), QStringLiteral("GIMP Image Editor"), QStringLiteral("gimp"));

        auto report = file(QStringLiteral("Quarterly report 2026.pdf"));
        report->setColor(platform::Color{0.20, 0.65, 0.35, 1});
        report->setTags({QStringLiteral("Office")});

        auto notes = file(QStringLiteral("Meeting notes.txt"));
        notes->setComment(QStringLiteral("Minutes of the Monday meetings"));

        file(QStringLiteral("Projects"), ListviewItemType::folder);

        auto news = addURL(QStringLiteral("Tarnwick News"), QStringLiteral("https://news.tarnwick.example/today"));
        news->setHotkey(KeyCombo::withCarbonModifiers(Key::n, KeyCombo::commandKey | KeyCombo::optionKey));

        addTagEntry(QStringLiteral("Office"));
    }

    QImage save(const QString& name)
    {
        QCoreApplication::processEvents();
        const QImage image = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_FALSE(image.isNull());
        EXPECT_TRUE(image.save(outputFolder() + QLatin1Char('/') + name));
        return image;
    }

    // The row in the picture's coordinates.
    QRect rowRect(int row) const
    {
        QRect rect = view->visualRect(view->tableModel().index(row));
        rect.translate(view->viewport()->mapTo(view.get(), QPoint(0, 0)));
        return rect;
    }

    static QRectF frameOf(const QRect& row)
    {
        return QRectF(row).adjusted(TableViewCellMainWindow::rowInset, 1, -TableViewCellMainWindow::rowInset, -1);
    }

    static bool near(QColor a, QColor b, int tolerance)
    {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue())
            <= tolerance;
    }

    // What is drawn at the right end of the row, on the line through its
    // middle, where the hotkey title sits (the name and the second line lie
    // above and below it): pixels far from the row's own colour there.
    struct Span {
        int left = 1 << 30;
        int right = -1;
        int count = 0;
        int width() const { return count ? right - left + 1 : 0; }
    };
    static Span hotkeyInk(const QImage& image, const QRect& row)
    {
        const int frameRight = int(frameOf(row).right());
        Span span;
        const int middle = row.center().y();
        for (int y = middle - 2; y <= middle + 3; ++y) {
            const QColor background = image.pixelColor(frameRight - 4, y);
            for (int x = frameRight - 150; x < frameRight - 6; ++x) {
                if (!near(image.pixelColor(x, y), background, 150)) {
                    span.left = std::min(span.left, x);
                    span.right = std::max(span.right, x);
                    ++span.count;
                }
            }
        }
        return span;
    }

    // Right-aligned 10 pixels and a 6-pixel margin in from the frame.
    static bool endsAtTheRight(const Span& span, const QRect& row)
    {
        const int right = int(frameOf(row).right());
        return span.count > 0 && span.right >= right - 24 && span.right <= right - 12;
    }

    // Pixels of the icon's square that differ from the row's own colour
    // beside it: an icon was drawn.
    static int iconInk(const QImage& image, const QRect& row, int iconSize)
    {
        const QRectF frame = frameOf(row);
        const QRect icon(int(frame.left()) + 16, row.top() + (row.height() - iconSize) / 2, iconSize, iconSize);
        const QColor beside = image.pixelColor(int(frame.left()) + 8, row.center().y());
        int ink = 0;
        for (int y = icon.top(); y <= icon.bottom(); ++y)
            for (int x = icon.left(); x <= icon.right(); ++x)
                ink += !near(image.pixelColor(x, y), beside, 60);
        return ink;
    }

    int rowOf(const QString& name) const
    {
        for (int row = 0; row < view->tableModel().rowCount(); ++row)
            if (view->tableModel().entryAt(row)->name() == name)
                return row;
        ADD_FAILURE() << name.toStdString() << " is not shown";
        return -1;
    }

    // Every row at the layout's height, one under the other, with its icon.
    void expectRowsAndIcons(const QImage& image, RowStyle style, bool icons = true)
    {
        const int height = TableViewCellMainWindow::rowHeight(style);
        const int iconSize = TableViewCellMainWindow::iconSize(style);
        for (int row = 0; row < view->tableModel().rowCount(); ++row) {
            const QRect rect = rowRect(row);
            EXPECT_EQ(rect.height(), height) << row;
            if (row > 0) {
                EXPECT_EQ(rect.top(), rowRect(row - 1).bottom() + 1) << row;
            }
            if (icons && rect.bottom() < image.height()) {
                EXPECT_GT(iconInk(image, rect, iconSize), iconSize * iconSize / 10)
                    << "no icon in row " << row << " (" << view->tableModel().entryAt(row)->name().toStdString() << ")";
            }
        }
    }

    std::unique_ptr<QStyle> style;
    QString appFolder;
    QString docFolder;
};

TEST_F(EntryListRenderTest, DefaultLayoutWithTheFocusedSelection)
{
    show();
    applyFilter();
    view->reloadData();
    ASSERT_EQ(view->tableModel().rowCount(), 10);
    view->selectRow(1);
    setFocusedControl(FocusedControl::mainTableView);
    view->setFocus();
    const QImage image = save(QStringLiteral("entrylist-default-focused.png"));
    expectRowsAndIcons(image, RowStyle::defaultStyle);

    // The focused selection: the highlight, and the Return hint for a hotkey.
    const QRect selected = rowRect(1);
    const QColor highlight = view->palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_TRUE(near(image.pixelColor(int(frameOf(selected).left()) + 6, selected.center().y()), highlight, 30));
    EXPECT_FALSE(near(image.pixelColor(int(frameOf(rowRect(2)).left()) + 6, rowRect(2).center().y()), highlight, 30));
    const Span hint = hotkeyInk(image, selected);
    EXPECT_TRUE(endsAtTheRight(hint, selected));
    EXPECT_LT(hint.width(), 20) << "the Return hint, not the hotkey";

    // The hotkeys of the other rows, each at the right end of its row; none
    // where an entry has none.
    for (const QString& name : {QStringLiteral("Blender"), QStringLiteral("Tarnwick News")}) {
        const int row = rowOf(name);
        ASSERT_NE(row, 1);
        const Span hotkey = hotkeyInk(image, rowRect(row));
        EXPECT_TRUE(endsAtTheRight(hotkey, rowRect(row))) << name.toStdString();
        EXPECT_GT(hotkey.width(), 40) << name.toStdString();
    }
    for (const QString& name : {QStringLiteral("GIMP Image Editor"), QStringLiteral("Projects")})
        EXPECT_EQ(hotkeyInk(image, rowRect(rowOf(name))).count, 0) << name.toStdString();
}

TEST_F(EntryListRenderTest, SmallLayoutUnfocusedWithCtrlHeldAndASearch)
{
    view->setRowStyle(RowStyle::smallStyle);
    show();
    applyFilter();
    store->filterCurrentData().searchStringFromSearchField = QStringLiteral("te");
    view->reloadData();
    view->selectRow(2);
    // The sidebar has the focus: the selection is drawn without it.
    view->clearFocus();
    setFocusedControl(FocusedControl::sectionView);
    view->refreshQuickLaunchNumber(false, false, true, false);
    const QImage image = save(QStringLiteral("entrylist-small-ctrl-search.png"));
    expectRowsAndIcons(image, RowStyle::smallStyle);
    ASSERT_GE(view->tableModel().rowCount(), 3);

    // Ctrl alone: every row shows its quick-launch number, and no hotkey.
    for (int row = 0; row < std::min(9, view->tableModel().rowCount()); ++row) {
        const Span number = hotkeyInk(image, rowRect(row));
        EXPECT_TRUE(endsAtTheRight(number, rowRect(row))) << "row " << row;
        EXPECT_LT(number.width(), 12) << "row " << row << ": one digit";
    }
    // The selection without the focus: a grey, not the highlight.
    const QRect selected = rowRect(2);
    const QColor shade = image.pixelColor(int(frameOf(selected).left()) + 6, selected.center().y());
    EXPECT_FALSE(near(shade, view->palette().color(QPalette::Active, QPalette::Highlight), 30));
    EXPECT_FALSE(near(shade, view->palette().color(QPalette::Base), 8));
}

TEST_F(EntryListRenderTest, DarkPaletteWithBorderedHotkeysAndLaunchAllTags)
{
    config().setHotkeyBorder(true);
    config().setEntryBackgroundAlphaValue(0.35f);
    config().setSelectingTagsInMainWindowLaunchAll(true);
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2e));
    dark.setColor(QPalette::Base, QColor(0x23, 0x23, 0x26));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Highlight, QColor(0x2f, 0x6f, 0xd6));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    view->setPalette(dark);
    show();
    applyFilter();
    view->reloadData();
    view->selectRow(0);
    setFocusedControl(FocusedControl::searchField);
    const QImage image = save(QStringLiteral("entrylist-dark-bordered.png"));
    // The theme's dark symbols may sink into the dark rows: the rows only.
    expectRowsAndIcons(image, RowStyle::defaultStyle, false);

    // Light text on the dark rows, each hotkey in its border.
    for (const QString& name : {QStringLiteral("Text Editor"), QStringLiteral("Tarnwick News")}) {
        const int row = rowOf(name);
        ASSERT_NE(row, 0);
        const QRect rect = rowRect(row);
        const Span hotkey = hotkeyInk(image, rect);
        EXPECT_TRUE(endsAtTheRight(hotkey, rect)) << name.toStdString();
        EXPECT_GT(hotkey.width(), 40) << name.toStdString();
        // The border: a line a little above the text that the row's colour lacks.
        const int x = (hotkey.left + hotkey.right) / 2;
        bool border = false;
        for (int y = rect.center().y() - 14; y < rect.center().y() - 4; ++y)
            border = border || !near(image.pixelColor(x, y), image.pixelColor(x, rect.top() + 4), 30);
        EXPECT_TRUE(border) << name.toStdString();
    }
}

} // namespace

} // namespace vantel::test
