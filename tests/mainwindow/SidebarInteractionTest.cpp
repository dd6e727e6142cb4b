#include "SidebarTestSupport.h"

#include "mainwindow/SidebarItemDelegate.h"
#include "mainwindow/SidebarTagPopover.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QUrl>

using namespace vantel;
using Type = SourceListItemContentType;

namespace {

class FakePopover : public SidebarTagPopover {
public:
    bool isShown() const override { return shown; }
    void showPopover(const SourceListItemPtr& item, int row, const QRect& globalAnchor) override
    {
        shown = true;
        shownFor.append(item->tag());
        rows.append(row);
        anchors.append(globalAnchor);
    }
    void close() override { shown = false; }

    bool shown = false;
    QStringList shownFor;
    QList<int> rows;
    QList<QRect> anchors;
};

class SpringDelegate : public SpringLoadingOutlineViewDelegate {
public:
    explicit SpringDelegate(MainOutlineView* view)
        : view_(view)
    {
    }
    MainOutlineView* sectionView() const override { return view_; }

private:
    MainOutlineView* view_;
};

// Refuses entries dragged onto anything but a tag, retargets files dropped
// onto other rows to the whole sidebar: enough to see the view carry the
// handler's answers through.
class RecordingDropHandler : public SidebarDropHandler {
public:
    Qt::DropAction validateDrop(MainOutlineView&, const QMimeData& data, Qt::DropActions,
                                SidebarDropProposal& proposal) override
    {
        validated.append(proposal);
        const bool onTag = proposal.item && proposal.item->itemContentType() == SourceListItemContentType::tag
            && !proposal.item->tag().isEmpty() && proposal.childIndex == -1;
        if (onTag)
            return Qt::CopyAction;
        if (!data.hasUrls() || proposal.childIndex != -1)
            return Qt::IgnoreAction;
        proposal = {};
        return Qt::CopyAction;
    }
    bool acceptDrop(MainOutlineView&, const QMimeData&, const SidebarDropProposal& proposal) override
    {
        accepted.append(proposal);
        return true;
    }

    QList<SidebarDropProposal> validated;
    QList<SidebarDropProposal> accepted;
};

} // namespace

class SidebarInteractionTest : public test::SidebarTest {
protected:
    void SetUp() override
    {
        SidebarTest::SetUp();
        config().setSidebarCategoriesShowRecentApplications(false);
        config().setSidebarCategoriesShowActiveApplications(false);
        addURL(QStringLiteral("mail"), {QStringLiteral("Office|Microsoft")});
        addURL(QStringLiteral("calc"), {QStringLiteral("Office")});
        addURL(QStringLiteral("chess"), {QStringLiteral("Games|Chess")});
        rebuild();
        sidebar->setPopupMenu(&popover);
        sidebar->show();
    }
    int rowOf(const QString& name) const { return sidebar->rowForItem(itemNamed(name).get()); }
    QModelIndex indexOf(const QString& name) const
    {
        return sidebar->model().indexForItem(itemNamed(name).get());
    }

