#include "document/TChild.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMenu>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/TForm1.h"
#include "browse/TThumbListView.h"
#include "document/DocumentPlacement.h"
#include "document/ImageControl.h"
#include "document/PictureClipboard.h"
#include "document/PicturePrinter.h"
#include "document/SaveNames.h"
#include "document/Selection.h"
#include "document/SelectionCopy.h"
#include "document/TSendMail.h"
#include "document/ToolCommands.h"
#include "document/WallpaperCopy.h"
#include "document/ZoomSteps.h"
#include "imaging/codecs/PictureFile.h"
#include "imaging/dialogs/TFResample.h"
#include "imaging/dialogs/TPicEnhanceForm.h"
#include "platform/Commands.h"
#include "platform/Interaction.h"
#include "platform/Paths.h"
#include "platform/QtPaths.h"
#include "platform/Shortcuts.h"
#include "platform/StatusPanel.h"
#include "platform/WaitCursor.h"
#include "settings/IniStuff.h"

namespace pixmoth {

namespace {

constexpr int kMinimumClientWidth = 140;
// Sender and recipient of a mail until the user fills in the real one.
const char* const kMailAddress = "friend@example.org";
const char* const kSaveFilter = "Jpeg Image (*.jpg);;Bitmap (*.bmp);;PNG Image (*.png)";

bool ExactlyLeftButton(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    return buttons == Qt::LeftButton && (modifiers & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

TChild::TChild(TForm1* mainForm)
    : mMainForm(mainForm), mClient(new QWidget(this)), mToolBar(new QToolBar(mClient)),
      mScrollArea(new QScrollArea(mClient)), mImage(new ImageControl),
      mStatusBar(new QStatusBar(mClient)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Child"));
    setMinimumSize(80, 80);
    setWindowIcon(mainForm->windowIcon());

    BuildMenus();
    BuildToolBar();
    // The frame's own menu closes the window with the keys the File menu's
    // Close shows; one of the two must let go of them, or neither answers.
    if (QMenu* frameMenu = systemMenu()) {
        for (QAction* action : frameMenu->actions()) {
            if (action->shortcuts() == QKeySequence::keyBindings(QKeySequence::Close)) {
                action->setShortcuts({});
            }
        }
    }

    mScrollArea->setFrameShape(QFrame::NoFrame);
    mScrollArea->setWidgetResizable(false);
    mScrollArea->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    mScrollArea->setWidget(mImage);
    // Scroll bars only when the window is smaller than its picture; no minimum
    // of the scroll area's own, so the client can be exactly the picture's size.
    mScrollArea->setMinimumSize(1, 1);
    mScrollArea->verticalScrollBar()->setSingleStep(30);
    mImage->resize(0, 0);
    mImage->SetPicture(&mPicture);
    mImage->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mImage, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { mPopupMenu->popup(mImage->mapToGlobal(at)); });
    connect(mImage, &ImageControl::MousePressed, this, &TChild::ImageMouseDown);
    connect(mImage, &ImageControl::MouseMoved, this, &TChild::ImageMouseMove);

    for (int i = 0; i < 2; ++i) {
        mPanels[i] = new StatusPanel(i == 0 ? 100 : 50, mStatusBar);
        mStatusBar->addWidget(mPanels[i]);
    }
    mStatusBar->setSizeGripEnabled(false);
    mStatusBar->setFixedHeight(mStatusBar->sizeHint().height());

    auto* layout = new QVBoxLayout(mClient);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mToolBar);
    layout->addWidget(mScrollArea, 1);
    layout->addWidget(mStatusBar);
    setWidget(mClient);

    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &TChild::PasteActionUpdate);
    PasteActionUpdate();
    actCopyToClipboardUpdate();
}

TChild::~TChild() {
    // The menus may be in the main window's menu bar; they go with the window.
    qDeleteAll(mMenus);
    delete mPopupMenu;
}

void TChild::BuildMenus() {
    auto* file = new QMenu(QStringLiteral("&File"));
    ConnectCommand(NewCommand(this, file, QStringLiteral("&Open..."), QStringLiteral("Open1Click"),
                              QStringLiteral("Open picture")),
                   mMainForm, &TForm1::Open1Click);
    file->addSeparator();
    ConnectCommand(NewCommand(this, file, QStringLiteral("Print dialog"),
                              QStringLiteral("Printdialog2Click"),
                              QStringLiteral("Choose the printer and its settings")),
                   this, &TChild::Printdialog2Click);
    ConnectCommand(NewCommand(this, file, QStringLiteral("Print"), QStringLiteral("Print1Click"),
                              QStringLiteral("Print the picture on the current printer")),
                   this, &TChild::Print1Click);
    ConnectCommand(NewCommand(this, file, QStringLiteral("Send as mail"),
                              QStringLiteral("Sendasmail1Click"),
                              QStringLiteral("Send the picture's file as a mail attachment")),
                   this, &TChild::Sendasmail1Click);
    file->addSeparator();
    ConnectCommand(NewCommand(this, file, QStringLiteral("Save As"), QStringLiteral("SaveAs1Click"),
                              QStringLiteral("Save current picture as *.jpg")),
                   this, &TChild::SaveAs1Click);
    file->addSeparator();
    ConnectCommand(NewCommand(this, file, QStringLiteral("&Close"), QStringLiteral("Close1Click"),
                              QStringLiteral("Close this picture")),
                   this, &QWidget::close);
    ConnectCommand(
        NewCommand(this, file, QStringLiteral("Close All"), QStringLiteral("CloseAll2Click")),
        mMainForm, &TForm1::CloseAll1Click);

    auto* edit = new QMenu(QStringLiteral("&Edit"));
    QAction* undo = NewCommand(this, edit, QStringLiteral("Undo"), QStringLiteral("actUndo"));
    undo->setIcon(QIcon(QStringLiteral(":/menu/undo.png")));
    ConnectCommand(undo, this, &TChild::actUndoExecute);
    QAction* redo = NewCommand(this, edit, QStringLiteral("Redo"), QStringLiteral("actRedo"));
    redo->setIcon(QIcon(QStringLiteral(":/menu/redo.png")));
    ConnectCommand(redo, this, &TChild::actRedoExecute);
    edit->addSeparator();
    QAction* selectAll =
        NewCommand(this, edit, QStringLiteral("Select All"), QStringLiteral("actSelectAll"));
    ConnectCommand(selectAll, this, &TChild::actSelectAllExecute);
    edit->addSeparator();
    QAction* wallpaper =
        NewCommand(this, edit, QStringLiteral("Set as wallpaper"), QStringLiteral("actWallpaper"),
                   QStringLiteral("Make the picture's file the desktop wallpaper"));
    ConnectCommand(wallpaper, this, &TChild::actWallpaperExecute);
    QAction* copy = NewCommand(this, edit, QStringLiteral("Copy  to clipboard"),
                               QStringLiteral("actCopyToClipboard"),
                               QStringLiteral("Copy the selected rectangle to the clipboard"));
    ConnectCommand(copy, this, &TChild::actCopyToClipboardExecute);
    ConnectCommand(NewCommand(this, edit, QStringLiteral("Paste as Image"),
                              QStringLiteral("PasteAction"),
                              QStringLiteral("Open the clipboard's picture in a new window")),
                   this, &TChild::PasteActionExecute);

    auto* tools = new QMenu(QStringLiteral("&Tools"));
    for (const ToolCommand& command : ToolCommands()) {
        QAction* action = NewCommand(this, tools, QString::fromUtf8(command.caption),
                                     QString::fromLatin1(command.handler));
        connect(
            action, &QAction::triggered, this, [this, &command] { RunToolCommand(command); },
            Qt::QueuedConnection);
    }
    tools->addSeparator();
    QAction* enhance =
        NewCommand(this, tools, QStringLiteral("Image Enhancements"),
                   QStringLiteral("actImgEnhance"), QStringLiteral("Image Enhancements"));
    enhance->setIcon(QIcon(QStringLiteral(":/menu/enhance.png")));
    ConnectCommand(enhance, this, &TChild::actImgEnhanceExecute);
    QAction* resample =
        NewCommand(this, tools, QStringLiteral("Resample Image"), QStringLiteral("actResample"));
    resample->setIcon(QIcon(QStringLiteral(":/menu/resample.png")));
    ConnectCommand(resample, this, &TChild::actResampleExecute);

    tools->addSeparator();
    tools->addAction(mMainForm->Command(QStringLiteral("actIcon")));

    auto* window = new QMenu(QStringLiteral("&Window"));
    ConnectCommand(NewCommand(this, window, QStringLiteral("&Tile"), QStringLiteral("Tile1Click")),
                   mMainForm, &TForm1::Tile1Click);
    ConnectCommand(
        NewCommand(this, window, QStringLiteral("&Cascade"), QStringLiteral("Cascade1Click")),
        mMainForm, &TForm1::Cascade1Click);
    ConnectCommand(
        NewCommand(this, window, QStringLiteral("Close All"), QStringLiteral("CloseAll1Click")),
        mMainForm, &TForm1::CloseAll1Click);
    mMainForm->ListDocumentsIn(window);

    auto* help = new QMenu(QStringLiteral("&Help"));
    ConnectCommand(NewCommand(this, help, QStringLiteral("Help"), QStringLiteral("Help2Click")),
                   mMainForm, &TForm1::Help2Click);
    ConnectCommand(
        NewCommand(this, help, QStringLiteral("&About..."), QStringLiteral("About1Click")),
        mMainForm, &TForm1::About1Click);

    mMenus = {file, edit, tools, window, help};

    mPopupMenu = new QMenu;
    mPopupMenu->addAction(selectAll);
    mPopupMenu->addSeparator();
    mPopupMenu->addAction(copy);
    mPopupMenu->addAction(wallpaper);
}

void TChild::BuildToolBar() {
    mToolBar->setMovable(false);
    mToolBar->setFloatable(false);
    mToolBar->setIconSize(QSize(16, 16));
    mToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const struct {
        const char* caption;
        const char* handler;
        const char* tip;
        void (TChild::*slot)();
    } zoomButtons[] = {{"+", "ToolButton1", "Zoom in", &TChild::ToolButton1Click},
                       {"-", "ToolButton2", "Zoom out", &TChild::ToolButton2Click},
                       {"0", "ToolButton3", "Actual size", &TChild::ToolButton3Click}};
    for (const auto& button : zoomButtons) {
        const QString handler = QString::fromLatin1(button.handler);
        QAction* action = NewCommand(this, nullptr, QString::fromLatin1(button.caption), handler);
        // A bare "0" says little; the tip names the command and its key.
        action->setToolTip(QStringLiteral("%1 (%2)").arg(
            QLatin1String(button.tip),
            StandardShortcuts(handler).value(0).toString(QKeySequence::NativeText)));
        mToolBar->addAction(action);
        ConnectCommand(action, this, button.slot);
    }
    mToolBar->addSeparator();
    mToolBar->addAction(Command(QStringLiteral("actUndo")));
    mToolBar->addAction(Command(QStringLiteral("actRedo")));
    mToolBar->addSeparator();
    QAction* enhance = Command(QStringLiteral("actImgEnhance"));
    mToolBar->addAction(enhance);
    mToolBar->widgetForAction(enhance)->setToolTip(enhance->statusTip());
    mToolBar->setFixedHeight(mToolBar->sizeHint().height());
}

QAction* TChild::Command(const QString& handler) const {
    return findChild<QAction*>(handler, Qt::FindDirectChildrenOnly);
}

QString TChild::StatusText(int panel) const {
    return mPanels[panel]->text();
}

void TChild::SetPictureFile(const QString& path) {
    mPictureFile = path;
    // The main window's status bar shows it while the mouse is over the window.
    setStatusTip(path);
}

QSize TChild::ClientSize() const {
    return mClient->size();
}

void TChild::SetClientSize(int width, int height) {
    // The sub-window's contents margins are its frame and title bar.
    const QMargins frame = contentsMargins();
    Rect bounds{x(), y(), x() + width + frame.left() + frame.right(),
                y() + height + frame.top() + frame.bottom()};
    if (QMdiArea* area = mdiArea()) {
        const Rect fitted =
            FitIntoWorkArea(bounds, area->viewport()->width(), area->viewport()->height());
        // Cut back to the work area, the window shows only part of the
        // picture, which must scroll however it was zoomed.
        if (fitted.Width() < bounds.Width()) {
            mScrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        }
        if (fitted.Height() < bounds.Height()) {
            mScrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        }
        bounds = fitted;
    }
    setGeometry(bounds.left, bounds.top, bounds.Width(), bounds.Height());
}

void TChild::SetPicture(Bitmap picture) {
    AdoptPicture(std::move(picture), kMinimumClientWidth);
}

void TChild::SetPastedPicture(Bitmap picture) {
    // A pasted picture's window is exactly as wide as the picture.
    AdoptPicture(std::move(picture), 0);
}

void TChild::AdoptPicture(Bitmap picture, int minimumClientWidth) {
    mPicture = std::move(picture);
    mPictureWidth = mPicture.Width();
    mPictureHeight = mPicture.Height();
    mImage->SetStretch(false);
    mImage->resize(mPictureWidth, mPictureHeight);
    mImage->PictureChanged();
    mNaturalClientWidth = std::max(mPictureWidth, minimumClientWidth);
    mNaturalClientHeight = mPictureHeight + mToolBar->height() + mStatusBar->height();
    SetClientSize(mNaturalClientWidth, mNaturalClientHeight);
}

void TChild::PictureChanged() {
    mImage->PictureChanged();
}

void TChild::SyncSizeToPicture() {
    if (mPicture.Width() == mPictureWidth && mPicture.Height() == mPictureHeight) {
        return;
    }
    mPictureWidth = mPicture.Width();
    mPictureHeight = mPicture.Height();
    mImage->resize(mPictureWidth, mPictureHeight);
    mNaturalClientWidth = std::max(mPictureWidth, kMinimumClientWidth);
    mNaturalClientHeight = mToolBar->height() + mPictureHeight + mStatusBar->height();
    SetClientSize(mNaturalClientWidth, mNaturalClientHeight);
}

void TChild::SetScrollBarsEnabled(bool horizontal, bool vertical) {
    mScrollArea->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded
                                                         : Qt::ScrollBarAlwaysOff);
    mScrollArea->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded
                                                     : Qt::ScrollBarAlwaysOff);
}

