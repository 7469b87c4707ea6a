#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>
#include <QTimer>
#include <QTreeWidget>

#include "browse/DirTreeIcons.h"
#include "browse/DirTreeTypes.h"
#include "browse/DriveTable.h"
#include "browse/SharedFolders.h"
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
//
// The tree follows the world: file systems mounted and unmounted while it runs
// come and go as drives (the mount table is watched), and a drive whose medium
// was exchanged (another volume, or the same one relabelled) is read again when
// one of its nodes is clicked or selected, or when the mounts change: OnChange
// then fires for its drive node and OnClick does not. Folders shared through
// Samba user shares or NFS exports can carry the desktop's "shared" emblem, and
// files dropped on a folder node are handed to OnDropFiles.
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

    explicit TDirTree(QWidget* parent = nullptr, DriveSources sources = DriveSources(),
                      ShareSources shares = ShareSources());
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
    void SetDriveTypes(TDriveTypes types); // refreshes the drives on a change
    bool ShowShareOverlay() const { return mShowShareOverlay; }
    void SetShowShareOverlay(bool show);
    // Whether files dragged from other programs (and from this one) may be
    // dropped on the tree's nodes.
    bool AcceptDropFiles() const { return mAcceptDropFiles; }
    void SetAcceptDropFiles(bool accept);
    void SetOnAddDir(TAddFileEvent handler) { mOnAddDir = std::move(handler); }
    void SetOnFindDir(TFindDirEvent handler) { mOnFindDir = std::move(handler); }

    // Reads the drives when ReadOnStart, then opens InitialDirectory if it
    // exists, else the current directory.
    void Loaded();
    // Clears the tree and adds the drives.
    void ReadDrives();
    // Removes the nodes of drives that are gone and inserts the new ones in
    // their place; true when a node came or went. Then OnChange fires for the
    // selected node, unless changes are suppressed.
    bool RefreshDrives();
    // What the tree does when the mounts changed: refreshes the drives; if none
    // came or went, reads again the last drive whose medium changed; then the
    // selection change step runs for the selected node.
    void DeviceChange();
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
    // The folder at `path` gained or lost sub-folders (a folder was moved in
    // or out of it): when its node's sub-folders are read, the nodes of those
    // gone are deleted and new ones inserted in their place, probed; the others
    // keep their nodes and whatever is read below them. A node not read yet is
    // probed again, so its expand button tells the truth. A selection inside a
    // deleted node moves to the folder's node and OnChange fires for it.
    // Nothing happens when the folder has no node.
    void FolderChanged(const QString& path);

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
    // Local files dropped on a node, in drop order: `x`, `y` the drop point in
    // the tree's viewport, `aDropDir` the node's path with a trailing '/',
    // `shift` whether Shift, Alt and Ctrl were held. It arrives from the event
    // loop once the drop is over, so a receiver may change the tree and the
    // drag source.
    void OnDropFiles(pixmoth::TDirTree* sender, int x, int y, const QString& aDropDir,
                     const QStringList& aDropFiles, Qt::KeyboardModifiers shift);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    friend class TDirTreeNode;
    class NodesUpdate;
    class ChangesSuppressed;

    void NodeDeleted(TDirTreeNode* node);
    bool AcceptPath(const std::string& path) const;
    // Calls `each` for every entry of the folder until it returns false.
    void Enumerate(const std::string& path, const std::function<bool(const TDirRec&)>& each);
    void ProbeChildren(TDirTreeNode* node);
    // The folder's accepted sub-folders, sorted as the tree shows them.
    std::vector<std::string> SubfolderNames(const std::string& path);
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
    // The drive's volume as the mount table shows it now, and whether it is not
    // the one the tree read.
    bool MediumChanged(const TDirTreeNode* drive, const DriveTable& table, Drive& now,
                       VolumeId& volume) const;
    // Reads the drive node again for its new medium; a selection below it
    // moves to the drive node.
    void RereadDrive(TDirTreeNode* drive, const Drive& now, const VolumeId& volume);
    // The medium check of the selection change step: the drive node, read
    // again, when the node's drive holds another volume; else the node.
    TDirTreeNode* CheckMedium(TDirTreeNode* node);
    TDirTreeNode* DriveNode(const std::string& drivePath) const;
    void AskShared(TDirTreeNode* node);
    void AskSharedBelow(TDirTreeNode* node);
    void SetDropHighlight(TDirTreeNode* node);
    TDirTreeNode* DropTargetAt(const QPoint& point) const;
    TDirTreeNode* RootNodeFor(const std::string& path) const;
    TDirTreeNode* Walk(const std::string& path, bool read);
    TDirTreeNode* DriveNodeOf(TDirTreeNode* node) const;

    DriveSources mSources;
    SharedFolders mShares;
    DirTreeIcons mIcons;
    bool mReadOnStart = true;
    TDirTypes mDirTypes{TDirType::dtNormal, TDirType::dtAll};
    bool mGoBelowRecycleBin = false;
    bool mFastLoad = false;
    QString mInitialDirectory;
    TDriveTypes mDriveTypes = kAllDriveTypes;
    bool mShowShareOverlay = false;
    bool mAcceptDropFiles = false;
    TAddFileEvent mOnAddDir;
    TFindDirEvent mOnFindDir;

    bool mLoaded = false;
    bool mDestroying = false;
    int mChangeSuppression = 0;
    int mUpdateDepth = 0;
    TDirTreeNode* mShownSelected = nullptr; // the node showing its selected image
    DriveTable mDrives;
    std::map<std::string, std::string> mLastPaths; // by drive path
    std::map<std::string, VolumeId> mSerials;      // by drive path; absent = not read
    bool mMediumChangedInPress = false;     // the press re-read a drive: its click is no click
    TDirTreeNode* mDropHighlight = nullptr; // the node a drag hovers over
    QTimer mDropExpand;                     // opens the hovered node after a while
    std::string mCurrentDirectory;
    std::string mHome;
    std::string mHomeTrash;
};

} // namespace pixmoth
