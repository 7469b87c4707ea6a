#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QList>
#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QStringList>

class QAction;
class QLayout;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;

namespace pixmoth {

class StatusPanel;
class TAboutBoxDlg;
class TChild;
class TDirTree;
class TRestoreSplitter;
class TSaveBounds;
class TSplitter;
class TThumbListView;

// The main window: a frame of document windows over a tiled background, a tool
// bar for the program's jobs, the browser panel on the left (collapsed to one
// pixel), and the program-wide state the other windows read and write.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Start-up: program directory, settings file, Shots directory, start
    // directory and stored bounds. Throws when the program directory cannot be
    // created; the window then keeps its defaults.
    void FormCreate();

    // Opens a picture in a new document window: JPEG for ".jpg"/".jpeg", BMP
    // for ".bmp" (any case), an empty picture for anything else. A picture that
    // cannot be decoded throws and no window is created.
    void OpenPicture(const QString& path);
    // Opens the JPEG and BMP files among `paths` and skips the rest, as for files
    // dropped on the window. A file that fails is reported after the others
    // were opened.
    void OpenDroppedFiles(const QStringList& paths);
    // The program's arguments: pictures to open as if dropped. Anything else is
    // reported in one message.
    void OpenCommandLine(const QStringList& arguments);
    // Closes every document window, each asking to save when changed; false when
    // one of them stays open.
    bool CloseAllDocuments();
    // Opens the clipboard's picture in a new document window without a file,
    // or says that there is none.
    void PasteAsNewImage();
    // The printer every print goes to, as the Print dialog last set it.
    QPrinter& Printer();

    const QString& IniFileName() const { return mIniFileName; }
    const QString& HelpFileName() const { return mHelpFileName; }
    const QString& ShotsDir() const { return mShotsDir; }
    const QString& PictureDir() const { return mPictureDir; }
    void SetPictureDir(const QString& directory) { mPictureDir = directory; }
    const QString& LastShotFile() const { return mLastShotFile; }
    void SetLastShotFile(const QString& path) { mLastShotFile = path; }
    QString HomeDirectory() const;
    const QPixmap& BackgroundTile() const { return mBackgroundTile; }

    QMdiArea* MdiArea() const { return mMdiArea; }
    QList<TChild*> Documents() const;
    // The document window the user works in, or null.
    TChild* ActiveDocument() const;
    // The browser panel on the left: the directory tree above the thumbnail
    // list, collapsed and restored by the splitter on its right.
    QWidget* Panel1() const { return mPanel1; }
    TDirTree* DirTree() const { return mDirTree; }
    TThumbListView* ThumbListView1() const { return mThumbListView1; }
    TRestoreSplitter* RestoreSplitter1() const { return mRestoreSplitter1; }
    QString StatusText() const;
    const QList<QMenu*>& MainMenus() const { return mMenus; }
    QAction* Command(const QString& handler) const;
    TAboutBoxDlg* About() const { return mAbout; }
    // Every document window registers here when it is created.
    void AddDocument(TChild* child);
    // Makes `menu` (a Window menu) list the document windows below its
    // commands each time it opens, the active one checked; choosing one
    // activates it.
    void ListDocumentsIn(QMenu* menu);

public slots:
    void Open1Click();
    void Exit1Click();
    void Tile1Click();
    void Cascade1Click();
    void CloseAll1Click();
    void Help2Click();
    void About1Click();
    void actShootExecute();
    void actEditExecute();
    void PasteActionExecute();
    // Enabled while the clipboard holds a picture.
    void PasteActionUpdate();
    void DirTreeClick();
    // Files dropped on a folder of the tree are moved into it, never replacing
    // a file there; the files that cannot be moved are listed in one message,
    // and the thumbnail list follows when it shows either folder. Folders
    // moved go to their new place in the tree too.
    void DirTreeDropFiles(TDirTree* Sender, int X, int Y, const QString& aDropDir,
                          const QStringList& aDropFiles, Qt::KeyboardModifiers Shift);
    void ThumbListView1DblClick();
    void DeleteImage1Click();
    void SelectAll1Click();
    void RestoreSplitter1CanResize(QObject* Sender, int& NewSize, bool& Accept);
    void RestoreSplitter1Restore(QObject* Sender);
    // The icon converter on the active document's picture, modal.
    void actIconExecute();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    // Panel1 with the tree, its splitter and the thumbnail list, and the
    // restore splitter beside it (TForm1Browser.cpp, with their handlers).
    void BuildBrowser(QLayout* layout);
    // Start-up steps of the browser: the list's view, the tree's drives, the
    // panel collapsed by the splitter, which fills the list on the way.
    void SetUpBrowser();
    // Where Open starts: the tree's selected folder, or PictureDir while the
    // tree has none.
    QString OpenDialogDirectory() const;
    // A folder a drop moved: its path before and after, with trailing '/'.
    struct MovedFolder {
        std::string from;
        std::string to;
    };
    // The tree shows the moved folders in their new place, and the tree's
    // selection, the thumbnail list and PictureDir follow them there when
    // they were inside one. True when the list was filled.
    bool FollowMovedFolders(const std::vector<MovedFolder>& moved, const std::string& into);
    void SubWindowActivated(QMdiSubWindow* window);
    void DocumentDestroyed();
    void ShowMenus(const QList<QMenu*>& menus);

    QString mIniFileName;
    QString mHelpFileName;
    QString mPictureDir;
    QString mLastShotFile;
    QString mShotsDir;
    QPixmap mBackgroundTile;

    QMdiArea* mMdiArea;
    QWidget* mPanel1;
    TDirTree* mDirTree = nullptr;
    TSplitter* mSplitter1 = nullptr;
    TThumbListView* mThumbListView1 = nullptr;
    TRestoreSplitter* mRestoreSplitter1 = nullptr;
    QMenu* mPopupMenu1 = nullptr;
    StatusPanel* mStatusPanel;
    TSaveBounds* mSaveBounds;
    TAboutBoxDlg* mAbout;
    QList<QMenu*> mMenus;
    QPointer<TChild> mActiveDocument;
    std::unique_ptr<QPrinter> mPrinter;
    // Where the next new document window goes (see CascadeSlot).
    int mCascadeSlot = 0;
};

} // namespace pixmoth