void TChild::ZoomIn() {
    Zoom(ZoomInSide);
}

void TChild::ZoomOut() {
    Zoom(ZoomOutSide);
}

void TChild::Zoom(int (*step)(int)) {
    if (!mZoomBaseSet) {
        ResetZoom();
    }
    // Each side from the control's current size. A step that would take a
    // side past the limit is not taken at all, so the picture keeps its shape.
    const QSize current = mImage->size();
    const QSize next(step(current.width()), step(current.height()));
    const auto tooLarge = [](int side, int now) { return side > now && side > kMaxZoomSide; };
    if (tooLarge(next.width(), current.width()) || tooLarge(next.height(), current.height())) {
        return;
    }
    mImage->SetStretch(true);
    mImage->resize(next);
    FitWindowToImage();
}

void TChild::FitWindowToImage() {
    SetScrollBarsEnabled(mImage->width() >= mPictureWidth, mImage->height() >= mPictureHeight);
    SetClientSize(mImage->width(), mToolBar->height() + mImage->height() + mStatusBar->height());
}

void TChild::ResetZoom() {
    SetScrollBarsEnabled(true, true);
    if (mPictureWidth == 0) {
        mPictureWidth = mImage->width();
    }
    if (mPictureHeight == 0) {
        mPictureHeight = mImage->height();
    }
    mImage->resize(mPictureWidth, mPictureHeight);
    mImage->SetStretch(false);
    mZoomBaseSet = true;
    SetClientSize(mNaturalClientWidth, mNaturalClientHeight);
}

