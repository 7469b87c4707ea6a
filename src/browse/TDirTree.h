#pragma once

#include <functional>
#include <map>
#include <string>

#include <QString>
#include <QTreeWidget>

#include "browse/DirTreeIcons.h"
#include "browse/DirTreeTypes.h"
#include "browse/DriveTable.h"
#include "browse/TDirTreeNode.h"

namespace pixmoth {

// The tree of drives and folders. The root level holds one node per mounted
// file system (DriveTable: order, kinds, captions); below a drive the folders
// appear level by level, each level read from disk when its parent is first
// expanded or opened. Until then a node that may have sub-folders carries a
// placeholder child, so it shows an expand button: drives are probed for a
// first sub-folder when they are read (fixed, remote and RAM disks, unless
// FastLoad), folders when their parent is expanded.
//
// Paths are absolute, case kept, directories with a trailing '/'. A folder that
// cannot be read simply has no sub-folders; nothing raises.
//
// The tree reads nothing before Loaded(), which its owner calls once the
// properties are set, as a form does after loading its controls.
//
// Events: OnChange when the selected node changes (a click on another node, the
// keyboard, OpenPath), unless the change suppression counter is not 0, as it is
// while the drives are read; OnClick when the user clicks a node. A click on
// another node thus gives OnChange, then OnClick.
class TDirTree : public QTreeWidget {
    Q_OBJECT

public:
    // Veto for each drive root and folder about to be listed. `fileName` is the
    // full path with a trailing '/'; doAdd arrives true.
    using TAddFileEvent =
        std::function<void(TDirTree* sender, const QString& fileName, bool& doAdd)>;
    // Replaces the disk enumeration of `path` (with trailing '/'): called with
    // first = true to start and false for each next entry; the handler fills
    // `rec` and sets `result` to 0 while it delivers an entry and to anything
    // else when there is none left (`result` arrives non-zero).
    using TFindDirEvent = std::function<void(TDirTree* sender, const QString& path, TDirRec& rec,
                                             int& result, bool first)>;

    explicit TDirTree(QWidget* parent = nullptr, DriveSources sources = DriveSources());
    ~TDirTree() override;

    bool ReadOnStart() const { return mReadOnStart; }
    void SetReadOnStart(bool readOnStart) { mReadOnStart = readOnStart; }
    TDirTypes DirTypes() const { return mDirTypes; }
    void SetDirTypes(TDirTypes types); // reloads on a change
    bool GoBelowRecycleBin() const { return mGoBelowRecycleBin; }
    void SetGoBelowRecycleBin(bool goBelow); // reloads on a change
    bool FastLoad() const { return mFastLoad; }
    void SetFastLoad(bool fastLoad) { mFastLoad = fastLoad; }
    // Opened by Loaded() when it exists; the current directory at construction.
    const QString& InitialDirectory() const { return mInitialDirectory; }
    void SetInitialDirectory(const QString& directory) { mInitialDirectory = directory; }
    TDriveTypes DriveTypes() const { return mDriveTypes; }
    void SetDriveTypes(TDriveTypes types); // reloads on a change
    void SetOnAddDir(TAddFileEvent handler) { mOnAddDir = std::move(handler); }
    void SetOnFindDir(TFindDirEvent handler) { mOnFindDir = std::move(handler); }

    // Reads the drives when ReadOnStart, then opens InitialDirectory if it
    // exists, else the current directory.
    void Loaded();
    // Clears the tree and adds the drives.
    void ReadDrives();
    // ReadDrives, then selects the path selected before, or failing that its
    // drive, or failing that the last path of a drive.
    void Reload();
    // Reads the tree down to `path`, selects its node and scrolls it into view.
    // "" opens the home folder, "?" does nothing, a path that does not exist
    // opens the drive of the current directory. When a level cannot be found
    // among the nodes the selection stays as it was.
    void OpenPath(const QString& path);
    // The selected node's path with a trailing '/'; "?" when nothing is
    // selected; "" when the selected node is a placeholder.
    QString SelectedPath() const;
    TDirTreeNode* SelectedNode() const;
    // The node whose path is exactly `path`, found through nodes already read
    // (nothing is read from disk), or null.
    TDirTreeNode* FindNodeByPath(const QString& path) const;

    // The drives of the last reading, DriveTypes applied.
    const DriveTable& Drives() const { return mDrives; }
    // The path last selected on the drive `drivePath` (with trailing '/'); the
    // drive itself when none was.
    std::string LastPath(const std::string& drivePath) const;

signals:
    void OnChange(pixmoth::TDirTree* sender, pixmoth::TDirTreeNode* node);
    void OnClick(pixmoth::TDirTree* sender);
    // After the node's entry was freed; the node is going. Receivers must not
    // change the tree.
    void OnDeleteItem(pixmoth::TDirTree* sender, pixmoth::TDirTreeNode* node);
    // After a node's images are set; a receiver may change them.
    void OnGetIcon(pixmoth::TDirTree* sender, pixmoth::TDirTreeNode* node);

private:
    friend class TDirTreeNode;
    class NodesUpdate;
    class ChangesSuppressed;

    void NodeDeleted(TDirTreeNode* node);
    bool AcceptPath(const std::string& path) const;
    // Calls `each` for every entry of the folder until it returns false.
    void Enumerate(const std::string& path, const std::function<bool(const TDirRec&)>& each);
    void ProbeChildren(TDirTreeNode* node);
    void ReadChildren(TDirTreeNode* node);
    void AddPlaceholder(TDirTreeNode* parent);
    // Inserts the drive's node at root level before `index`, probed or with a
    // placeholder as FastLoad and the drive's kind say.
    TDirTreeNode* AddDriveNode(const Drive& drive, int index);
    TDirTreeNode* MakeFolderNode(const TDirTreeNode* parent, const std::string& name);
    void SetIcons(TDirTreeNode* node, const QIcon& image);
    void Expanding(QTreeWidgetItem* item);
    void SelectedNodeMoved();
    void Clicked(QTreeWidgetItem* item);
    void SelectionChange(TDirTreeNode* node);
    TDirTreeNode* RootNodeFor(const std::string& path) const;
    TDirTreeNode* Walk(const std::string& path, bool read);
    TDirTreeNode* DriveNodeOf(TDirTreeNode* node) const;

    DriveSources mSources;
    DirTreeIcons mIcons;
    bool mReadOnStart = true;
    TDirTypes mDirTypes{TDirType::dtNormal, TDirType::dtAll};
    bool mGoBelowRecycleBin = false;
    bool mFastLoad = false;
    QString mInitialDirectory;
    TDriveTypes mDriveTypes = kAllDriveTypes;
    TAddFileEvent mOnAddDir;
    TFindDirEvent mOnFindDir;

    bool mLoaded = false;
    bool mDestroying = false;
    int mChangeSuppression = 0;
    int mUpdateDepth = 0;
    TDirTreeNode* mShownSelected = nullptr; // the node showing its selected image
    DriveTable mDrives;
    std::map<std::string, std::string> mLastPaths; // by drive path
    std::map<std::string, std::string> mSerials;   // by drive path; absent = not read
    std::string mCurrentDirectory;
    std::string mHome;
    std::string mHomeTrash;
};

} // namespace pixmoth
