#include "mainwindow/DragAndDropSidebarHandler.h"

#include "datastore/DataStorage.h"

namespace vantel {

MainViewSidebarDropHandler::MainViewSidebarDropHandler() : dragAndDrop_(DataStorage::shared())
{
}

MainViewSidebarDropHandler::MainViewSidebarDropHandler(DataStorage& store,
                                                       std::shared_ptr<SandboxFileAccessProtocol> bookmarks)
    : dragAndDrop_(store, std::move(bookmarks))
{
}

SidebarDropTarget MainViewSidebarDropHandler::targetFor(const SidebarDropProposal& proposal)
{
    SidebarDropTarget target;
    target.hasItem = proposal.item != nullptr;
    // Category rows carry a tag text as well: only the content type tells a tag.
    target.isTagItem = proposal.item && proposal.item->itemContentType() == SourceListItemContentType::tag;
    target.tag = target.isTagItem ? proposal.item->tag() : QString();
    target.onto = proposal.childIndex == -1;
    return target;
}

Qt::DropAction MainViewSidebarDropHandler::validateDrop(MainOutlineView&, const QMimeData& data,
                                                        Qt::DropActions possibleActions, SidebarDropProposal& proposal)
{
    // Every drop onto the sidebar copies.
    if (!possibleActions.testFlag(Qt::CopyAction))
        return Qt::IgnoreAction;
    const SidebarDropValidation validation = dragAndDrop_.validateSidebarDrop(&data, targetFor(proposal));
    if (validation.action != Qt::IgnoreAction && !validation.target.hasItem)
        proposal = SidebarDropProposal{nullptr, -1};
    return validation.action;
}

bool MainViewSidebarDropHandler::acceptDrop(MainOutlineView&, const QMimeData& data,
                                            const SidebarDropProposal& proposal)
{
    return dragAndDrop_.acceptSidebarDrop(&data, targetFor(proposal));
}

} // namespace vantel
