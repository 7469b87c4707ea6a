#include <filesystem>
#include <memory>

#include <QDir>
#include <QtTest>

#include <sys/mount.h>

#include "app/WidgetTestSupport.h"
#include "browse/BrowseTestSupport.h"
#include "browse/DirTreeSandbox.h"
#include "browse/FolderReader.h"
#include "browse/TDirTree.h"

namespace pixmoth {

namespace fs = std::filesystem;

using test::Sandbox;

namespace {

QStringList Captions(const QTreeWidgetItem* node) {
    QStringList captions;
    for (int i = 0; node != nullptr && i < node->childCount(); ++i) {
        captions << node->child(i)->text(0);
    }
    return captions;
}

TDirTreeNode* Opened(TDirTree& tree, const QString& path) {
    tree.OpenPath(path);
    return tree.SelectedNode();
}

} // namespace

class TDirTreeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::SilenceOffscreenNoise(); }

    void sortsFoldersAndFiltersThemByDirTypes() {
        Sandbox sandbox;
        auto tree = sandbox.Tree();
        const QString list = sandbox.Path("list/");
        QCOMPARE(Captions(Opened(*tree, list)), QStringList({".hidden", "A", "b", "C"}));

        using enum TDirType;
        const std::pair<TDirTypes, QStringList> rows[] = {
            {{dtNormal}, {"A", "b", "C"}},
            {{dtNormal, dtHidden}, {".hidden", "A", "b", "C"}},
            {{dtNormal, dtAll}, {".hidden", "A", "b", "C"}},
        };
        for (const auto& [types, expected] : rows) {
            tree->SetDirTypes(types); // reloads, keeping the selection
            QCOMPARE(tree->SelectedPath(), list);
            QCOMPARE(Captions(tree->SelectedNode()), expected);
        }
    }

    void trashFoldersAreListedWithNothingBelow() {
        Sandbox sandbox;
        for (const char* folder :
             {"list/.Trash-1000/files", "list/.Trash/1000", "data/Trash/files"}) {
            fs::create_directories(sandbox.Native(folder));
        }
        auto tree = sandbox.Tree();
        for (const char* trash : {"list/.Trash-1000/", "list/.Trash/", "data/Trash/"}) {
            TDirTreeNode* node = Opened(*tree, sandbox.Path(trash));
            QVERIFY2(node != nullptr, trash);
            QCOMPARE(tree->SelectedPath(), sandbox.Path(trash));
            node->setExpanded(true);
            QCOMPARE(node->childCount(), 0);
        }
        tree->OpenPath(sandbox.Path("list/.Trash-1000/files/"));
        QCOMPARE(tree->SelectedPath(), sandbox.Path("data/Trash/"));

        tree->SetGoBelowRecycleBin(true);
        QCOMPARE(Captions(Opened(*tree, sandbox.Path("list/.Trash-1000/"))), QStringList{"files"});
    }

    void unreadableFolderShowsNoChildrenAndRaisesNothing() {
        Sandbox sandbox;
        fs::create_directories(sandbox.Native("list/locked/inside"));
        fs::permissions(sandbox.Native("list/locked"), fs::perms::none);
        struct Unlock {
            std::string folder;
            ~Unlock() { fs::permissions(folder, fs::perms::owner_all); }
        } unlock{sandbox.Native("list/locked")};
        const test::AsNormalUser user;
        if (!user.Reason().empty()) {
            QSKIP(user.Reason().c_str());
        }
        auto tree = sandbox.Tree();
        TDirTreeNode* list = Opened(*tree, sandbox.Path("list/"));
        list->setExpanded(true);
        TDirTreeNode* locked = tree->FindNodeByPath(sandbox.Path("list/locked/"));
        QVERIFY(locked != nullptr);
        QCOMPARE(locked->childCount(), 0); // probed: no expand button
        locked->setExpanded(true);
        QCOMPARE(locked->childCount(), 0);
        tree->OpenPath(sandbox.Path("list/locked/"));
        QCOMPARE(tree->SelectedPath(), sandbox.Path("list/locked/"));
    }

    // A real tmpfs in a mount namespace of this process alone: a RAM-disk
    // drive of its own, found as the drive of paths below it.
    void tmpfsMountIsARamDiskDrive() {
        Sandbox sandbox;
        fs::create_directory(sandbox.Native("ram"));
        const std::string refused = test::MountPrivateTmpfs(sandbox.Native("ram"));
        if (!refused.empty()) {
            QSKIP(refused.c_str());
        }
        struct Unmount {
            std::string at;
            ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
        } unmount{sandbox.Native("ram")};

        const QString ram = sandbox.Path("ram/");
        auto tree = sandbox.Tree();
        TDirTreeNode* drive = tree->FindNodeByPath(ram);
        QVERIFY(drive != nullptr);
        QCOMPARE(drive->ParentNode(), nullptr);
        QCOMPARE(drive->text(0), "(" + sandbox.Path("ram") + ")");
        QVERIFY(tree->Drives().Find(ram.toStdString())->type == TDriveType::drtRamDisk);
        QCOMPARE(drive->childCount(), 0); // probed, and empty

        fs::create_directory(sandbox.Native("ram/shots"));
        TDirTreeNode* shots = Opened(*tree, ram + "shots");
        QVERIFY(shots != nullptr);
        QCOMPARE(shots->ParentNode()->Entry()->path, ram.toStdString());

        // FastLoad gives every drive an expand button without probing it;
        // expanding an empty drive takes the button away.
        fs::remove(sandbox.Native("ram/shots"));
        auto fast = sandbox.Tree([&](TDirTree& t) {
            t.SetFastLoad(true);
            t.SetInitialDirectory(sandbox.Path("list/"));
        });
        for (int i = 0; i < fast->topLevelItemCount(); ++i) {
            const TDirTreeNode* node = TDirTreeNode::Cast(fast->topLevelItem(i));
            if (!node->Entry()->childrenRead) { // the drive of list/ was read when opened
                QCOMPARE(Captions(node), QStringList{QString()});
            }
        }
        TDirTreeNode* fastDrive = fast->FindNodeByPath(ram);
        fastDrive->setExpanded(true);
        QCOMPARE(fastDrive->childCount(), 0);
    }

    void openPathAndSelectedPath() {
        Sandbox sandbox;
        auto empty = sandbox.Tree([](TDirTree& t) { t.SetReadOnStart(false); });
        QCOMPARE(empty->SelectedPath(), "?");

        auto tree = sandbox.Tree();
        QCOMPARE(tree->FindNodeByPath(sandbox.Path("list/")), nullptr); // reads nothing
        const std::string cwd = QDir::currentPath().toStdString() + "/";
        const QString cwdDrive = QString::fromStdString(tree->Drives().DriveOf(cwd)->path);
        const std::pair<QString, QString> rows[] = {
            {sandbox.Path("list/A"), sandbox.Path("list/A/")},
            {"", sandbox.Path("home/")},
            {"?", sandbox.Path("home/")},
            {sandbox.Path("list//C/../b/."), sandbox.Path("list/b/")},
            {sandbox.Path("missing/"), cwdDrive},
        };
        for (const auto& [path, expected] : rows) {
            tree->OpenPath(path);
            QCOMPARE(tree->SelectedPath(), expected);
        }

        TDirTreeNode* list = Opened(*tree, sandbox.Path("list/"));
        QVERIFY(list->ParentNode()->isExpanded()); // scrolled into view
        QCOMPARE(tree->FindNodeByPath(sandbox.Path("list/b/")), list->ChildNode(2));
        list->setExpanded(true);
        TDirTreeNode* placeholder = list->ChildNode(3)->ChildNode(0); // C holds sub
        QVERIFY(placeholder->IsPlaceholder());
        tree->setCurrentItem(placeholder);
        QCOMPARE(tree->SelectedPath(), QString());
    }

    void changeOnSelectionClickOnClick() {
        Sandbox sandbox;
        auto tree = sandbox.Tree();
        tree->resize(400, 600);
        tree->show();
        QVERIFY(QTest::qWaitForWindowExposed(tree.get()));
        QStringList events;
        connect(tree.get(), &TDirTree::OnChange,
                [&](TDirTree*, TDirTreeNode* node) { events << "change " + node->text(0); });
        connect(tree.get(), &TDirTree::OnClick,
                [&](TDirTree* sender) { events << "click " + sender->SelectedNode()->text(0); });

        TDirTreeNode* list = Opened(*tree, sandbox.Path("list/"));
        QCOMPARE(events, QStringList{"change list"});
        list->setExpanded(true);
        TDirTreeNode* b = list->ChildNode(2);
        tree->scrollToItem(b);
        const QPoint at = tree->visualItemRect(b).center();
        const std::pair<std::function<void()>, QStringList> rows[] = {
            {[&] { QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at); },
             {"change b", "click b"}},
            {[&] { QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at); }, {"click b"}},
            {[&] { QTest::keyClick(tree.get(), Qt::Key_Down); }, {"change C"}},
            {[&] { tree->ReadDrives(); }, {}},
        };
        for (const auto& [action, expected] : rows) {
            events.clear();
            action();
            QCOMPARE(events, expected);
        }
        const std::string drive = tree->Drives().DriveOf(sandbox.Native("list/"))->path;
        QCOMPARE(tree->LastPath(drive), sandbox.Native("list/C/"));
        QCOMPARE(tree->SelectedPath(), "?");
    }

    void onAddDirVetoesAndOnFindDirReplacesTheDisk() {
        Sandbox sandbox;
        const QString list = sandbox.Path("list/");
        auto tree = sandbox.Tree([&](TDirTree& t) {
            t.SetOnAddDir(
                [&](TDirTree*, const QString& path, bool& doAdd) { doAdd = path != list + "b/"; });
        });
        QCOMPARE(Captions(Opened(*tree, list)), QStringList({".hidden", "A", "C"}));

        // The handler serves the list folder from memory and the rest from disk.
        const std::vector<TDirRec> virtualEntries = {
            {faDirectory, "zz"}, {0, "file"}, {faDirectory, "Mm"}, {faDirectory, "b"}};
        std::size_t next = 0;
        std::unique_ptr<FolderReader> reader;
        auto served = sandbox.Tree([&](TDirTree& t) {
            t.SetOnFindDir(
                [&](TDirTree*, const QString& path, TDirRec& rec, int& result, bool first) {
                    if (path == list) {
                        next = first ? 0 : next + 1;
                        if (next < virtualEntries.size()) {
                            rec = virtualEntries[next];
                            result = 0;
                        }
                        return;
                    }
                    if (first) {
                        reader = std::make_unique<FolderReader>(path.toStdString());
                    }
                    if (reader->Next(rec)) {
                        result = 0;
                    }
                });
        });
        QCOMPARE(Captions(Opened(*served, list)), QStringList({"b", "Mm", "zz"}));
    }

    void onGetIconMayChangeImagesAndOnDeleteItemFollowsFreedEntries() {
        Sandbox sandbox;
        const QIcon mark = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        auto tree = sandbox.Tree();
        connect(tree.get(), &TDirTree::OnGetIcon, [&](TDirTree*, TDirTreeNode* node) {
            if (node->text(0) == "A") {
                node->SetImage(mark);
            }
        });
        TDirTreeNode* list = Opened(*tree, sandbox.Path("list/"));
        QCOMPARE(list->Image().cacheKey() == list->SelectedImage().cacheKey(), false);
        list->setExpanded(true);
        QCOMPARE(list->ChildNode(1)->Image().cacheKey(), mark.cacheKey());

        int deleted = 0;
        int withEntry = 0;
        connect(tree.get(), &TDirTree::OnDeleteItem, [&](TDirTree*, TDirTreeNode* node) {
            ++deleted;
            withEntry += node->Entry() != nullptr ? 1 : 0;
        });
        const int listed = list->childCount();
        tree->ReadDrives();
        QVERIFY(deleted > 4 + listed);
        QCOMPARE(withEntry, 0);
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::TDirTreeTest)
#include "TDirTreeTest.moc"
