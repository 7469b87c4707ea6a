#pragma once

#include "browse/TDirTree.h"

// The brackets of the tree's bulk changes, shared by the files that implement
// TDirTree.
namespace pixmoth {

// Brackets a bulk change of the nodes: the tree repaints once at the end.
class TDirTree::NodesUpdate {
public:
    explicit NodesUpdate(TDirTree* tree) : mTree(tree) {
        if (mTree->mUpdateDepth++ == 0) {
            mTree->setUpdatesEnabled(false);
        }
    }
    ~NodesUpdate() {
        if (--mTree->mUpdateDepth == 0) {
            mTree->setUpdatesEnabled(true);
        }
    }
    NodesUpdate(const NodesUpdate&) = delete;
    NodesUpdate& operator=(const NodesUpdate&) = delete;

private:
    TDirTree* mTree;
};

// Keeps the selection change step silent while nodes are rebuilt.
class TDirTree::ChangesSuppressed {
public:
    explicit ChangesSuppressed(TDirTree* tree) : mTree(tree) { --mTree->mChangeSuppression; }
    ~ChangesSuppressed() { ++mTree->mChangeSuppression; }
    ChangesSuppressed(const ChangesSuppressed&) = delete;
    ChangesSuppressed& operator=(const ChangesSuppressed&) = delete;

private:
    TDirTree* mTree;
};

} // namespace pixmoth