void TChild::ToolButton1Click() {
    ZoomIn();
}

void TChild::ToolButton2Click() {
    ZoomOut();
}

void TChild::ToolButton3Click() {
    ResetZoom();
}

void TChild::DrawSelection() {
    const Selection& s = SharedSelection();
    const int top = mToolBar->height();
    mImage->ToggleOutline(Rect{s.X1, s.Y1 - top, s.X2, s.Y2 - top});
}

void TChild::ClearSelection() {
    SharedSelection().Clear();
    actCopyToClipboardUpdate();
}

void TChild::ImageMouseDown(QPoint position, Qt::MouseButtons buttons,
                            Qt::KeyboardModifiers modifiers) {
    if (!ExactlyLeftButton(buttons, modifiers)) {
        return;
    }
    Selection& s = SharedSelection();
    if (s.Present()) {
        DrawSelection();
    }
    s.X1 = s.X2 = position.x();
    s.Y1 = s.Y2 = position.y() + mToolBar->height();
    actCopyToClipboardUpdate();
}

void TChild::ImageMouseMove(QPoint position, Qt::MouseButtons buttons,
                            Qt::KeyboardModifiers modifiers) {
    mPanels[0]->setText(QStringLiteral("%1:%2").arg(position.x()).arg(position.y()));
    if (!ExactlyLeftButton(buttons, modifiers)) {
        return;
    }
    Selection& s = SharedSelection();
    DrawSelection();
    s.X2 = position.x();
    s.Y2 = position.y() + mToolBar->height();
    DrawSelection();
    actCopyToClipboardUpdate();
}

