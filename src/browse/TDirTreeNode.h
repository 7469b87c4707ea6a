#pragma once

#include <memory>
#include <string>

#include <QIcon>
#include <QTreeWidgetItem>

namespace pixmoth {

class TDirTree;

// What the tree knows about a drive or folder node.
struct TDirEntry {
    std::string path;          // absolute, case kept, with trailing '/'
    bool childrenRead = false; // its sub-folders have been read from disk
    void* userData = nullptr;  // null for drives; folders copy their parent's
    // The folder answered when asked whether it is shared (it is there and is a
    // folder). Its sub-folders are asked only then; set only while shared
    // folders are shown.
    bool shareAsked = false;
};

// A node of the directory tree: a drive, a folder, or a placeholder (no entry,
// empty caption) whose only purpose is the expand button of a parent whose
// sub-folders have not been read yet.
//
// A node shows its image, and its selected image while it is the selected node,
// either with the shared-folder emblem over it while its overlay index is 0.
class TDirTreeNode : public QTreeWidgetItem {
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 1;

    TDirTreeNode(TDirTree* tree, std::unique_ptr<TDirEntry> entry);
    // Frees the entry, then tells the tree, which fires OnDeleteItem.
    ~TDirTreeNode() override;

    // Null for a placeholder.
    TDirEntry* Entry() const { return mEntry.get(); }
    bool IsPlaceholder() const { return mEntry == nullptr; }

    TDirTreeNode* ParentNode() const { return Cast(parent()); }
    TDirTreeNode* ChildNode(int index) const { return Cast(child(index)); }

    const QIcon& Image() const { return mImage; }
    void SetImage(const QIcon& image);
    const QIcon& SelectedImage() const { return mSelectedImage; }
    void SetSelectedImage(const QIcon& image);
    // Switches between the two images; the tree calls it as the selection moves.
    void ShowSelected(bool selected);
    // -1 for none, 0 for the shared-folder emblem.
    int OverlayIndex() const { return mOverlayIndex; }
    void SetOverlayIndex(int index);

    // The node behind a tree item, or null for items the tree did not make.
    static TDirTreeNode* Cast(QTreeWidgetItem* item) {
        return item != nullptr && item->type() == kType ? static_cast<TDirTreeNode*>(item)
                                                        : nullptr;
    }

private:
    void ShowImage();

    TDirTree* mTree;
    std::unique_ptr<TDirEntry> mEntry;
    QIcon mImage;
    QIcon mSelectedImage;
    bool mShowingSelected = false;
    int mOverlayIndex = -1;
};

} // namespace pixmoth
