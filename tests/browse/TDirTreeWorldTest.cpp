#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include <QMimeData>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <QtTest>

#include <sys/mount.h>

#include "app/WidgetTestSupport.h"
#include "browse/BrowseTestSupport.h"
#include "browse/DirTreeSandbox.h"
#include "browse/MountInfo.h"
#include "browse/TDirTree.h"

namespace pixmoth {

namespace fs = std::filesystem;
using test::Sandbox;

namespace {

QStringList RootPaths(const TDirTree& tree) {
    QStringList paths;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        paths << QString::fromStdString(TDirTreeNode::Cast(tree.topLevelItem(i))->Entry()->path);
    }
    return paths;
}

// Undoes the test's mounts however the test ends, the last one first.
struct Unmount {
    std::vector<std::string> points;
    ~Unmount() {
        for (auto point = points.rbegin(); point != points.rend(); ++point) {
            ::umount2(point->c_str(), MNT_DETACH);
        }
    }
};

bool Run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// What udev does for a labelled file system: a link named after the label,
// leading to the device mounted at `folder`.
void LinkLabel(const std::string& labels, const std::string& label, const std::string& folder) {
    std::string device;
    for (const MountEntry& mount : ReadMountInfo("/proc/self/mountinfo")) {
        if (mount.mountPoint == folder) {
            device = fs::path(mount.source).filename();
        }
    }
    fs::remove_all(labels);
    fs::create_directory(labels);
    fs::create_symlink("../../" + device, labels + "/" + label);
}

QStringList Captions(const QTreeWidgetItem* node) {
    QStringList captions;
    for (int i = 0; i < node->childCount(); ++i) {
        captions << node->child(i)->text(0);
    }
    return captions;
}

// The nodes carrying the shared-folder emblem, by caption.
QStringList Marked(TDirTree& tree) {
    QStringList marked;
    for (QTreeWidgetItemIterator it(&tree); *it != nullptr; ++it) {
        const TDirTreeNode* node = TDirTreeNode::Cast(*it);
        if (node != nullptr && node->OverlayIndex() == 0) {
            marked << node->text(0);
        }
    }
    return marked;
}

} // namespace

class TDirTreeWorldTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::SilenceOffscreenNoise(); }

    // Real tmpfs mounts in a mount namespace of this process alone.
    void mountsComeAndGoInDriveOrder() {
        Sandbox sandbox;
        // The namespace's own mount sorts after the one made later.
        for (const char* folder : {"zz", "ram"}) {
            fs::create_directory(sandbox.Native(folder));
        }
        const std::string refused = test::MountPrivateTmpfs(sandbox.Native("zz"));
        if (!refused.empty()) {
            QSKIP(refused.c_str());
        }
        const std::string ramPoint = sandbox.Native("ram");
        const Unmount unmount{{sandbox.Native("zz"), ramPoint}};
        QWidget first;
        QWidget second;
        auto tree = sandbox.Tree();
        tree->setParent(&first);
        const QString list = sandbox.Path("list/");
        const QString ram = sandbox.Path("ram/");
        tree->OpenPath(list);
        QStringList changes;
        connect(tree.get(), &TDirTree::OnChange, [&](TDirTree*, TDirTreeNode* node) {
            changes << QString::fromStdString(node->Entry()->path);
        });

        QCOMPARE(::mount("tmpfs", ramPoint.c_str(), "tmpfs", 0, "size=64k"), 0);
        QTRY_COMPARE(changes, QStringList{list});
        const QStringList roots = RootPaths(*tree);
        const auto at = roots.indexOf(ram);
        QVERIFY(at > 0 && roots.value(at + 1) == sandbox.Path("zz/"));
        QVERIFY(DriveOrderBefore(roots[at - 1].toStdString(), ram.toStdString()));
        QCOMPARE(tree->SelectedPath(), list);
        QCOMPARE(tree->FindNodeByPath(ram)->childCount(), 0); // probed: nothing to expand
        QCoreApplication::processEvents();
        QCOMPARE(changes.size(), 1);

        // Leaving RAM disks out takes their nodes away, nothing else.
        if (tree->Drives().DriveOf(list.toStdString())->type != TDriveType::drtRamDisk) {
            changes.clear();
            using enum TDriveType;
            tree->SetDriveTypes({drtUnknown, drtRemovable, drtFixed, drtRemote, drtCDRom});
            QVERIFY(!RootPaths(*tree).contains(ram));
            QCOMPARE(tree->SelectedPath(), list);
            tree->SetDriveTypes(kAllDriveTypes);
            QCOMPARE(RootPaths(*tree), roots);
            QCOMPARE(changes, QStringList({list, list}));
        }

        changes.clear();
        QCOMPARE(::umount2(ramPoint.c_str(), 0), 0);
        QTRY_VERIFY(!RootPaths(*tree).contains(ram));
        QCOMPARE(changes, QStringList{list});

        // Moved to another window, the tree reads the drives again at once;
        // with FastLoad a new drive is not probed.
        QCOMPARE(::mount("tmpfs", ramPoint.c_str(), "tmpfs", 0, "size=64k"), 0);
        tree->SetFastLoad(true);
        tree->setParent(&second);
        QCOMPARE(RootPaths(*tree), roots);
        QCOMPARE(tree->SelectedPath(), list);
        QVERIFY(tree->FindNodeByPath(ram)->ChildNode(0)->IsPlaceholder());
    }

    // A loop-mounted ext2 image relabelled between two mounts is another medium.
    void relabelledMediumIsAChangedMedium() {
        Sandbox sandbox;
        for (const char* folder : {"pre", "disk"}) {
            fs::create_directory(sandbox.Native(folder));
        }
        const std::string refused = test::MountPrivateTmpfs(sandbox.Native("pre"));
        if (!refused.empty()) {
            QSKIP(refused.c_str());
        }
        const std::string image = sandbox.Native("disk.img");
        const std::string disk = sandbox.Native("disk");
        const std::string noLoop = test::MountLoopImage("mkfs.ext2 -q -L FIRST", image, disk, 1024);
        const Unmount unmount{{sandbox.Native("pre"), disk}};
        if (!noLoop.empty()) {
            QSKIP(noLoop.c_str());
        }
        fs::create_directory(disk + "/folder");
        fs::create_directory(disk + "/other");
        const std::string labels = sandbox.Native("labels");
        LinkLabel(labels, "FIRST", disk);
        sandbox.drives.diskByLabel = labels;
        auto tree = sandbox.Tree();
        tree->resize(400, 600);
        tree->show();
        QVERIFY(QTest::qWaitForWindowExposed(tree.get()));

        const QString caption = " (" + sandbox.Path("disk") + ")";
        TDirTreeNode* drive = tree->FindNodeByPath(sandbox.Path("disk/"));
        QVERIFY(drive != nullptr && drive->ParentNode() == nullptr);
        QCOMPARE(drive->text(0), "FIRST" + caption);
        QStringList events;
        connect(tree.get(), &TDirTree::OnChange,
                [&](TDirTree*, TDirTreeNode* node) { events << "change " + node->text(0); });
        connect(tree.get(), &TDirTree::OnClick,
                [&](TDirTree* sender) { events << "click " + sender->SelectedNode()->text(0); });
        const auto relabel = [&](const QString& label) {
            return ::umount2(disk.c_str(), 0) == 0 &&
                   Run("e2label " + image + " " + label.toStdString()) &&
                   Run("mount -o loop " + image + " " + disk) &&
                   (LinkLabel(labels, label.toStdString(), disk), true);
        };
        const auto click = [&](QTreeWidgetItem* node) {
            tree->scrollToItem(node);
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                              tree->visualItemRect(node).center());
        };

        // Exchanged while the event loop did not run: a click on a folder of
        // the drive or on the drive itself finds it out, and so does moving the
        // selection with the keyboard. Then the news of those mounts arrives:
        // nothing is read again.
        const QString folder = sandbox.Path("disk/folder");
        const std::pair<QString, std::function<void()>> finds[] = {
            {"SECOND", [&] { click(tree->SelectedNode()); }},
            {"THIRD", [&] { click(drive); }},
            {"FOURTH", [&] { QTest::keyClick(tree.get(), Qt::Key_Down); }},
        };
        for (const auto& [label, action] : finds) {
            tree->OpenPath(folder);
            events.clear();
            QVERIFY(relabel(label));
            action();
            QCOMPARE(events, QStringList{"change " + label + caption});
            QCOMPARE(tree->SelectedNode(), drive);
            QVERIFY(!drive->isExpanded());
            events.clear();
            click(drive);
            QCOMPARE(events, QStringList{"click " + label + caption});
            events.clear();
            QTRY_COMPARE(events, QStringList{"change " + label + caption});
        }

        // Exchanged while the mounts are followed: the device change finds it out.
        events.clear();
        QVERIFY(relabel("FIFTH"));
        QTRY_COMPARE(events, QStringList{"change FIFTH" + caption});
        QCOMPARE(drive->text(0), "FIFTH" + caption);
    }

    // A removable drive is neither probed nor asked for its volume when its
    // node is added: the first click on it reads it, as another medium.
    void aRemovableDriveIsReadAtItsFirstClick() {
        Sandbox sandbox;
        for (const char* folder : {"stick", "sys/devices/sdb/sdb1", "sys/dev/block", "uuids"}) {
            fs::create_directories(sandbox.Native(folder));
        }
        test::WriteTextFile(sandbox.Native("sys/devices/sdb/removable"), "1\n");
        fs::create_directory_symlink("../../devices/sdb/sdb1",
                                     sandbox.Native("sys/dev/block/8:17"));
        fs::create_symlink("../../sdb1", sandbox.Native("uuids/1234-ABCD"));
        test::WriteTextFile(sandbox.Native("mountinfo"),
                            "20 1 0:42 / / rw - overlay overlay rw\n25 20 8:17 / " +
                                sandbox.Native("stick") + " rw - vfat /dev/sdb1 rw\n");
        sandbox.drives = {sandbox.Native("mountinfo"), sandbox.Native("sys/dev/block"),
                          sandbox.Native("labels"), sandbox.Native("uuids")};
        auto tree = sandbox.Tree();
        tree->resize(400, 600);
        tree->show();
        QVERIFY(QTest::qWaitForWindowExposed(tree.get()));
        TDirTreeNode* stick = tree->FindNodeByPath(sandbox.Path("stick/"));
        QVERIFY(stick != nullptr && stick->childCount() == 1); // empty, yet not probed
        QStringList events;
        connect(tree.get(), &TDirTree::OnChange,
                [&](TDirTree*, TDirTreeNode* node) { events << "change " + node->text(0); });
        connect(tree.get(), &TDirTree::OnClick,
                [&](TDirTree* sender) { events << "click " + sender->SelectedNode()->text(0); });
        const QString caption = "(" + sandbox.Path("stick") + ")";
        for (const QString& expected : {"change " + caption, "click " + caption}) {
            events.clear();
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                              tree->visualItemRect(stick).center());
            QCOMPARE(events, QStringList{expected});
        }
    }

    void sharedFoldersCarryTheEmblemWhileShown() {
        Sandbox sandbox;
        fs::create_directories(sandbox.Native("shares/usershares"));
        test::WriteTextFile(sandbox.Native("shares/usershares/pictures"),
                            "#VERSION 2\npath=" + sandbox.Native("list/A") + "\nguest_ok=n\n");
        test::WriteTextFile(sandbox.Native("shares/exports"),
                            sandbox.Native("list/C/sub") + " *(ro,sync)\n");
        auto tree = sandbox.Tree([](TDirTree& t) { t.SetShowShareOverlay(true); });
        tree->OpenPath(sandbox.Path("list/"));
        TDirTreeNode* list = tree->SelectedNode();
        list->setExpanded(true);
        QCOMPARE(Marked(*tree), QStringList{"A"});
        TDirTreeNode* a = list->ChildNode(1);
        QVERIFY(a->icon(0).cacheKey() != a->Image().cacheKey());
        list->ChildNode(3)->setExpanded(true); // C: sub is marked as it is read
        QCOMPARE(Marked(*tree), QStringList({"A", "sub"}));

        tree->SetShowShareOverlay(false);
        QCOMPARE(Marked(*tree), QStringList());
        QCOMPARE(a->icon(0).cacheKey(), a->Image().cacheKey());
        tree->SetShowShareOverlay(true);
        QCOMPARE(Marked(*tree), QStringList({"A", "sub"}));
    }

    // Folders moved on disk, then told: read nodes gain and lose children in
    // place, unread ones get the expand button they now need.
    void foldersMovedInAndOutAreFollowed() {
        Sandbox sandbox;
        auto tree = sandbox.Tree();
        tree->OpenPath(sandbox.Path("list/C/sub/"));
        TDirTreeNode* list = tree->FindNodeByPath(sandbox.Path("list/"));
        TDirTreeNode* a = list->ChildNode(1);
        a->setExpanded(true);
        QCOMPARE(Captions(a), QStringList{"deeper"});
        TDirTreeNode* b = list->ChildNode(2);
        QCOMPARE(b->childCount(), 0);
        QStringList changes;
        connect(tree.get(), &TDirTree::OnChange, [&](TDirTree*, TDirTreeNode* node) {
            changes << QString::fromStdString(node->Entry()->path);
        });

        fs::rename(sandbox.Native("list/C"), sandbox.Native("list/b/C"));
        fs::create_directory(sandbox.Native("list/Ab"));
        for (const char* folder : {"list/", "list/b", "elsewhere/"}) {
            tree->FolderChanged(sandbox.Path(folder));
        }
        QCOMPARE(Captions(list), QStringList({".hidden", "A", "Ab", "b"}));
        QCOMPARE(list->ChildNode(1), a); // kept, with what was read below it
        QVERIFY(a->isExpanded() && Captions(a) == QStringList{"deeper"});
        QVERIFY(b->childCount() == 1 && b->ChildNode(0)->IsPlaceholder());
        QCOMPARE(tree->SelectedNode(), list); // the selected folder went away
        QCOMPARE(changes, QStringList{sandbox.Path("list/")});

        b->setExpanded(true);
        QCOMPARE(Captions(b), QStringList{"C"});
        fs::rename(sandbox.Native("list/b/C"), sandbox.Native("list/C"));
        tree->FolderChanged(sandbox.Path("list/b/"));
        QCOMPARE(Captions(b), QStringList());
        QCOMPARE(changes.size(), 1);
    }

    void filesDroppedOnANodeReachOnDropFiles() {
        Sandbox sandbox;
        auto tree = sandbox.Tree([](TDirTree& t) { t.SetAcceptDropFiles(true); });
        tree->resize(400, 600);
        tree->show();
        QVERIFY(QTest::qWaitForWindowExposed(tree.get()));
        tree->OpenPath(sandbox.Path("list/"));
        TDirTreeNode* list = tree->SelectedNode();
        list->setExpanded(true);
        TDirTreeNode* b = list->ChildNode(2);
        TDirTreeNode* c = list->ChildNode(3);
        tree->scrollToItem(b);
        const QPoint onB = tree->visualItemRect(b).center();
        const QPoint onC = tree->visualItemRect(c).center();
        const QPoint outside(tree->viewport()->width() / 2, tree->viewport()->height() + 20);

        QStringList drops;
        connect(tree.get(), &TDirTree::OnDropFiles,
                [&](TDirTree*, int x, int y, const QString& dir, const QStringList& files,
                    Qt::KeyboardModifiers shift) {
                    drops << QString("%1,%2 %3 %4 %5")
                                 .arg(x)
                                 .arg(y)
                                 .arg(dir, files.join('|'))
                                 .arg(shift.toInt(), 0, 16);
                });
        const QString one = sandbox.Path("list/file.jpg");
        const QString two = sandbox.Path("with space.jpg");
        const QString three = sandbox.Path("list/b");
        const QList<QUrl> files = {QUrl::fromLocalFile(one), QUrl::fromLocalFile(two),
                                   QUrl("https://example.org/web.jpg"), QUrl::fromLocalFile(three)};
        const auto drop = [&](QPoint at, const QList<QUrl>& urls, Qt::KeyboardModifiers keys) {
            QMimeData data;
            data.setUrls(urls);
            const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
            QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, keys);
            QApplication::sendEvent(tree->viewport(), &enter);
            QDragMoveEvent move(at, actions, &data, Qt::LeftButton, keys);
            QApplication::sendEvent(tree->viewport(), &move);
            QDropEvent event(at, actions, &data, Qt::LeftButton, keys);
            QApplication::sendEvent(tree->viewport(), &event);
            return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
        };

        const auto held = Qt::ShiftModifier | Qt::ControlModifier | Qt::KeypadModifier;
        QCOMPARE(drop(onB, files, held), Qt::MoveAction);
        QVERIFY(drops.isEmpty()); // handed on once the drop is over
        QCoreApplication::processEvents();
        QCOMPARE(
            drops,
            QStringList{QString("%1,%2 %3 %4 %5")
                            .arg(onB.x())
                            .arg(onB.y())
                            .arg(sandbox.Path("list/b/"), QStringList({one, two, three}).join('|'))
                            .arg((Qt::ShiftModifier | Qt::ControlModifier).toInt(), 0, 16)});

        const std::pair<QPoint, QList<QUrl>> refused[] = {
            {onB, {QUrl("https://example.org/web.jpg")}}, // nothing local
            {outside, files},                             // not on a node
        };
        for (const auto& [at, urls] : refused) {
            QCOMPARE(drop(at, urls, {}), Qt::IgnoreAction);
        }
        tree->SetAcceptDropFiles(false);
        QCOMPARE(drop(onB, files, {}), Qt::IgnoreAction);
        QCoreApplication::processEvents();
        QCOMPARE(drops.size(), 1);

        // A drag resting on a closed folder opens it.
        tree->SetAcceptDropFiles(true);
        QMimeData data;
        data.setUrls(files);
        QDragEnterEvent enter(onC, Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(tree->viewport(), &enter);
        QDragMoveEvent move(onC, Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(tree->viewport(), &move);
        QVERIFY(!c->isExpanded());
        QTRY_VERIFY(c->isExpanded());
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::TDirTreeWorldTest)
#include "TDirTreeWorldTest.moc"
