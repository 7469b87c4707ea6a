// TDirTree following the mounts: drives that come and go, media exchanged in
// a drive, and the tree moved to another window.
#include "browse/TDirTree.h"

#include <QMouseEvent>

#include "browse/TDirTreeGuards.h"
#include "platform/QtPaths.h"

namespace pixmoth {

TDirTreeNode* TDirTree::DriveNode(const std::string& drivePath) const {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        TDirTreeNode* node = TDirTreeNode::Cast(topLevelItem(i));
        if (node != nullptr && !node->IsPlaceholder() && node->Entry()->path == drivePath) {
            return node;
        }
    }
    return nullptr;
}

bool TDirTree::RefreshDrives() {
    if (!mLoaded) {
        return false;
    }
    bool changed = false;
    {
        const ChangesSuppressed quiet(this);
        const NodesUpdate update(this);
        DriveTable now = DriveTable::Read(mSources).OfTypes(mDriveTypes);
        for (const Drive& drive : mDrives.Drives()) {
            if (now.Find(drive.path) == nullptr) {
                mSerials.erase(drive.path);
                if (TDirTreeNode* node = DriveNode(drive.path)) {
                    delete node;
                    changed = true;
                }
            }
        }
        if (mShowShareOverlay) {
            mShares.Read();
        }
        // Drives vetoed by OnAddDir when they were read stay out: they are in
        // mDrives without a node.
        for (const Drive& drive : now.Drives()) {
            if (mDrives.Find(drive.path) != nullptr) {
                continue;
            }
            int index = 0;
            while (index < topLevelItemCount() &&
                   !DriveOrderBefore(drive.path,
                                     TDirTreeNode::Cast(topLevelItem(index))->Entry()->path)) {
                ++index;
            }
            AddDriveNode(drive, index);
            changed = true;
        }
        mDrives = std::move(now);
    }
    if (changed) {
        if (TDirTreeNode* node = SelectedNode()) {
            SelectionChange(node);
        }
    }
    return changed;
}

void TDirTree::DeviceChange() {
    {
        const ChangesSuppressed quiet(this);
        if (!RefreshDrives()) {
            // The same drives: one of them may hold another medium now. Only
            // the last such drive is read again.
            const DriveTable table = DriveTable::Read(mSources);
            for (int i = topLevelItemCount() - 1; i >= 0; --i) {
                TDirTreeNode* drive = TDirTreeNode::Cast(topLevelItem(i));
                Drive now;
                VolumeId volume;
                if (drive != nullptr && MediumChanged(drive, table, now, volume)) {
                    RereadDrive(drive, now, volume);
                    break;
                }
            }
        }
    }
    if (TDirTreeNode* node = SelectedNode()) {
        SelectionChange(node);
    }
}

bool TDirTree::MediumChanged(const TDirTreeNode* drive, const DriveTable& table, Drive& now,
                             VolumeId& volume) const {
    if (drive == nullptr || drive->IsPlaceholder()) {
        return false;
    }
    const std::string& path = drive->Entry()->path;
    if (const Drive* found = table.Find(path)) {
        now = *found;
        volume = DriveVolume(now);
    } else {
        now = Drive();
        now.path = path;
        volume = VolumeId(); // unmounted: no volume
    }
    // A drive whose volume was never asked for (a removable one) counts as changed.
    const auto stored = mSerials.find(path);
    return stored == mSerials.end() || stored->second != volume;
}

void TDirTree::RereadDrive(TDirTreeNode* drive, const Drive& now, const VolumeId& volume) {
    const ChangesSuppressed quiet(this);
    const NodesUpdate update(this);
    TDirTreeNode* selected = SelectedNode();
    const bool selectedBelow =
        selected != nullptr && selected != drive && DriveNodeOf(selected) == drive;
    drive->setExpanded(false); // its folders are gone; expanding it reads them anew
    qDeleteAll(drive->takeChildren());
    drive->Entry()->childrenRead = false;
    ProbeChildren(drive);
    drive->setText(0, FromNative(DriveCaption(now)));
    mSerials[drive->Entry()->path] = volume;
    if (volume.Readable() && drive->childCount() == 0) {
        AddPlaceholder(drive);
    }
    if (selectedBelow) {
        setCurrentItem(drive);
    }
}

TDirTreeNode* TDirTree::CheckMedium(TDirTreeNode* node) {
    if (node->IsPlaceholder()) {
        return node;
    }
    TDirTreeNode* drive = DriveNodeOf(node);
    Drive now;
    VolumeId volume;
    if (!MediumChanged(drive, DriveTable::Read(mSources), now, volume)) {
        return node;
    }
    RereadDrive(drive, now, volume);
    return drive;
}

void TDirTree::mousePressEvent(QMouseEvent* event) {
    mMediumChangedInPress = false;
    TDirTreeNode* node = TDirTreeNode::Cast(itemAt(event->position().toPoint()));
    if (node != nullptr && !node->IsPlaceholder() && !mDestroying && mChangeSuppression == 0) {
        TDirTreeNode* drive = DriveNodeOf(node);
        Drive now;
        VolumeId volume;
        // Checked before the view sees the press: reading the drive again
        // deletes its folders, maybe the pressed one, which the view's own
        // press handling would still use.
        if (MediumChanged(drive, DriveTable::Read(mSources), now, volume)) {
            mMediumChangedInPress = true;
            RereadDrive(drive, now, volume);
            {
                const ChangesSuppressed quiet(this);
                setCurrentItem(drive);
            }
            SelectionChange(drive);
            event->accept();
            return;
        }
    }
    QTreeWidget::mousePressEvent(event);
}

void TDirTree::Clicked(QTreeWidgetItem* item) {
    TDirTreeNode* node = SelectedNode();
    if (node == nullptr || node != TDirTreeNode::Cast(item) || node->IsPlaceholder()) {
        return;
    }
    if (mMediumChangedInPress) {
        mMediumChangedInPress = false;
        return;
    }
    Drive now;
    VolumeId volume;
    if (MediumChanged(DriveNodeOf(node), DriveTable::Read(mSources), now, volume)) {
        SelectionChange(node); // reads the drive again and fires OnChange instead
        return;
    }
    emit OnClick(this);
}

// Moved into another window, the tree keeps its nodes (Qt moves them along);
// the drives are read again there, and the path selected before stays selected.
bool TDirTree::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange && mLoaded) {
        const QString selected = SelectedPath();
        RefreshDrives();
        if (SelectedPath() != selected) {
            OpenPath(selected);
        }
    }
    return QTreeWidget::event(event);
}

} // namespace pixmoth
