// Pictures of the whole main view (sidebar, search field, list) over a
// realistic catalogue, in the default and the small layout, with a tag
// selected. Written to the test's output folder.
#include "MainViewTestSupport.h"

#include <QImage>
#include <QStyleFactory>

namespace vantel::test {

namespace {

class MainViewRenderTest : public MainViewTest {
protected:
    void SetUp() override
    {
        MainViewTest::SetUp();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        fillCatalogue();
    }

    void save(const QString& name)
    {
        QCoreApplication::processEvents();
        const QImage image = controller->view()->grab().toImage();
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(image.save(outputFolder() + QLatin1Char('/') + name));
        // Each half shows something: the sidebar and the list are not blank.
        for (const QWidget* part : {static_cast<QWidget*>(&sidebar()), static_cast<QWidget*>(&list())}) {
            const QRect area(part->mapTo(controller->view(), QPoint(0, 0)), part->size());
            QSet<QRgb> colours;
            for (int y = area.top(); y < area.bottom(); y += 3)
                for (int x = area.left(); x < area.right(); x += 3)
                    colours.insert(image.pixel(x, y));
            EXPECT_GT(colours.size(), 20) << name.toStdString();
        }
    }
};

TEST_F(MainViewRenderTest, DefaultLayoutWithATagSelected)
{
    open();
    ASSERT_TRUE(sidebar().selectItemWithTagName(QStringLiteral("Office")));
    list().setFocus();
    list().selectRow(1);
    // The layout leaves the sidebar its width and the list the rest.
    EXPECT_GE(sidebar().width(), 150);
    EXPECT_GT(list().width(), sidebar().width());
    EXPECT_GE(search().width(), 200);
    save(QStringLiteral("mainview-default-tag.png"));
}

TEST_F(MainViewRenderTest, SmallLayoutWithASearchAndHeldFiles)
{
    config().setUseSmallModeInMainView(true);
    open();
    controller->setServiceManagerValues({QStringLiteral("/home/u/a.pdf"), QStringLiteral("/home/u/b.pdf")});
    controller->updateServiceManagerLabel();
    QTest::keyClicks(&search(), QStringLiteral("e"));
    EXPECT_GE(controller->lblServiceManager()->width(),
              controller->lblServiceManager()->fontMetrics().horizontalAdvance(QStringLiteral("Send 2 Objects to:")));
    save(QStringLiteral("mainview-small-search.png"));
}

TEST_F(MainViewRenderTest, DarkPaletteWithTheSidebarFocused)
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2e));
    dark.setColor(QPalette::Base, QColor(0x23, 0x23, 0x26));
    dark.setColor(QPalette::Button, QColor(0x33, 0x33, 0x36));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::PlaceholderText, QColor(0x99, 0x99, 0x99));
    dark.setColor(QPalette::Highlight, QColor(0x2f, 0x6f, 0xd6));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    controller->view()->setPalette(dark);
    open();
    ASSERT_TRUE(sidebar().selectItemWithTagName(QStringLiteral("Development|Tools")));
    sidebar().setFocus();
    save(QStringLiteral("mainview-dark-sidebar.png"));
}

} // namespace

} // namespace vantel::test
