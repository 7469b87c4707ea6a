#include <memory>

#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "app/TForm1.h"
#include "app/WidgetTestSupport.h"
#include "browse/TDirTree.h"
#include "browse/TThumbListView.h"
#include "chrome/TRestoreSplitter.h"
#include "document/TChild.h"
#include "imaging/codecs/BmpCodec.h"
#include "settings/IniStuff.h"

namespace pixmoth {

using test::GradientBitmap;
using test::ProgramSandbox;
using test::Trigger;

// The browser panel as the main window wires it: start-up, the splitter's
// restore, tree clicks, the list's double-click and pop-up menu.
class TForm1BrowserTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ProgramSandbox> mSandbox;
    std::unique_ptr<TForm1> mForm;

    QString Folder(const QString& name) const { return mSandbox->Root() + name + "/"; }
    QString WriteBmp(const QString& folder, const QString& name) {
        QDir().mkpath(Folder(folder));
        const QString path = Folder(folder) + name;
        SaveBmp(GradientBitmap(30, 20), path.toStdString());
        return path;
    }
    QStringList Captions() const {
        QStringList captions;
        for (int i = 0; i < mForm->ThumbListView1()->count(); ++i) {
            captions << mForm->ThumbListView1()->item(i)->text();
        }
        return captions;
    }
    // Starts with `folder` stored as the start directory.
    void Start(const QString& folder) {
        IniWriteString(mSandbox->IniFile().toStdString(), "Start with", "StartDir",
                       Folder(folder).toStdString());
        mForm = std::make_unique<TForm1>();
        mForm->FormCreate();
        mForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(mForm.get()));
    }
    void ClickRestoreButton() {
        TRestoreSplitter* splitter = mForm->RestoreSplitter1();
        const QPoint at = splitter->ButtonRect().center();
        test::SendMouse(splitter, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        test::SendMouse(splitter, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        QCoreApplication::sendPostedEvents();
    }

    // Drops local files on the tree's node of `folder`, as a drag does.
    void DropOnTree(const QString& folder, const QStringList& files) {
        TDirTree* tree = mForm->DirTree();
        QTreeWidgetItem* node = tree->FindNodeByPath(folder);
        QVERIFY(node != nullptr);
        tree->scrollToItem(node);
        const QPoint at = tree->visualItemRect(node).center();
        QMimeData data;
        for (const QString& file : files) {
            data.setUrls(data.urls() << QUrl::fromLocalFile(file));
        }
        QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(tree->viewport(), &enter);
        QDropEvent drop(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(tree->viewport(), &drop);
        QCoreApplication::sendPostedEvents();
    }

private slots:
    void initTestCase() { test::SilenceOffscreenNoise(); }

    void init() {
        mSandbox = std::make_unique<ProgramSandbox>();
        // Deleted pictures go to this test's own trash.
        qputenv("HOME", mSandbox->Home().toUtf8());
        qputenv("XDG_DATA_HOME", (mSandbox->Home() + ".local/share").toUtf8());
        WriteBmp(QStringLiteral("start"), QStringLiteral("b.bmp"));
        WriteBmp(QStringLiteral("start"), QStringLiteral("A.bmp"));
        WriteBmp(QStringLiteral("other"), QStringLiteral("c.bmp"));
    }

    void cleanup() {
        if (mForm) {
            for (TChild* child : mForm->Documents()) {
                delete child;
            }
        }
        mForm.reset();
        mSandbox.reset();
    }

    void startUpCollapsesThePanelWithTheListAlreadyFilled() {
        Start(QStringLiteral("start"));
        QCOMPARE(mForm->Panel1()->width(), 1);
        QVERIFY(!mForm->DirTree()->isVisible());
        QVERIFY(mForm->RestoreSplitter1()->Maximized());
        QCOMPARE(mForm->RestoreSplitter1()->RestoreSize(), 222);
        QCOMPARE(mForm->ThumbListView1()->viewMode(), QListView::IconMode);
        QCOMPARE(Captions(), (QStringList{"A.bmp", "b.bmp"}));

        ClickRestoreButton();
        QCOMPARE(mForm->Panel1()->width(), 222);
        QVERIFY(mForm->DirTree()->isVisible());
        QVERIFY(mForm->ThumbListView1()->isVisible());
        QCOMPARE(mForm->DirTree()->SelectedPath(), Folder(QStringLiteral("start")));
        QCOMPARE(Captions(), (QStringList{"A.bmp", "b.bmp"}));
    }

    void aTreeClickListsTheFolderAndOpenStartsThere() {
        Start(QStringLiteral("start"));
        ClickRestoreButton();
        // Moving the selection alone changes nothing; the click does.
        mForm->DirTree()->OpenPath(Folder(QStringLiteral("other")));
        QCOMPARE(mForm->PictureDir(), Folder(QStringLiteral("start")));
        emit mForm->DirTree()->OnClick(mForm->DirTree());
        QCoreApplication::sendPostedEvents();
        QCOMPARE(mForm->PictureDir(), Folder(QStringLiteral("other")));
        QCOMPARE(Captions(), QStringList{"c.bmp"});

        Trigger(mForm->Command(QStringLiteral("Open1Click")));
        QCOMPARE(mSandbox->interaction.shown.last().directory, Folder(QStringLiteral("other")));
    }

    void openingAndDroppingFollowTheFoldersOfThePictures() {
        Start(QStringLiteral("start"));
        mForm->OpenPicture(Folder(QStringLiteral("other")) + "c.bmp");
        QCOMPARE(Captions(), QStringList{"c.bmp"});
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Folder(QStringLiteral("start")) + "A.bmp"),
                      QUrl::fromLocalFile(Folder(QStringLiteral("other")) + "notes.txt")});
        QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(mForm.get(), &enter);
        QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(mForm.get(), &drop);
        QCoreApplication::sendPostedEvents();
        // The tree goes to the last dropped file's folder, picture or not.
        QCOMPARE(mForm->DirTree()->SelectedPath(), Folder(QStringLiteral("other")));
        QCOMPARE(mForm->Documents().size(), 2);
    }

    void aDoubleClickOpensTheSelectedPicture() {
        Start(QStringLiteral("start"));
        ClickRestoreButton();
        TThumbListView* list = mForm->ThumbListView1();
        list->item(1)->setSelected(true);
        emit list->itemDoubleClicked(list->item(1));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(mForm->Documents().size(), 1);
        QCOMPARE(mForm->Documents().first()->PictureFile(),
                 Folder(QStringLiteral("start")) + "b.bmp");
    }

    void deleteSelectedAsksThenMovesTheFilesAway() {
        WriteBmp(QStringLiteral("start"), QStringLiteral("c.bmp"));
        Start(QStringLiteral("start"));
        ClickRestoreButton();
        TThumbListView* list = mForm->ThumbListView1();
        QCOMPARE(mForm->findChild<QMenu*>(QStringLiteral("PopupMenu1"))->actions().size(), 2);
        list->item(0)->setSelected(true);
        list->item(2)->setSelected(true);
        mSandbox->interaction.answers = {false};
        Trigger(mForm->Command(QStringLiteral("DeleteImage1Click")));
        QCOMPARE(mSandbox->interaction.Texts(QStringLiteral("ask")),
                 QStringList{"Do you really want to delete this/these image(s)?"});
        QCOMPARE(Captions(), (QStringList{"A.bmp", "b.bmp", "c.bmp"}));

        mSandbox->interaction.answers = {true};
        Trigger(mForm->Command(QStringLiteral("DeleteImage1Click")));
        QCOMPARE(Captions(), QStringList{"b.bmp"});
        QVERIFY(QFile::exists(mSandbox->Home() + ".local/share/Trash/files/A.bmp"));
        QVERIFY(mSandbox->interaction.Texts(QStringLiteral("tell")).isEmpty());

        Trigger(mForm->Command(QStringLiteral("SelectAll1Click")));
        QCOMPARE(list->selectedItems().size(), 1);
    }

    // Dropped on a folder of the tree, the files move there; the one whose
    // name is taken stays, reported; the list follows whether it shows the
    // folder the files left or the one they went to.
    void filesDroppedOnATreeFolderMoveThere() {
        const QString start = Folder(QStringLiteral("start"));
        const QString other = Folder(QStringLiteral("other"));
        const QString loose = WriteBmp(QStringLiteral("loose"), QStringLiteral("d.bmp"));
        QFile::copy(other + "c.bmp", other + "b.bmp");
        const auto contents = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray takenName = contents(other + "b.bmp");
        Start(QStringLiteral("start"));
        ClickRestoreButton();

        DropOnTree(other, {start + "A.bmp", start + "b.bmp", loose});
        QVERIFY(QFile::exists(other + "A.bmp") && QFile::exists(other + "d.bmp"));
        QVERIFY(!QFile::exists(start + "A.bmp") && !QFile::exists(loose));
        QCOMPARE(contents(other + "b.bmp"), takenName);
        QVERIFY(QFile::exists(start + "b.bmp"));
        QCOMPARE(mSandbox->interaction.Texts(QStringLiteral("tell")),
                 QStringList{"These files could not be moved to " + other + ":\n\n" + start +
                             "b.bmp: a file of that name is already there"});
        QCOMPARE(Captions(), QStringList{"b.bmp"});

        DropOnTree(start, {other + "d.bmp"});
        QCOMPARE(Captions(), (QStringList{"b.bmp", "d.bmp"}));
        QCOMPARE(mSandbox->interaction.Texts(QStringLiteral("tell")).size(), 1);
    }

    // A folder dropped on another moves there in the tree as on disk, and the
    // list and the tree's selection inside it go along.
    void aFolderDroppedOnTheTreeTakesTheListAlong() {
        const QString start = Folder(QStringLiteral("start"));
        const QString moved = Folder(QStringLiteral("other/start"));
        Start(QStringLiteral("start"));
        ClickRestoreButton();
        TDirTree* tree = mForm->DirTree();
        QVERIFY(tree->FindNodeByPath(start) != nullptr);

        DropOnTree(Folder(QStringLiteral("other")), {start.chopped(1)});
        QVERIFY(QFile::exists(moved + "A.bmp") && !QFile::exists(start));
        QVERIFY(tree->FindNodeByPath(start) == nullptr);
        QCOMPARE(tree->SelectedPath(), moved);
        QCOMPARE(mForm->ThumbListView1()->CurrentDir(), moved);
        QCOMPARE(mForm->PictureDir(), moved);
        QCOMPARE(Captions(), (QStringList{"A.bmp", "b.bmp"}));
        QVERIFY(mSandbox->interaction.Texts(QStringLiteral("tell")).isEmpty());
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::TForm1BrowserTest)
#include "TForm1BrowserTest.moc"