void TChild::actSelectAllExecute() {
    DrawSelection();
    Selection& s = SharedSelection();
    s.X1 = 0;
    s.Y1 = mToolBar->height();
    s.X2 = mImage->width();
    s.Y2 = mImage->height() + mToolBar->height();
    DrawSelection();
    actCopyToClipboardUpdate();
}

void TChild::FormActivate() {
    mMainForm->SetPictureDir(FromNative(DirectoryPart(ToNative(mPictureFile))));
    // Every document has the same commands: only the one the user works in
    // answers their keys.
    SetStandardShortcuts(this, true);
    actCopyToClipboardUpdate();
}

void TChild::FormDeactivate() {
    SetStandardShortcuts(this, false);
    ClearSelection();
    // The outline would vanish with the next repaint of the picture anyway.
    mImage->ClearOutlines();
}

void TChild::RunToolCommand(const ToolCommand& command) {
    const WaitCursor wait;
    // Whatever happens, the control must let go of the old pixel memory, which
    // the history has taken over.
    struct Refresh {
        TChild* child;
        ~Refresh() { child->PictureChanged(); }
    } refresh{this};
    if (command.into != nullptr) {
        RunPictureCommandInto(mPicture, mHistory, command.into);
        SyncSizeToPicture();
    } else {
        RunPictureCommand(mPicture, mHistory, command.inPlace);
    }
}

