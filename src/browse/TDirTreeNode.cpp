#include "browse/TDirTreeNode.h"

#include "browse/TDirTree.h"

namespace pixmoth {

TDirTreeNode::TDirTreeNode(TDirTree* tree, std::unique_ptr<TDirEntry> entry)
    : QTreeWidgetItem(kType), mTree(tree), mEntry(std::move(entry)) {}

TDirTreeNode::~TDirTreeNode() {
    mEntry.reset();
    // The children go in the base destructor, after this call: a receiver sees
    // the parent first, as the node being deleted still holds them.
    mTree->NodeDeleted(this);
}

void TDirTreeNode::SetImage(const QIcon& image) {
    mImage = image;
    if (!mShowingSelected) {
        setIcon(0, image);
    }
}

void TDirTreeNode::SetSelectedImage(const QIcon& image) {
    mSelectedImage = image;
    if (mShowingSelected) {
        setIcon(0, image);
    }
}

void TDirTreeNode::ShowSelected(bool selected) {
    mShowingSelected = selected;
    setIcon(0, selected ? mSelectedImage : mImage);
}

} // namespace pixmoth
