// Pictures of the entry list over a realistic catalogue, in both layouts,
// with a focused and an unfocused selection, Ctrl held and a search shown,
// in a light and a dark palette. Written to the test's output folder.
#include "EntryListTestSupport.h"

#include "hotkeys/KeyCombo.h"
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

    void save(const QString& name)
    {
        QCoreApplication::processEvents();
        const QImage image = view->grab().toImage();
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(image.save(outputFolder() + QLatin1Char('/') + name));
        // Not blank: the rows put more than a few colours on the picture.
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 50) << name.toStdString();
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
    save(QStringLiteral("entrylist-default-focused.png"));
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
    save(QStringLiteral("entrylist-small-ctrl-search.png"));
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
    save(QStringLiteral("entrylist-dark-bordered.png"));
}

} // namespace

} // namespace vantel::test
