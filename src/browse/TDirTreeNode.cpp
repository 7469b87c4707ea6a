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
        ShowImage();
    }
}

void TDirTreeNode::SetSelectedImage(const QIcon& image) {
    mSelectedImage = image;
    if (mShowingSelected) {
        ShowImage();
    }
}

void TDirTreeNode::ShowSelected(bool selected) {
    mShowingSelected = selected;
    ShowImage();
}

void TDirTreeNode::SetOverlayIndex(int index) {
    if (index == mOverlayIndex) {
        return;
    }
    mOverlayIndex = index;
    ShowImage();
}

void TDirTreeNode::ShowImage() {
    const QIcon& image = mShowingSelected ? mSelectedImage : mImage;
    setIcon(0, mOverlayIndex == 0 ? mTree->mIcons.Shared(image) : image);
}

} // namespace pixmoth
