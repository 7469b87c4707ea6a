#include "browse/TDirTree.h"

#include <filesystem>
#include <set>
#include <vector>

#include <QList>

#include <sys/stat.h>

#include "browse/FolderReader.h"
#include "browse/FolderRules.h"
#include "browse/MountWatcher.h"
#include "browse/NameOrder.h"
#include "browse/TDirTreeGuards.h"
#include "browse/TreePaths.h"
#include "platform/Paths.h"
#include "platform/ProgramDirectory.h"
#include "platform/QtPaths.h"
#include "platform/WaitCursor.h"

namespace pixmoth {

namespace {

std::string CurrentDirectory() {
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::current_path(error);
    return error ? std::string() : WithTrailingSlash(directory.string());
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool IsProbedOnRead(TDriveType type) {
    return type == TDriveType::drtFixed || type == TDriveType::drtRemote ||
           type == TDriveType::drtRamDisk;
}

} // namespace

TDirTree::TDirTree(QWidget* parent, DriveSources sources, ShareSources shares)
    : QTreeWidget(parent), mSources(std::move(sources)), mShares(std::move(shares)),
      mIcons(style()) {
    setColumnCount(1);
    setHeaderHidden(true);
    setSortingEnabled(false); // the tree orders its nodes itself
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemExpanded, this, &TDirTree::Expanding);
    // Selecting the current node changes the selection but not the current
    // node; moving the current node changes both, the selection first.
    connect(this, &QTreeWidget::itemSelectionChanged, this, &TDirTree::SelectedNodeMoved);
    connect(this, &QTreeWidget::currentItemChanged, this, &TDirTree::SelectedNodeMoved);
    connect(this, &QTreeWidget::itemClicked, this, &TDirTree::Clicked);
    connect(new MountWatcher(mSources.mountInfo, this), &MountWatcher::Changed, this,
            &TDirTree::DeviceChange);
    mDropExpand.setSingleShot(true);
    connect(&mDropExpand, &QTimer::timeout, this, [this] {
        if (mDropHighlight != nullptr) {
            mDropHighlight->setExpanded(true);
        }
    });

