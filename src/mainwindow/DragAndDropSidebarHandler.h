#pragma once

#include "mainwindow/DragAndDrop.h"
#include "mainwindow/SidebarDropHandler.h"

namespace vantel {

// The sidebar's drops, carried out by the main view's drag-and-drop rules:
// an entry from the list onto a tag row files it under the tag; files and
// URLs onto a tag row are added with the tag, onto any other row or free
// space with none (the drop then stands for the whole sidebar); drops
// between rows are refused. Install with MainOutlineView::setDropHandler.
class MainViewSidebarDropHandler : public SidebarDropHandler {
public:
    // Over the shared store.
    MainViewSidebarDropHandler();
    explicit MainViewSidebarDropHandler(DataStorage& store, std::shared_ptr<SandboxFileAccessProtocol> bookmarks = {});

    Qt::DropAction validateDrop(MainOutlineView& sidebar, const QMimeData& data, Qt::DropActions possibleActions,
                                SidebarDropProposal& proposal) override;
    bool acceptDrop(MainOutlineView& sidebar, const QMimeData& data, const SidebarDropProposal& proposal) override;

    // How the rules see a proposal of the sidebar.
    static SidebarDropTarget targetFor(const SidebarDropProposal& proposal);

private:
    MainViewDragAndDrop dragAndDrop_;
};

} // namespace vantel
