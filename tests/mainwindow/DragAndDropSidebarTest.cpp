// The sidebar with the main view's drop rules installed: drags reach the
// rules through the sidebar's own drag handling.
#include "SidebarTestSupport.h"

#include "mainwindow/DragAndDrop.h"
#include "mainwindow/DragAndDropSidebarHandler.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

namespace vantel::test {

namespace {

class DragAndDropSidebarTest : public SidebarTest {
protected:
    void SetUp() override
    {
        SidebarTest::SetUp();
        handler = std::make_unique<MainViewSidebarDropHandler>(*store);
        sidebar->setDropHandler(handler.get());
        calc = addURL(QStringLiteral("calc"), {QStringLiteral("Office")});
        addURL(QStringLiteral("chess"), {QStringLiteral("Games|Chess")});
        rebuild();
        sidebar->show();
    }

    void TearDown() override
    {
        sidebar->setDropHandler(nullptr);
        SidebarTest::TearDown();
    }

    QPoint rowCentre(const QString& name) const { return centreOfRow(sidebar->rowForItem(itemNamed(name).get())); }

    // Enter, move and drop at the point; answers whether the move and the
    // drop were taken.
    std::pair<bool, bool> dropAt(const QPoint& at, const QMimeData& data)
    {
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(sidebar->viewport(), &enter);
        QDragMoveEvent move(at, actions, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(sidebar->viewport(), &move);
        QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(sidebar->viewport(), &drop);
        return {move.isAccepted(), drop.isAccepted()};
    }

    std::unique_ptr<MainViewSidebarDropHandler> handler;
    TableViewItemPtr calc;
};

TEST_F(DragAndDropSidebarTest, AnEntryDroppedOnASubTagIsFiledUnderItAndRefusedOnACategory)
{
    std::unique_ptr<QMimeData> entry(MainViewDragAndDrop::pasteboardWriter(calc->path()));

    EXPECT_EQ(dropAt(rowCentre(QStringLiteral("URLs")), *entry), std::make_pair(false, false));
    EXPECT_EQ(calc->tags(), QStringList{"Office"});

    EXPECT_EQ(dropAt(rowCentre(QStringLiteral("Chess")), *entry), std::make_pair(true, true));
    EXPECT_EQ(calc->tags(), (QStringList{"Office", "Games|Chess"}));
}

TEST_F(DragAndDropSidebarTest, AFileDroppedOnACategoryIsAddedWithoutATag)
{
    const QString report = folder + QStringLiteral("/report.pdf");
    QFile(report).open(QIODevice::WriteOnly);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(report)});

    EXPECT_EQ(dropAt(rowCentre(QStringLiteral("URLs")), files), std::make_pair(true, true));
    const auto added = store->entryForPath(report);
    ASSERT_TRUE(added);
    EXPECT_TRUE(added->tags().isEmpty());

    // Onto a tag it takes the tag.
    const QString notes = folder + QStringLiteral("/notes.txt");
    QFile(notes).open(QIODevice::WriteOnly);
    files.setUrls({QUrl::fromLocalFile(notes)});
    EXPECT_EQ(dropAt(rowCentre(QStringLiteral("Office")), files), std::make_pair(true, true));
    ASSERT_TRUE(store->entryForPath(notes));
    EXPECT_EQ(store->entryForPath(notes)->tags(), QStringList{"Office"});
}

} // namespace

} // namespace vantel::test