void TChild::actImgEnhanceExecute() {
    TPicEnhanceForm dialog(this);
    dialog.SetPicture(mPicture);
    if (dialog.exec() == TPicEnhanceForm::mrYes) {
        TakeDialogResult(dialog.GetPicture());
    }
}

void TChild::actResampleExecute() {
    TFResample dialog(this);
    dialog.SetBmpImage(mPicture);
    dialog.SetBackground(&mMainForm->BackgroundTile());
    if (dialog.exec() == TFResample::mrOk) {
        TakeDialogResult(dialog.BmpImage());
    }
}

void TChild::TakeDialogResult(const Bitmap& result) {
    Bitmap picture(result);
    struct Refresh {
        TChild* child;
        ~Refresh() { child->PictureChanged(); }
    } refresh{this};
    ReplacePicture(mPicture, mHistory, std::move(picture));
    SyncSizeToPicture();
}

void TChild::actUndoExecute() {
    if (mHistory.UndoStep(mPicture)) {
        PictureChanged();
        SyncSizeToPicture();
    }
}

void TChild::actRedoExecute() {
    if (mHistory.RedoStep(mPicture)) {
        PictureChanged();
        SyncSizeToPicture();
    }
}

void TChild::SaveAs1Click() {
    SavePictureAs();
}

void TChild::WritePicture(const QString& name) {
    SavePicture(mPicture, WritePictureFileName(ToNative(name)));
    mHistory.MarkSaved();
}