    const Environment& environment = CurrentEnvironment();
    mHome = HomeDirectory(environment);
    mHomeTrash = HomeTrashFolder(environment);
    mCurrentDirectory = CurrentDirectory();
    mInitialDirectory = FromNative(mCurrentDirectory);
    if (!mCurrentDirectory.empty()) {
        const DriveTable drives = DriveTable::Read(mSources);
        if (const Drive* drive = drives.DriveOf(mCurrentDirectory)) {
            mLastPaths[drive->path] = mCurrentDirectory;
        }
    }
}

TDirTree::~TDirTree() {
    mDestroying = true;
    mChangeSuppression = 0;
    clear(); // while the tree is whole, so OnDeleteItem reaches a living sender
}

void TDirTree::SetDirTypes(TDirTypes types) {
    if (types == mDirTypes) {
        return;
    }
    mDirTypes = types;
    Reload();
}

void TDirTree::SetGoBelowRecycleBin(bool goBelow) {
    if (goBelow == mGoBelowRecycleBin) {
        return;
    }
    mGoBelowRecycleBin = goBelow;
    Reload();
}

void TDirTree::SetDriveTypes(TDriveTypes types) {
    if (types == mDriveTypes) {
        return;
    }
    mDriveTypes = types;
    RefreshDrives();
}

void TDirTree::Loaded() {
    mLoaded = true;
    if (mReadOnStart) {
        ReadDrives();
    }
    const std::string initial = ToNative(mInitialDirectory);
    OpenPath(IsDirectory(initial) ? mInitialDirectory : FromNative(mCurrentDirectory));
}

void TDirTree::NodeDeleted(TDirTreeNode* node) {
    if (node == mShownSelected) {
        mShownSelected = nullptr;
    }
    if (node == mDropHighlight) {
        mDropHighlight = nullptr;
    }

    emit OnDeleteItem(this, node);
}

bool TDirTree::AcceptPath(const std::string& path) const {
    if (!mGoBelowRecycleBin && IsBelowTrash(path, mHomeTrash)) {
        return false;
    }
    bool doAdd = true;
    if (mOnAddDir) {
        mOnAddDir(const_cast<TDirTree*>(this), FromNative(path), doAdd);
    }
    return doAdd;
}

void TDirTree::Enumerate(const std::string& path, const std::function<bool(const TDirRec&)>& each) {
    if (!mOnFindDir) {
        FolderReader reader(path);
        TDirRec entry;
        while (reader.Next(entry) && each(entry)) {
        }
        return;
    }
    const QString folder = FromNative(path);
    TDirRec entry;
    int result = -1; // a handler that delivers nothing ends the enumeration
    mOnFindDir(this, folder, entry, result, true);
    while (result == 0 && each(entry)) {
        entry = TDirRec();
        result = -1;
        mOnFindDir(this, folder, entry, result, false);
    }
}

void TDirTree::AddPlaceholder(TDirTreeNode* parent) {
    parent->addChild(new TDirTreeNode(this, nullptr));
}

void TDirTree::ProbeChildren(TDirTreeNode* node) {
    const TDirEntry* entry = node->Entry();
    if (entry == nullptr || entry->childrenRead) {
        return;
    }
    // One placeholder is enough; a node probed again keeps the one it has
    // rather than asking the disk once more.
    for (int i = 0; i < node->childCount(); ++i) {
        if (node->ChildNode(i) != nullptr && node->ChildNode(i)->IsPlaceholder()) {
            return;
        }
    }
    const std::string path = entry->path;
    Enumerate(path, [&](const TDirRec& rec) {
        if ((rec.attributes & faDirectory) != 0 && AcceptPath(path + rec.name + "/") &&
            AcceptAttributes(rec.attributes, mDirTypes)) {
            AddPlaceholder(node);
            return false;
        }
        return true;
    });
}

std::vector<std::string> TDirTree::SubfolderNames(const std::string& path) {
    std::vector<std::string> names;
    Enumerate(path, [&](const TDirRec& rec) {
        if ((rec.attributes & faDirectory) != 0 && AcceptPath(path + rec.name + "/") &&
            AcceptAttributes(rec.attributes, mDirTypes)) {
            names.push_back(rec.name);
        }
        return true;
    });
    SortNamesIgnoringCase(names);
    return names;
}

void TDirTree::ReadChildren(TDirTreeNode* node) {
    TDirEntry* entry = node->Entry();
    if (entry == nullptr || entry->childrenRead) {
        return;
    }
    qDeleteAll(node->takeChildren());
    entry->childrenRead = true;
    const std::vector<std::string> names = SubfolderNames(entry->path);
    QList<QTreeWidgetItem*> children;
    children.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names) {
        children.append(MakeFolderNode(node, name));
    }
    // All at once: one insertion for the view instead of one per folder.
    node->addChildren(children);
    if (mShowShareOverlay) {
        mShares.Read();
    }
    for (QTreeWidgetItem* child : children) {
        if (mShowShareOverlay) {
            AskShared(static_cast<TDirTreeNode*>(child));
        }
        emit OnGetIcon(this, static_cast<TDirTreeNode*>(child));
    }
}

void TDirTree::FolderChanged(const QString& path) {
    TDirTreeNode* node = Walk(WithTrailingSlash(ToNative(path)), false);
    if (node == nullptr) {
        return;
    }
    const std::string& folder = node->Entry()->path;
    const NodesUpdate update(this);
    if (!node->Entry()->childrenRead) {
        qDeleteAll(node->takeChildren());
        ProbeChildren(node);
        return;
    }
    const std::vector<std::string> names = SubfolderNames(folder);
    std::set<std::string> paths;
    for (const std::string& name : names) {
        paths.insert(folder + name + "/");
    }
    bool selectionGone = false;
    {
        const ChangesSuppressed quiet(this);
        const TDirTreeNode* selected = SelectedNode();
        for (int i = node->childCount() - 1; i >= 0; --i) {
            TDirTreeNode* child = node->ChildNode(i);
            if (child->IsPlaceholder() || paths.count(child->Entry()->path) == 0) {
                for (const TDirTreeNode* up = selected; up != nullptr; up = up->ParentNode()) {
                    selectionGone = selectionGone || up == child;
                }
                delete child;
            }
        }
        if (mShowShareOverlay) {
            mShares.Read();
        }
        // The nodes left are in the order of the names: one walk inserts the new ones.
        int index = 0;
        for (const std::string& name : names) {
            if (index < node->childCount() &&
                node->ChildNode(index)->Entry()->path == folder + name + "/") {
                ++index;
                continue;
            }
            TDirTreeNode* added = MakeFolderNode(node, name);
            node->insertChild(index++, added);
            if (mShowShareOverlay) {
                AskShared(added);
            }
            emit OnGetIcon(this, added);
            ProbeChildren(added);
        }
        if (selectionGone) {
            setCurrentItem(node);
        }
    }
    if (selectionGone) {
        SelectionChange(node);
    }
}

