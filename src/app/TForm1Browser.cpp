// The main window's browser panel: the directory tree, the thumbnail list and
// the restore splitter, and the handlers that tie them to the documents.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <QBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QProgressDialog>

#include <sys/stat.h>

#include "app/TForm1.h"
#include "browse/FileMove.h"
#include "browse/TDirTree.h"
#include "browse/TThumbListView.h"
#include "browse/TreePaths.h"
#include "chrome/TRestoreSplitter.h"
#include "chrome/TSplitter.h"
#include "platform/Commands.h"
#include "platform/Interaction.h"
#include "platform/Paths.h"
#include "platform/QtPaths.h"

namespace pixmoth {

namespace {

constexpr int kPanelWidth = 200; // in the layout, before start-up collapses it
constexpr int kTreeHeight = 168;
constexpr int kSplitter1Height = 8;
constexpr int kRestoreSize = 222;
constexpr int kMoveSteps = 1000; // of the progress bar of a long move
constexpr int kMoveProgressDelayMs = 500;

// Whether two paths name the same folder, whatever links or spelling lead there.
bool SameFolder(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::uint64_t FileSize(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)
               ? static_cast<std::uint64_t>(info.st_size)
               : 0;
}

// Where `path` is after the folder `from` moved to `to`; "" when it was not
// inside that folder.
std::string Rebased(const std::string& path, const std::string& from, const std::string& to) {
    return path.compare(0, from.size(), from) == 0 ? to + path.substr(from.size()) : std::string();
}

} // namespace

void TForm1::BuildBrowser(QLayout* layout) {
    mPanel1->setObjectName(QStringLiteral("Panel1"));
    mPanel1->setFixedWidth(kPanelWidth);
    auto* column = new QVBoxLayout(mPanel1);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    mDirTree = new TDirTree;
    mDirTree->setObjectName(QStringLiteral("DirTree"));
    mDirTree->setFixedHeight(kTreeHeight);
    mDirTree->setVisible(false);
    column->addWidget(mDirTree);

    mSplitter1 = new TSplitter;
    mSplitter1->setObjectName(QStringLiteral("Splitter1"));
    mSplitter1->SetAlign(TAlign::alTop);
    mSplitter1->setFixedHeight(kSplitter1Height);
    column->addWidget(mSplitter1);

    mThumbListView1 = new TThumbListView;
    mThumbListView1->setObjectName(QStringLiteral("ThumbListView1"));
    mThumbListView1->setVisible(false);
    column->addWidget(mThumbListView1, 1);

    mRestoreSplitter1 = new TRestoreSplitter;
    mRestoreSplitter1->setObjectName(QStringLiteral("RestoreSplitter1"));
    mRestoreSplitter1->SetMinSize(1);
    mRestoreSplitter1->SetButtonWidth(211);
    layout->addWidget(mPanel1);
    layout->addWidget(mRestoreSplitter1);

    mPopupMenu1 = new QMenu(this);
    mPopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    ConnectCommand(NewCommand(this, mPopupMenu1, QStringLiteral("Delete Selected"),
                              QStringLiteral("DeleteImage1Click"),
                              QStringLiteral("Move the selected pictures to the trash")),
                   this, &TForm1::DeleteImage1Click);
    ConnectCommand(NewCommand(this, mPopupMenu1, QStringLiteral("Select All"),
                              QStringLiteral("SelectAll1Click"),
                              QStringLiteral("Select every picture of the list")),
                   this, &TForm1::SelectAll1Click);
    mThumbListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mThumbListView1, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        mPopupMenu1->popup(mThumbListView1->viewport()->mapToGlobal(at));
    });

    // Queued, as commands are: an error then reaches the error report through
    // the event loop, not through the widgets' own event handling.
    connect(mDirTree, &TDirTree::OnClick, this, &TForm1::DirTreeClick, Qt::QueuedConnection);
    connect(mDirTree, &TDirTree::OnDropFiles, this, &TForm1::DirTreeDropFiles);
    connect(mThumbListView1, &QListWidget::itemDoubleClicked, this, &TForm1::ThumbListView1DblClick,
            Qt::QueuedConnection);
    connect(mRestoreSplitter1, &TSplitter::OnCanResize, this, &TForm1::RestoreSplitter1CanResize);
    connect(mRestoreSplitter1, &TRestoreSplitter::OnRestore, this,
            &TForm1::RestoreSplitter1Restore);
}

void TForm1::SetUpBrowser() {
    mDirTree->SetAcceptDropFiles(true);
    mThumbListView1->setViewMode(QListView::IconMode);
    mDirTree->SetInitialDirectory(mPictureDir);
    mDirTree->Loaded();
    // Collapsing asks RestoreSplitter1CanResize, which lists PictureDir.
    mRestoreSplitter1->SetMaximized(true);
    mRestoreSplitter1->SetRestoreSize(kRestoreSize);
    mPanel1->setFixedWidth(1);
}

QString TForm1::OpenDialogDirectory() const {
    const QString selected = mDirTree->SelectedPath();
    return selected.isEmpty() || selected == QStringLiteral("?") ? mPictureDir : selected;
}