    void drag(QEvent::Type type, const QMimeData& data, const QPoint& position)
    {
        if (type == QEvent::DragEnter) {
            QDragEnterEvent event(position, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(sidebar->viewport(), &event);
        } else if (type == QEvent::DragMove) {
            QDragMoveEvent event(position, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(sidebar->viewport(), &event);
            lastMoveAccepted = event.isAccepted();
        } else if (type == QEvent::Drop) {
            QDropEvent event(QPointF(position), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(sidebar->viewport(), &event);
            lastDropAccepted = event.isAccepted();
        } else {
            QDragLeaveEvent event;
            QCoreApplication::sendEvent(sidebar->viewport(), &event);
        }
    }

    static std::unique_ptr<QMimeData> fileDrag()
    {
        auto data = std::make_unique<QMimeData>();
        data->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/report.pdf"))});
        return data;
    }
    static std::unique_ptr<QMimeData> entryDrag()
    {
        auto data = std::make_unique<QMimeData>();
        data->setData(SpringLoadingOutlineView::privateEntryPathType(), QByteArray("https://example.org/calc"));
        return data;
    }

    FakePopover popover;
    bool lastMoveAccepted = false;
    bool lastDropAccepted = false;
};

TEST_F(SidebarInteractionTest, RightClickOpensThePopoverOfATagOnly)
{
    ASSERT_EQ(selectedName(), QStringLiteral("Applications"));
    QWidget* viewport = sidebar->viewport();
    QTest::mouseClick(viewport, Qt::RightButton, {}, centreOfRow(rowOf(QStringLiteral("URLs"))));
    QTest::mouseClick(viewport, Qt::RightButton, {}, centreOfRow(rowOf(QStringLiteral("Tags"))));
    QTest::mouseClick(viewport, Qt::RightButton, {}, centreOfRow(rowOf(QStringLiteral("Games")))); // folder
    EXPECT_FALSE(popover.shown);
    EXPECT_EQ(selectedName(), QStringLiteral("Applications"));

    const int row = rowOf(QStringLiteral("Microsoft"));
    QTest::mouseClick(viewport, Qt::RightButton, {}, centreOfRow(row));
    EXPECT_TRUE(popover.shown);
    EXPECT_EQ(selectedName(), QStringLiteral("Microsoft"));
    EXPECT_EQ(popover.shownFor, QStringList{"Office|Microsoft"});
    EXPECT_EQ(popover.rows, QList<int>{row});
    const QRect cell = sidebar->visualRect(indexOf(QStringLiteral("Microsoft")));
    EXPECT_EQ(popover.anchors.first(), QRect(viewport->mapToGlobal(cell.topLeft()), cell.size()));
    EXPECT_TRUE(log.messages().contains(QStringLiteral("Show context-menu for: ") + QString::number(row)));

    // Again while shown: nothing new. A Super-click counts as a right click.
    QTest::mouseClick(viewport, Qt::RightButton, {}, centreOfRow(row));
    EXPECT_EQ(popover.shownFor.size(), 1);
    // Another selection closes the popover.
    sidebar->selectItemWithTagName(QStringLiteral("Office"));
    EXPECT_FALSE(popover.shown);
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::MetaModifier, centreOfRow(rowOf(QStringLiteral("Chess"))));
    EXPECT_EQ(popover.shownFor.last(), QStringLiteral("Games|Chess"));
    EXPECT_EQ(selectedName(), QStringLiteral("Chess"));

    // From the keyboard: the menu key opens it for the current row.
    popover.close();
    sidebar->selectItemWithTagName(QStringLiteral("Office"));
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QCoreApplication::sendEvent(viewport, &menuKey);
    EXPECT_TRUE(popover.shown);
    EXPECT_EQ(popover.shownFor.last(), QStringLiteral("Office"));
}

TEST_F(SidebarInteractionTest, RenamingACaptionRenamesTheFullTagPath)
{
    const SidebarItemDelegate& cells = sidebar->cellDelegate();
    const SourceListItemPtr microsoft = itemNamed(QStringLiteral("Microsoft"));
    // Empty or unchanged texts are ignored without asking.
    EXPECT_FALSE(cells.textFieldDidEndEditing(*microsoft, QStringLiteral("Microsoft"), QStringLiteral("  ")));
    EXPECT_FALSE(cells.textFieldDidEndEditing(*microsoft, QStringLiteral("Microsoft"), QStringLiteral(" Microsoft ")));
    EXPECT_TRUE(dialogs->alerts().isEmpty());

    // Declined by the user: false, so the caption keeps the old name.
    dialogs->queueAlertResponse(1);
    EXPECT_FALSE(cells.textFieldDidEndEditing(*microsoft, QStringLiteral("Microsoft"), QStringLiteral("MS")));
    EXPECT_NE(tags().tagForName(QStringLiteral("Office|Microsoft")), nullptr);

    // Through the caption's editor, opened by a double click; the sidebar
    // rebuilds on the tag manager's notice, as the main view has it do.
    auto rebuildOnNotice = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("visibleTagsRebuildNeeded"), [this](const platform::Notification&) { sidebar->updateContent(true); });
    const QPoint caption = centreOfRow(rowOf(QStringLiteral("Microsoft")));
    doubleClick(caption);
    auto* editor = sidebar->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("Microsoft"));
    EXPECT_EQ(editor->maxLength(), SidebarItemDelegate::maxLength);
    dialogs->queueAlertResponse(0);
    editor->setText(QStringLiteral("MS"));
    QPointer<QLineEdit> watch(editor);
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor commits on the next turn of the event loop, the rename after it.
    ASSERT_TRUE(test::waitUntil([&] { return watch.isNull() && itemNamed(QStringLiteral("MS")); }));
    EXPECT_EQ(itemNamed(QStringLiteral("MS"))->tag(), QStringLiteral("Office|MS"));
    EXPECT_NE(tags().tagForName(QStringLiteral("Office|MS")), nullptr);
    EXPECT_EQ(tags().tagForName(QStringLiteral("Office|Microsoft")), nullptr);
    EXPECT_EQ(store->allData()->firstItem([](const auto& e) { return e->name() == QStringLiteral("mail"); })
                  .value()
                  ->tags(),
              QStringList{"Office|MS"});

    // A folder's caption is editable too: the rename goes out with its path.
    dialogs->queueAlertResponse(0);
    EXPECT_TRUE(cells.textFieldDidEndEditing(*itemNamed(QStringLiteral("Games")), QStringLiteral("Games"),
                                             QStringLiteral("Play")));
    EXPECT_NE(tags().tagForName(QStringLiteral("Play|Chess")), nullptr);
}