TDirTreeNode* TDirTree::AddDriveNode(const Drive& drive, int index) {
    auto entry = std::make_unique<TDirEntry>();
    entry->path = drive.path;
    auto* node = new TDirTreeNode(this, std::move(entry));
    node->setText(0, FromNative(DriveCaption(drive)));
    // A removable medium is not touched while the drives are read: its serial
    // stays unknown until it is asked for.
    if (drive.type != TDriveType::drtRemovable) {
        mSerials[drive.path] = DriveVolume(drive);
    }
    insertTopLevelItem(index, node);
    SetIcons(node, mIcons.Drive(drive.type));
    if (mShowShareOverlay) {
        AskShared(node);
    }
    emit OnGetIcon(this, node);
    // Drives whose media may be missing or slow are not touched now.
    if (!mFastLoad && IsProbedOnRead(drive.type)) {
        ProbeChildren(node);
    } else {
        AddPlaceholder(node);
    }
    return node;
}

TDirTreeNode* TDirTree::MakeFolderNode(const TDirTreeNode* parent, const std::string& name) {
    auto entry = std::make_unique<TDirEntry>();
    entry->path = parent->Entry()->path + name + "/";
    entry->userData = parent->Entry()->userData;
    const std::string& path = entry->path;
    const QIcon& image = path == mHome                     ? mIcons.HomeFolder()
                         : IsTrashFolder(path, mHomeTrash) ? mIcons.TrashFolder()
                                                           : mIcons.ClosedFolder();
    auto* node = new TDirTreeNode(this, std::move(entry));
    node->setText(0, FromNative(name));
    SetIcons(node, image);
    return node;
}

void TDirTree::SetIcons(TDirTreeNode* node, const QIcon& image) {
    node->SetImage(image);
    node->SetSelectedImage(
        image.cacheKey() == mIcons.ClosedFolder().cacheKey() ? mIcons.OpenFolder() : image);
}

void TDirTree::Expanding(QTreeWidgetItem* item) {
    TDirTreeNode* node = TDirTreeNode::Cast(item);
    if (node == nullptr) {
        return;
    }
    const WaitCursor wait;
    const NodesUpdate update(this);
    ReadChildren(node);
    for (int i = 0; i < node->childCount(); ++i) {
        if (TDirTreeNode* child = node->ChildNode(i)) {
            ProbeChildren(child);
        }
    }
}

void TDirTree::ReadDrives() {
    if (!mLoaded) {
        return;
    }
    const ChangesSuppressed quiet(this);
    const WaitCursor wait;
    const NodesUpdate update(this);
    clear();
    mDrives = DriveTable::Read(mSources).OfTypes(mDriveTypes);
    if (mShowShareOverlay) {
        mShares.Read();
    }
    for (const Drive& drive : mDrives.Drives()) {
        if (!AcceptPath(drive.path)) {
            continue;
        }
        AddDriveNode(drive, topLevelItemCount());
    }
}

TDirTreeNode* TDirTree::SelectedNode() const {
    QTreeWidgetItem* current = currentItem();
    // The view makes the first node current, unselected, when it first gets
    // the focus; that is no selection.
    return current != nullptr && current->isSelected() ? TDirTreeNode::Cast(current) : nullptr;
}

QString TDirTree::SelectedPath() const {
    const TDirTreeNode* node = SelectedNode();
    if (node == nullptr) {
        return QStringLiteral("?");
    }
    return node->IsPlaceholder() ? QString() : FromNative(node->Entry()->path);
}

TDirTreeNode* TDirTree::RootNodeFor(const std::string& path) const {
    TDirTreeNode* best = nullptr;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        TDirTreeNode* node = TDirTreeNode::Cast(topLevelItem(i));
        if (node == nullptr || node->IsPlaceholder()) {
            continue;
        }
        const std::string& root = node->Entry()->path;
        if (path.compare(0, root.size(), root) == 0 &&
            (best == nullptr || root.size() > best->Entry()->path.size())) {
            best = node;
        }
    }
    return best;
}