void TForm1::DirTreeClick() {
    const QString selected = mDirTree->SelectedPath();
    // A click that leaves no folder selected (a placeholder) changes nothing.
    if (selected.isEmpty() || selected == QStringLiteral("?")) {
        return;
    }
    mPictureDir = selected;
    mThumbListView1->ListThumbItems(mPictureDir);
}

void TForm1::DirTreeDropFiles(TDirTree*, int, int, const QString& aDropDir,
                              const QStringList& aDropFiles, Qt::KeyboardModifiers) {
    const std::string folder = WithTrailingSlash(ToNative(aDropDir));
    const std::string shown = ToNative(mThumbListView1->CurrentDir());
    std::uint64_t total = 0;
    for (const QString& file : aDropFiles) {
        total += FileSize(ToNative(file));
    }
    // Moves to another drive copy the files: a long one shows how far it got
    // and can be cancelled, which leaves the file being copied where it was.
    QProgressDialog progress(QStringLiteral("Moving files to ") + aDropDir,
                             QStringLiteral("Cancel"), 0, kMoveSteps, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(kMoveProgressDelayMs);
    std::uint64_t done = 0;
    std::vector<MoveFailure> failures;
    std::vector<MovedFolder> movedFolders;
    bool listChanged = false;
    for (const QString& file : aDropFiles) {
        const std::string path = ToNative(file);
        const std::uint64_t size = FileSize(path);
        const bool isFolder = IsDirectory(path);
        const std::string reason =
            MoveIntoFolder(path, folder, [&](std::uint64_t copied, std::uint64_t) {
                if (total > 0) {
                    progress.setValue(static_cast<int>(
                        std::min<std::uint64_t>((done + copied) * kMoveSteps / total, kMoveSteps)));
                }
                return !progress.wasCanceled();
            });
        done += size;
        if (reason.empty()) {
            listChanged = listChanged ||
                          SameFolder(DirectoryPart(RemoveTrailingSlash(path)), shown) ||
                          SameFolder(folder, shown);
            if (isFolder) {
                const std::string name = FileNamePart(RemoveTrailingSlash(path));
                movedFolders.push_back({WithTrailingSlash(path), folder + name + "/"});
            }
        } else if (!progress.wasCanceled()) {
            failures.push_back({path, reason});
        }
        if (progress.wasCanceled()) {
            break; // the file being copied stayed where it was
        }
    }
    progress.reset();
    if (!FollowMovedFolders(movedFolders, folder) && listChanged) {
        mThumbListView1->ListThumbItems(mThumbListView1->CurrentDir());
    }
    if (!failures.empty()) {
        CurrentInteraction().Tell(Interaction::Kind::Warning,
                                  FromNative(MoveFailuresText(folder, failures)));
    }
}

bool TForm1::FollowMovedFolders(const std::vector<MovedFolder>& moved, const std::string& into) {
    if (moved.empty()) {
        return false;
    }
    const std::string selected = ToNative(mDirTree->SelectedPath());
    const std::string shown = ToNative(mThumbListView1->CurrentDir());
    for (const MovedFolder& folder : moved) {
        mDirTree->FolderChanged(FromNative(DirectoryPart(RemoveTrailingSlash(folder.from))));
    }
    mDirTree->FolderChanged(FromNative(into));
    bool listed = false;
    for (const MovedFolder& folder : moved) {
        if (const std::string there = Rebased(selected, folder.from, folder.to); !there.empty()) {
            mDirTree->OpenPath(FromNative(there));
        }
        if (const std::string there = Rebased(shown, folder.from, folder.to); !there.empty()) {
            mThumbListView1->ListThumbItems(FromNative(there));
            listed = true;
        }
        const std::string pictureDir = Rebased(ToNative(mPictureDir), folder.from, folder.to);
        if (!pictureDir.empty()) {
            mPictureDir = FromNative(pictureDir);
        }
    }
    return listed;
}

void TForm1::ThumbListView1DblClick() {
    const QString file = mThumbListView1->SelectedFile();
    if (!file.isEmpty() && IsRegularFile(ToNative(file))) {
        OpenPicture(file);
    }
}

void TForm1::DeleteImage1Click() {
    if (!CurrentInteraction().Ask(
            Interaction::Kind::Confirmation,
            QStringLiteral("Do you really want to delete this/these image(s)?"))) {
        return;
    }
    // The items name their own files, so the files deleted are the ones shown
    // even when PictureDir has moved on to another folder since the listing;
    // the listing shown is the one refreshed.
    const QStringList failures = mThumbListView1->DeleteSelectedFiles();
    mThumbListView1->ListThumbItems(mThumbListView1->CurrentDir());
    if (!failures.isEmpty()) {
        CurrentInteraction().Tell(Interaction::Kind::Warning,
                                  QStringLiteral("These files could not be deleted:\n") +
                                      failures.join(QStringLiteral("\n")));
    }
}

void TForm1::SelectAll1Click() {
    mThumbListView1->SelectAll();
}

void TForm1::RestoreSplitter1CanResize(QObject*, int&, bool&) {
    // Cheap when nothing changed: the list keeps its items and thumbnails.
    mThumbListView1->ListThumbItems(mPictureDir);
}

void TForm1::RestoreSplitter1Restore(QObject*) {
    mDirTree->setVisible(true);
    mThumbListView1->setVisible(true);
    mDirTree->OpenPath(mPictureDir);
}

} // namespace pixmoth