bool TChild::SavePictureAs() {
    const std::string ini = ToNative(mMainForm->IniFileName());
    const int filterIndex =
        std::clamp(IniReadInteger(ini, "Save Dlg Filter", "value", kSaveFilterJpeg),
                   kSaveFilterJpeg, kSaveFilterPng);
    const std::string directory =
        IniReadString(ini, "Save Dir", "value", ToNative(mMainForm->HomeDirectory()));
    Interaction::FileDialog dialog;
    dialog.filter = QString::fromLatin1(kSaveFilter);
    dialog.filterIndex = filterIndex;
    dialog.directory = FromNative(directory);
    const auto choice = CurrentInteraction().SaveFileName(dialog);
    if (!choice) {
        return false;
    }
    const std::string chosen = ToNative(choice->fileName);
    const std::string name = SaveAsFileName(chosen, choice->filterIndex);
    // The dialog asked about the name as typed; an extension added here must
    // not replace another file unasked.
    if (name != chosen && IsRegularFile(name) &&
        !CurrentInteraction().Ask(
            Interaction::Kind::Warning,
            FromNative(FileNamePart(name)) +
                QStringLiteral(" already exists.\r\nDo you want to replace it?"))) {
        return false;
    }
    WritePicture(FromNative(name));
    IniWriteInteger(ini, "Save Dlg Filter", "value", choice->filterIndex);
    IniWriteString(ini, "Save Dir", "value", DirectoryPart(name));
    mMainForm->ThumbListView1()->ListThumbItems(FromNative(DirectoryPart(name)));
    return true;
}

bool TChild::FormCloseQuery() {
    // An empty picture (a file of another kind) has nothing that could be saved.
    if (mPicture.Empty() || !Changed()) {
        return true;
    }
    if (!CurrentInteraction().Ask(Interaction::Kind::Warning,
                                  QStringLiteral("File has changed.\r\nSave current file"))) {
        return true;
    }
    // The close is refused when the save fails: the error is shown here, as a
    // close event must not end in an exception.
    try {
        if (IsRegularFile(ToNative(mPictureFile))) {
            WritePicture(mPictureFile);
            return true;
        }
        return SavePictureAs();
    } catch (const std::exception& error) {
        ShowErrorMessage(QString::fromUtf8(error.what()));
    }
    return false;
}

void TChild::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    // The selection is this window's; the next window must not copy it.
    if (mMainForm->ActiveDocument() == this) {
        SharedSelection().Clear();
    }
    QMdiSubWindow::closeEvent(event);
}

void TChild::Print1Click() {
    const WaitCursor wait;
    QPrinter& printer = mMainForm->Printer();
    printer.setDocName(windowTitle());
    PrintPicture(printer, mPicture, logicalDpiX(), logicalDpiY());
}

void TChild::Printdialog2Click() {
    QPrinter& printer = mMainForm->Printer();
    // The dialog proposes a PDF file named after the document.
    printer.setDocName(windowTitle());
    CurrentInteraction().PrinterSetup(printer);
}

void TChild::Sendasmail1Click() {
    // The mail program reads the attachment from a file, which a pasted
    // picture has not got: it gets one of its own.
    const QString attachment = mPictureFile.isEmpty() ? SaveMailAttachment(mPicture) : mPictureFile;
    const QString address = QString::fromLatin1(kMailAddress);
    TSendMail().SendMail(QStringLiteral("Send mail with Pixmoth"),
                         QStringLiteral("I like this program!!"), address, address, address,
                         address, attachment, attachment, true, true);
}

void TChild::actWallpaperExecute() {
    const WaitCursor wait;
    SetAsWallpaper(CurrentEnvironment(), DirectoryPart(ToNative(mMainForm->IniFileName())),
                   ToNative(mPictureFile), mPicture);
}

void TChild::actCopyToClipboardExecute() {
    CopySelectionToClipboard();
}

void TChild::actCopyToClipboardUpdate() {
    Command(QStringLiteral("actCopyToClipboard"))->setEnabled(SharedSelection().Present());
}

void TChild::CopySelectionToClipboard() {
    if (!SharedSelection().Present()) {
        return;
    }
    const Rect source = SelectedPictureRect(SharedSelection(), mToolBar->height(), mImage->width(),
                                            mImage->height(), mPicture.Width(), mPicture.Height());
    if (source.Width() > 0) {
        PutPictureOnClipboard(CopyPictureRect(mPicture, source));
    }
    DrawSelection();
    ClearSelection();
}

void TChild::PasteActionExecute() {
    mMainForm->PasteAsNewImage();
}

void TChild::PasteActionUpdate() {
    Command(QStringLiteral("PasteAction"))->setEnabled(ClipboardHoldsPicture());
}

} // namespace pixmoth