// Drives are mount points, so the walk starts at the drive holding the path
// (the deepest one) and goes down one level per '/' from there.
TDirTreeNode* TDirTree::Walk(const std::string& path, bool read) {
    TDirTreeNode* node = RootNodeFor(path);
    if (node == nullptr) {
        return nullptr;
    }
    const int levels = CountSlashes(path);
    for (int level = CountSlashes(node->Entry()->path);; ++level) {
        if (read) {
            ReadChildren(node);
        }
        if (level == levels) {
            return node;
        }
        const std::string prefix = PathPrefix(path, level + 1);
        TDirTreeNode* found = nullptr;
        for (int i = 0; i < node->childCount() && found == nullptr; ++i) {
            TDirTreeNode* child = node->ChildNode(i);
            if (child == nullptr || child->IsPlaceholder()) {
                return nullptr; // not read: nothing to find here
            }
            if (child->Entry()->path == prefix) {
                found = child;
            }
        }
        if (found == nullptr) {
            return nullptr;
        }
        node = found;
    }
}

TDirTreeNode* TDirTree::FindNodeByPath(const QString& path) const {
    return const_cast<TDirTree*>(this)->Walk(ToNative(path), false);
}

void TDirTree::OpenPath(const QString& requested) {
    if (requested == QStringLiteral("?")) {
        return;
    }
    std::string path = requested.isEmpty() ? mHome : ToNative(requested);
    path = NormalFolderPath(path, mCurrentDirectory.empty() ? "/" : mCurrentDirectory);
    if (!PathExists(RemoveTrailingSlash(path))) {
        const TDirTreeNode* drive = RootNodeFor(mCurrentDirectory);
        path = drive != nullptr ? drive->Entry()->path : "/";
    }
    const WaitCursor wait;
    TDirTreeNode* node = nullptr;
    {
        const NodesUpdate update(this);
        node = Walk(path, true);
        if (node != nullptr) {
            setCurrentItem(node);
        }
    }
    if (node != nullptr) {
        scrollToItem(node); // expands the ancestors, each through the expansion step
    }
}

void TDirTree::Reload() {
    const QString remembered = SelectedPath();
    ReadDrives();
    OpenPath(remembered);
    if (topLevelItemCount() > 0 && SelectedNode() == nullptr) {
        if (const Drive* drive = mDrives.DriveOf(ToNative(remembered))) {
            OpenPath(FromNative(drive->path));
        }
    }
    if (SelectedNode() != nullptr || topLevelItemCount() == 0) {
        return;
    }
    // Nothing could be reopened: pass over drives whose sub-folders are not
    // read yet while there are more, and take the last path of that drive.
    int index = 0;
    for (;;) {
        const TDirTreeNode* first = TDirTreeNode::Cast(topLevelItem(index)->child(0));
        const bool firstUnread =
            first != nullptr && (first->IsPlaceholder() || !first->Entry()->childrenRead);
        if (!firstUnread || index + 1 >= topLevelItemCount()) {
            break;
        }
        ++index;
    }
    TDirTreeNode* drive = TDirTreeNode::Cast(topLevelItem(index));
    if (drive == nullptr || drive->IsPlaceholder()) {
        return;
    }
    const std::string stored = LastPath(drive->Entry()->path);
    OpenPath(FromNative(stored));
    if (ToNative(SelectedPath()) != stored) {
        setCurrentItem(drive);
    }
}

std::string TDirTree::LastPath(const std::string& drivePath) const {
    const auto found = mLastPaths.find(drivePath);
    return found != mLastPaths.end() ? found->second : drivePath;
}

TDirTreeNode* TDirTree::DriveNodeOf(TDirTreeNode* node) const {
    while (node != nullptr && node->ParentNode() != nullptr) {
        node = node->ParentNode();
    }
    return node;
}

void TDirTree::SelectedNodeMoved() {
    TDirTreeNode* node = SelectedNode();
    if (node == mShownSelected) {
        return;
    }
    if (mShownSelected != nullptr) {
        mShownSelected->ShowSelected(false);
    }
    mShownSelected = node;
    if (node != nullptr) {
        node->ShowSelected(true);
        SelectionChange(node);
    }
}

void TDirTree::SelectionChange(TDirTreeNode* node) {
    if (mDestroying || mChangeSuppression != 0) {
        return;
    }
    node = CheckMedium(node);
    if (const TDirEntry* entry = node->Entry()) {
        const TDirTreeNode* drive = DriveNodeOf(node);
        if (drive != nullptr && !drive->IsPlaceholder()) {
            mLastPaths[drive->Entry()->path] = entry->path;
        }
    }
    emit OnChange(this, node);
}

} // namespace pixmoth