TEST_F(SidebarInteractionTest, CategoriesAndHeadersAreNotEditable)
{
    doubleClick(centreOfRow(rowOf(QStringLiteral("URLs"))));
    EXPECT_EQ(sidebar->viewport()->findChild<QLineEdit*>(), nullptr);
    EXPECT_FALSE(sidebar->model().flags(indexOf(QStringLiteral("Tags"))).testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(sidebar->model().flags(indexOf(QStringLiteral("Games"))).testFlag(Qt::ItemIsEditable));
}

TEST_F(SidebarInteractionTest, FilesDraggedFromOutsideSpringLoadTagRows)
{
    SpringDelegate delegate(sidebar.get());
    sidebar->setSpringLoadingOutlineViewDelegate(&delegate);
    const auto data = fileDrag();
    const QPoint office = centreOfRow(rowOf(QStringLiteral("Office")));
    drag(QEvent::DragEnter, *data, office);
    EXPECT_TRUE(sidebar->springLoadingActive());
    drag(QEvent::DragMove, *data, office);
    EXPECT_TRUE(sidebar->springLoadingPending());
    EXPECT_TRUE(test::waitUntil([&] { return selectedName() == QStringLiteral("Office"); }));

    // Folders and categories do not spring-load.
    drag(QEvent::DragMove, *data, centreOfRow(rowOf(QStringLiteral("Games"))));
    EXPECT_FALSE(sidebar->springLoadingPending());
    drag(QEvent::DragMove, *data, centreOfRow(rowOf(QStringLiteral("URLs"))));
    EXPECT_TRUE(sidebar->springLoadingPending()); // a category has a tag: it springs too
    drag(QEvent::DragLeave, *data, {});
    EXPECT_FALSE(sidebar->springLoadingActive());
    EXPECT_FALSE(sidebar->springLoadingPending());
    EXPECT_EQ(selectedName(), QStringLiteral("Office"));
}

TEST_F(SidebarInteractionTest, EntriesFromTheListNeverSpringLoad)
{
    SpringDelegate delegate(sidebar.get());
    sidebar->setSpringLoadingOutlineViewDelegate(&delegate);
    const auto data = entryDrag();
    const QPoint chess = centreOfRow(rowOf(QStringLiteral("Chess")));
    drag(QEvent::DragEnter, *data, chess);
    drag(QEvent::DragMove, *data, chess);
    EXPECT_FALSE(sidebar->springLoadingActive());
    EXPECT_FALSE(sidebar->springLoadingPending());
    test::spinEventLoop(SpringLoadingOutlineView::springLoadingDelay + std::chrono::milliseconds(200));
    EXPECT_EQ(selectedName(), QStringLiteral("Applications"));
}

TEST_F(SidebarInteractionTest, DropsGoToTheHandlerWithTheHighlightedTarget)
{
    const auto files = fileDrag();
    const QPoint chess = centreOfRow(rowOf(QStringLiteral("Chess")));
    // Without a handler everything is refused.
    drag(QEvent::DragEnter, *files, chess);
    drag(QEvent::DragMove, *files, chess);
    EXPECT_FALSE(lastMoveAccepted);
    EXPECT_FALSE(sidebar->dropHighlight().has_value());
    drag(QEvent::DragLeave, *files, {});

    RecordingDropHandler handler;
    sidebar->setDropHandler(&handler);
    drag(QEvent::DragEnter, *files, chess);
    drag(QEvent::DragMove, *files, chess);
    EXPECT_TRUE(lastMoveAccepted);
    ASSERT_TRUE(sidebar->dropHighlight().has_value());
    EXPECT_EQ(sidebar->dropHighlight()->item, itemNamed(QStringLiteral("Chess")));
    EXPECT_EQ(sidebar->dropHighlight()->childIndex, -1);

    // Onto a category: retargeted to the whole sidebar.
    drag(QEvent::DragMove, *files, centreOfRow(rowOf(QStringLiteral("URLs"))));
    EXPECT_TRUE(lastMoveAccepted);
    ASSERT_TRUE(sidebar->dropHighlight().has_value());
    EXPECT_TRUE(sidebar->dropHighlight()->isWholeView());

    // At a row's upper edge: between the rows, which the handler refuses.
    const QRect row = sidebar->QTreeView::visualRect(indexOf(QStringLiteral("Office")));
    drag(QEvent::DragMove, *files, QPoint(row.center().x(), row.top() + 1));
    EXPECT_EQ(handler.validated.last().item, itemNamed(QStringLiteral("Tags")));
    EXPECT_EQ(handler.validated.last().childIndex, 1); // Office is the Tags header's second child
    EXPECT_FALSE(lastMoveAccepted);
    EXPECT_FALSE(sidebar->dropHighlight().has_value());

    drag(QEvent::DragMove, *files, chess);
    drag(QEvent::Drop, *files, chess);
    EXPECT_TRUE(lastDropAccepted);
    ASSERT_EQ(handler.accepted.size(), 1);
    EXPECT_EQ(handler.accepted.first().item, itemNamed(QStringLiteral("Chess")));
    EXPECT_FALSE(sidebar->dropHighlight().has_value());

    // Below the last row: between the top-level rows.
    drag(QEvent::DragEnter, *files, QPoint(20, sidebar->viewport()->height() - 5));
    drag(QEvent::DragMove, *files, QPoint(20, sidebar->viewport()->height() - 5));
    EXPECT_EQ(handler.validated.last(), (SidebarDropProposal{nullptr, 2}));
    drag(QEvent::DragLeave, *files, {});
}
