// Pictures of the entry list over a realistic catalogue, in both layouts,
// with a focused and an unfocused selection, Ctrl held and a search shown,
// in a light and a dark palette. Written to the test's output folder, and
// probed: row heights, the selection's colour, an icon in every row, and the
// hotkey texts, Return hint and quick-launch numbers where the row puts them.
#include "EntryListTestSupport.h"

#include "hotkeys/KeyCombo.h"
#include "mainwindow/TableViewCellMainWindow.h"
#include "model/iconTag.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <string>

namespace vantel::test {

namespace {

// The Return key, drawn as text on the focused selection of an entry with a hotkey.
const QString returnHint = QStringLiteral("\u21A9\uFE0E");

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

    // The row in the picture's coordinates, as the list hands it to the
    // delegate: a top-to-bottom list paints its rows no wider than the
    // viewport, whatever width the item's own rectangle was laid out with.
    QRect rowRect(int row) const
    {
        QRect rect = view->visualRect(view->tableModel().index(row));
        rect.setWidth(std::min(rect.width(), view->viewport()->width()));
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

    // The fonts of the right-hand title, as fractions of the list's font: a
    // hotkey or quick-launch number in the second line's font, the Return
    // hint in the name's.
    static constexpr qreal detailScaleDefault = 0.9;
    static constexpr qreal detailScaleSmall = 0.85;
    static constexpr qreal nameScaleDefault = 1.12;

    QFont listFont(qreal scale) const
    {
        QFont font = view->font();
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * scale);
        else
            font.setPixelSize(std::max(1, int(font.pixelSize() * scale + 0.5)));
        return font;
    }

    // Where the row puts its title: a box 12 wider than the text and 4
    // higher than its line, 10 in from the frame's right edge, centred
    // in the row's height, the text centred in it.
    struct Title {
        QRectF box;
        qreal textWidth = 0;
    };
    Title titleFor(const QRect& row, const QString& text, qreal scale) const
    {
        const QFontMetricsF metrics(listFont(scale));
        const qreal width = metrics.horizontalAdvance(text) + 12;
        const qreal height = metrics.height() + 4;
        const QRectF frame = frameOf(row);
        return {QRectF(frame.right() - 10 - width, row.top() + (row.height() - height) / 2, width, height),
                width - 12};
    }

    // Painted pixels in an area: those that differ by more than the
    // tolerance from the row's own colour just inside its right edge, level
    // with the row's middle.
    struct Span {
        int left = 1 << 30;
        int right = -1;
        int count = 0;
        int width() const { return count ? right - left + 1 : 0; }
    };
    static Span inkIn(const QImage& image, const QRect& row, const QRect& area, int tolerance = 150)
    {
        const QColor background = image.pixelColor(int(frameOf(row).right()) - 4, row.center().y());
        Span span;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (!near(image.pixelColor(x, y), background, tolerance)) {
                    span.left = std::min(span.left, x);
                    span.right = std::max(span.right, x);
                    ++span.count;
                }
        return span;
    }

    // The title `text` drawn where the row lays it out: its ink inside the
    // box, centred and about as wide as the text, and nothing in the margins
    // beside the box. The border, when asked for, along the box's top edge;
    // otherwise none there.
    void expectTitle(const QImage& image, const QRect& row, const QString& text, qreal scale, bool bordered,
                     const std::string& what)
    {
        const Title title = titleFor(row, text, scale);
        const QRectF& box = title.box;
        // The pixels wholly within the text's line, clear of the border and
        // its rounded corners.
        const QRect inside(QPoint(int(std::ceil(box.left() + 3)), int(std::ceil(box.top() + 2))),
                           QPoint(int(std::floor(box.right() - 3)) - 1, int(std::floor(box.bottom() - 2)) - 1));
        const Span ink = inkIn(image, row, inside);
        EXPECT_GE(ink.count, 6) << what << ": no title in its box";
        EXPECT_GE(ink.width(), title.textWidth / 2) << what << ": narrower than " << text.toStdString();
        const qreal centre = box.center().x();
        EXPECT_GE(ink.left, int(std::floor(centre - title.textWidth / 2)) - 1) << what << ": wider than the text";
        EXPECT_LE(ink.right, int(std::ceil(centre + title.textWidth / 2)) + 1) << what << ": wider than the text";

        // The margins: between the box and the frame's edge, and before the
        // box where the name and the tags stop.
        const int frameRight = int(frameOf(row).right());
        const QRect rightMargin(QPoint(int(std::ceil(box.right())) + 1, inside.top() - 2),
                                QPoint(frameRight - 3, inside.bottom() + 2));
        EXPECT_EQ(inkIn(image, row, rightMargin).count, 0) << what << ": painted right of its box";
        const QRect leftMargin(QPoint(int(box.left()) - 9, inside.top()), QPoint(int(box.left()) - 2, inside.bottom()));
        EXPECT_EQ(inkIn(image, row, leftMargin).count, 0) << what << ": painted left of its box";

        // The border's top line: the pixel rows the box's top edge crosses.
        const QRect topEdge(QPoint(inside.left(), int(box.top())), QPoint(inside.right(), int(box.top()) + 1));
        if (bordered) {
            EXPECT_GE(inkIn(image, row, topEdge, 30).width(), inside.width() / 2) << what << ": no border";
        } else {
            EXPECT_EQ(inkIn(image, row, topEdge, 30).count, 0) << what << ": a border";
        }
    }

