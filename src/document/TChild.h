#pragma once

#include <QList>
#include <QMdiSubWindow>
#include <QString>

#include "document/EditHistory.h"
#include "imaging/bitmap/Bitmap.h"

class QAction;
class QMenu;
class QScrollArea;
class QStatusBar;
class QToolBar;

namespace pixmoth {

class ImageControl;
class StatusPanel;
class TForm1;
struct ToolCommand;

// A document window: one picture under a small zoom tool bar, a status bar with
// the mouse position, its own menu bar (shown in place of the main window's
// while it is active), the edit history and the close query.
//
// "Client" below means the area inside the window frame: tool bar, picture and
// status bar. The picture is held as a Bitmap in the pixel format its source
// gave; the Tools commands bring it to 24 bits.
class TChild : public QMdiSubWindow {
    Q_OBJECT

public:
    explicit TChild(TForm1* mainForm);
    ~TChild() override;

    // Takes over `picture` and gives the window its natural size: the picture
    // at full size, the client at least 140 pixels wide.
    void SetPicture(Bitmap picture);
    // The same for a picture from the clipboard: the client exactly as wide as
    // the picture.
    void SetPastedPicture(Bitmap picture);
    const Bitmap& Picture() const { return mPicture; }

    const QString& PictureFile() const { return mPictureFile; }
    void SetPictureFile(const QString& path);

    int PictureWidth() const { return mPictureWidth; }
    int PictureHeight() const { return mPictureHeight; }
    int NaturalClientWidth() const { return mNaturalClientWidth; }
    int NaturalClientHeight() const { return mNaturalClientHeight; }
    bool Changed() const { return mHistory.Changed(); }
    const EditHistory& History() const { return mHistory; }

    QSize ClientSize() const;
    // The window around a client of that size, kept inside the frame's work
    // area: shrunk to it (the picture then scrolls) and moved left and up
    // where needed.
    void SetClientSize(int width, int height);

    ImageControl* Image() const { return mImage; }
    QToolBar* ToolBar1() const { return mToolBar; }
    QStatusBar* StatusBar1() const { return mStatusBar; }
    QString StatusText(int panel) const;
    // The menus that replace the main window's while this window is active.
    const QList<QMenu*>& Menus() const { return mMenus; }
    // The picture's context menu.
    QMenu* PopupMenu1() const { return mPopupMenu; }
    QAction* Command(const QString& handler) const;

    // Adopts the picture's size after a change that may have resized it; the
    // zoom state stays.
    void SyncSizeToPicture();

    void ZoomIn();
    void ZoomOut();
    void ResetZoom();
    void FitWindowToImage();

    // Toggles the shared selection's outline on this window's picture.
    void DrawSelection();
    void ClearSelection();
    // The selected part of the picture onto the clipboard, pixel for pixel;
    // the selection is then erased and cleared.
    void CopySelectionToClipboard();

    // Called by the main window when this window becomes, or stops being, the
    // one the user works in.
    void FormActivate();
    void FormDeactivate();

    // True when the window may close: nothing changed since the picture was
    // opened or last saved, the picture is empty, the user answered No, or the
    // picture was saved. A failed or cancelled save keeps the window open.
    bool FormCloseQuery();
    // The Save As dialog and everything after it; false when cancelled.
    bool SavePictureAs();
    // Writes the picture under `name` (see WritePictureFileName), replacing an
    // existing file only once the new one is complete; the picture then counts
    // as unchanged.
    void WritePicture(const QString& name);

public slots:
    void SaveAs1Click();
    void Print1Click();
    void Printdialog2Click();
    void Sendasmail1Click();
    void actWallpaperExecute();
    void actCopyToClipboardExecute();
    // Enabled while a selection exists.
    void actCopyToClipboardUpdate();
    void PasteActionExecute();
    // Enabled while the clipboard holds a picture.
    void PasteActionUpdate();
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();
    void actUndoExecute();
    void actRedoExecute();
    void actSelectAllExecute();
    void actImgEnhanceExecute();
    void actResampleExecute();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void AdoptPicture(Bitmap picture, int minimumClientWidth);
    void RunToolCommand(const ToolCommand& command);
    // A dialog's result becomes the picture, recorded in the history.
    void TakeDialogResult(const Bitmap& result);
    // Shows the picture again after its pixels or its memory changed.
    void PictureChanged();
    void ImageMouseDown(QPoint position, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void ImageMouseMove(QPoint position, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void SetScrollBarsEnabled(bool horizontal, bool vertical);
    void Zoom(int (*step)(int));

    TForm1* mMainForm;
    Bitmap mPicture;
    EditHistory mHistory;
    QString mPictureFile;
    int mPictureWidth = 0;
    int mPictureHeight = 0;
    int mNaturalClientWidth = 0;
    int mNaturalClientHeight = 0;
    bool mZoomBaseSet = false;

    QWidget* mClient;
    QToolBar* mToolBar;
    QScrollArea* mScrollArea;
    ImageControl* mImage;
    QStatusBar* mStatusBar;
    StatusPanel* mPanels[2];
    QList<QMenu*> mMenus;
    QMenu* mPopupMenu = nullptr;
};

} // namespace pixmoth
