// TDirTree marking shared folders with the desktop's "shared" emblem.
#include "browse/TDirTree.h"

#include <QTreeWidgetItemIterator>

#include "platform/Paths.h"

namespace pixmoth {

void TDirTree::SetShowShareOverlay(bool show) {
    if (show == mShowShareOverlay) {
        return;
    }
    mShowShareOverlay = show;
    if (topLevelItemCount() == 0) {
        return;
    }
    if (show) {
        mShares.Read();
        for (int i = 0; i < topLevelItemCount(); ++i) {
            if (TDirTreeNode* node = TDirTreeNode::Cast(topLevelItem(i))) {
                AskSharedBelow(node);
            }
        }
        return;
    }
    for (QTreeWidgetItemIterator it(this); *it != nullptr; ++it) {
        if (TDirTreeNode* node = TDirTreeNode::Cast(*it)) {
            node->SetOverlayIndex(-1);
        }
    }
}

// Parents before children, and only into folders already read.
void TDirTree::AskSharedBelow(TDirTreeNode* node) {
    if (node->IsPlaceholder()) {
        return;
    }
    AskShared(node);
    if (!node->Entry()->childrenRead) {
        return;
    }
    for (int i = 0; i < node->childCount(); ++i) {
        if (TDirTreeNode* child = node->ChildNode(i)) {
            AskSharedBelow(child);
        }
    }
}

// A folder is asked only when its parent answered: below a folder that is gone
// or cannot be reached, nothing is marked.
void TDirTree::AskShared(TDirTreeNode* node) {
    TDirEntry* entry = node->Entry();
    const TDirTreeNode* parent = node->ParentNode();
    const bool parentAnswered =
        parent == nullptr || parent->IsPlaceholder() || parent->Entry()->shareAsked;
    entry->shareAsked = parentAnswered && IsDirectory(entry->path);
    node->SetOverlayIndex(entry->shareAsked && mShares.IsShared(entry->path) ? 0 : -1);
}

} // namespace pixmoth