    // No title: nothing across the right-hand part of the row's middle.
    void expectNoTitle(const QImage& image, const QRect& row, const std::string& what)
    {
        const int frameRight = int(frameOf(row).right());
        const int middle = row.center().y();
        const QRect right(QPoint(frameRight - 150, middle - 6), QPoint(frameRight - 3, middle + 6));
        EXPECT_EQ(inkIn(image, row, right).count, 0) << what;
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
    ASSERT_EQ(view->tableModel().entryAt(1)->name(), QStringLiteral("Calibre Viewer"));
    expectTitle(image, selected, returnHint, nameScaleDefault, false, "the Return hint");

    // The hotkeys of the other rows, each at the right end of its row; none
    // where an entry has none.
    for (const QString& name : {QStringLiteral("Blender"), QStringLiteral("Tarnwick News")}) {
        const int row = rowOf(name);
        ASSERT_NE(row, 1);
        const auto hotkey = view->tableModel().entryAt(row)->hotkey();
        ASSERT_TRUE(hotkey) << name.toStdString();
        expectTitle(image, rowRect(row), hotkey->displayString(), detailScaleDefault, false, name.toStdString());
    }
    for (const QString& name : {QStringLiteral("GIMP Image Editor"), QStringLiteral("Projects")})
        expectNoTitle(image, rowRect(rowOf(name)), name.toStdString());
}

TEST_F(EntryListRenderTest, AWiderListShowsMoreOfALongSecondLine)
{
    // The rows' laid-out texts are kept from paint to paint: a width they
    // were not laid out for gets layouts of its own.
    show();
    applyFilter();
    view->reloadData();
    view->selectionModel()->clearSelection();
    const QString name = QStringLiteral("GIMP Image Editor");
    const auto inkRight = [&](const QImage& image) {
        const QRect row = rowRect(rowOf(name));
        int right = -1;
        for (int y = row.center().y() + 2; y < row.bottom() - 1; ++y)
            for (int x = row.left(); x < row.right(); ++x)
                if (qGray(image.pixel(x, y)) < 140)
                    right = std::max(right, x);
        return right;
    };
    view->resize(360, 600);
    const int narrow = inkRight(save(QStringLiteral("entrylist-narrow.png")));
    view->resize(620, 600);
    const int wide = inkRight(save(QStringLiteral("entrylist-wide.png")));
    EXPECT_GT(narrow, 100);
    EXPECT_GT(wide, narrow + 60);
    view->resize(360, 600);
    EXPECT_EQ(inkRight(save(QStringLiteral("entrylist-narrow-again.png"))), narrow);
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
        if (rowRect(row).bottom() >= image.height())
            break;
        expectTitle(image, rowRect(row), QString::number(row + 1), detailScaleSmall, false,
                    "row " + std::to_string(row));
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
    // Tall enough for every row: the last one, the Text Editor, shows whole.
    view->resize(620, 660);
    show();
    applyFilter();
    view->reloadData();
    view->selectRow(0);
    setFocusedControl(FocusedControl::searchField);
    const QImage image = save(QStringLiteral("entrylist-dark-bordered.png"));
    // An icon in every row: the single-colour symbols (a web address's
    // globe) in the light text colour, not sunk into the dark rows.
    expectRowsAndIcons(image, RowStyle::defaultStyle);

    // Light text on the dark rows, each hotkey in its border.
    for (const QString& name : {QStringLiteral("Text Editor"), QStringLiteral("Tarnwick News")}) {
        const int row = rowOf(name);
        ASSERT_NE(row, 0);
        const QRect rect = rowRect(row);
        ASSERT_LE(rect.bottom(), image.height() - 1) << name.toStdString();
        const auto hotkey = view->tableModel().entryAt(row)->hotkey();
        ASSERT_TRUE(hotkey) << name.toStdString();
        expectTitle(image, rect, hotkey->displayString(), detailScaleDefault, true, name.toStdString());
    }
}

} // namespace

} // namespace vantel::test
