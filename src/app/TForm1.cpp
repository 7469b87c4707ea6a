#include "app/TForm1.h"

#include <memory>

#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragMoveEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QUrl>

#include <sys/stat.h>

#include "app/TSaveBounds.h"
#include "browse/TDirTree.h"
#include "browse/TThumbListView.h"
#include "capture/TStartF.h"
#include "chrome/PixmothAbout.h"
#include "chrome/TAboutBoxDlg.h"
#include "document/DocumentPicture.h"
#include "document/DocumentPlacement.h"
#include "document/PictureClipboard.h"
#include "document/PicturePrinter.h"
#include "document/TChild.h"
#include "icon/TBMP2IconForm.h"
#include "imaging/bitmap/Bitmap.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/PictureFile.h"
#include "platform/Commands.h"
#include "platform/Interaction.h"
#include "platform/PaintProgram.h"
#include "platform/Paths.h"
#include "platform/ProgramDirectory.h"
#include "platform/QtPaths.h"
#include "platform/Shortcuts.h"
#include "platform/StatusPanel.h"
#include "platform/WaitCursor.h"
#include "settings/IniStuff.h"

namespace pixmoth {

namespace {

// Every kind offered opens as a picture (LoadDocumentPicture).
const char* const kOpenFilter = "All pictures (*.jpg *.jpeg *.bmp *.png *.ico *.cur *.wmf);;"
                                "JPEG Image File (*.jpg *.jpeg);;"
                                "Bitmaps (*.bmp);;"
                                "PNG Image (*.png);;"
                                "Icons (*.ico *.cur);;"
                                "Metafiles (*.wmf)";

// Marks the entries of a Window menu that name a document window.
const char* const kDocumentEntry = "pixmothDocumentEntry";

QString NameList(const QStringList& names) {
    return names.join(QStringLiteral(", "));
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent), mMdiArea(new QMdiArea), mPanel1(new QWidget),
      mStatusPanel(new StatusPanel(400)), mSaveBounds(new TSaveBounds(this)),
      mAbout(new TAboutBoxDlg(this)) {
    setWindowTitle(QStringLiteral("Pixmoth - screenshots, picture editing and icons"));
    setWindowIcon(QIcon(QStringLiteral(":/pixmoth.png")));
    setStatusTip(QStringLiteral("FileMenu"));
    // The design-time bounds; FormCreate replaces them with the stored ones.
    setGeometry(202, 108, 764, 594);

    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildBrowser(layout);
    layout->addWidget(mMdiArea, 1);
    setCentralWidget(central);

    mBackgroundTile = QPixmap(QStringLiteral(":/BackgroundTile.bmp"));
    if (mBackgroundTile.width() * mBackgroundTile.height() > 0) {
        mMdiArea->setBackground(QBrush(mBackgroundTile));
    }
    mMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(mMdiArea, &QMdiArea::subWindowActivated, this, &TForm1::SubWindowActivated);

    statusBar()->addWidget(mStatusPanel);
    statusBar()->setSizeGripEnabled(true);

    SetUpPixmothAbout(*mAbout);
    BuildMenus();
    BuildToolBar();
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &TForm1::PasteActionUpdate);
    PasteActionUpdate();
    SetStandardShortcuts(this, true);
    // The menus of an active document replace these, and their keys with
    // them; quitting keeps its key, which no document command uses.
    addAction(Command(QStringLiteral("Exit1Click")));
    setAcceptDrops(true);
}

TForm1::~TForm1() {
    // The documents, closed ones waiting for deletion too, go after this
    // window's own members: they must not call back.
    for (TChild* child : findChildren<TChild*>()) {
        disconnect(child, nullptr, this, nullptr);
    }
    menuBar()->clear();
}

QAction* TForm1::Command(const QString& handler) const {
    return findChild<QAction*>(handler, Qt::FindDirectChildrenOnly);
}

void TForm1::BuildMenus() {
    auto* file = new QMenu(QStringLiteral("&File"), this);
    ConnectCommand(NewCommand(this, file, QStringLiteral("&Open..."), QStringLiteral("Open1Click"),
                              QStringLiteral("Open picture")),
                   this, &TForm1::Open1Click);
    file->addSeparator();
    ConnectCommand(NewCommand(this, file, QStringLiteral("Exit"), QStringLiteral("Exit1Click")),
                   this, &TForm1::Exit1Click);

    auto* edit = new QMenu(QStringLiteral("&Edit"), this);
    ConnectCommand(NewCommand(this, edit, QStringLiteral("Paste as New Image"),
                              QStringLiteral("PasteAction"),
                              QStringLiteral("Open the clipboard's picture in a new window")),
                   this, &TForm1::PasteActionExecute);

    auto* window = new QMenu(QStringLiteral("&Window"), this);
    ConnectCommand(NewCommand(this, window, QStringLiteral("&Tile"), QStringLiteral("Tile1Click")),
                   this, &TForm1::Tile1Click);
    ConnectCommand(
        NewCommand(this, window, QStringLiteral("&Cascade"), QStringLiteral("Cascade1Click")), this,
        &TForm1::Cascade1Click);
    ConnectCommand(
        NewCommand(this, window, QStringLiteral("Close All"), QStringLiteral("CloseAll1Click")),
        this, &TForm1::CloseAll1Click);

    auto* help = new QMenu(QStringLiteral("&Help"), this);
    ConnectCommand(NewCommand(this, help, QStringLiteral("Help"), QStringLiteral("Help2Click")),
                   this, &TForm1::Help2Click);
    ConnectCommand(NewCommand(this, help, QStringLiteral("&About..."),
                              QStringLiteral("About1Click"), QStringLiteral("Only about so far")),
                   this, &TForm1::About1Click);

    ListDocumentsIn(window);

    mMenus = {file, edit, window, help};
    ShowMenus(mMenus);
}

void TForm1::BuildToolBar() {
    auto* toolBar = addToolBar(QStringLiteral("ToolBar1"));
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setIconSize(QSize(32, 32));
    toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    QAction* shoot = NewCommand(this, nullptr, QStringLiteral("Shoot"), QStringLiteral("actShoot"),
                                QStringLiteral("Take screenshots"));
    shoot->setIcon(QIcon(QStringLiteral(":/toolbar/shoot.png")));
    ConnectCommand(shoot, this, &TForm1::actShootExecute);
    toolBar->addAction(shoot);
    toolBar->widgetForAction(shoot)->setFixedSize(39, 38);
    QAction* edit = NewCommand(this, nullptr, QStringLiteral("Edit"), QStringLiteral("actEdit"),
                               QStringLiteral("Edit the picture with the paint program"));
    edit->setIcon(QIcon(QStringLiteral(":/toolbar/edit.png")));
    ConnectCommand(edit, this, &TForm1::actEditExecute);
    toolBar->addAction(edit);
    toolBar->widgetForAction(edit)->setFixedSize(39, 38);
    QAction* icon =
        NewCommand(this, nullptr, QStringLiteral("Create Icon"), QStringLiteral("actIcon"),
                   QStringLiteral("Make an icon of the picture"));
    icon->setIcon(QIcon(QStringLiteral(":/toolbar/icon.png")));
    ConnectCommand(icon, this, &TForm1::actIconExecute);
    toolBar->addAction(icon);
    toolBar->widgetForAction(icon)->setFixedSize(39, 38);
}

void TForm1::ListDocumentsIn(QMenu* menu) {
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        // The entries of the last showing go; the commands above them stay.
        for (QAction* action : menu->actions()) {
            if (action->property(kDocumentEntry).toBool()) {
                menu->removeAction(action);
                delete action;
            }
        }
        const QList<QMdiSubWindow*> windows = mMdiArea->subWindowList(QMdiArea::CreationOrder);
        if (windows.isEmpty()) {
            return;
        }
        menu->addSeparator()->setProperty(kDocumentEntry, true);
        int number = 0;
        for (QMdiSubWindow* window : windows) {
            ++number;
            QString caption = window->windowTitle();
            caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
            const QString prefix = number <= 9 ? QStringLiteral("&%1 ") : QStringLiteral("%1 ");
            QAction* entry = menu->addAction(prefix.arg(number) + caption);
            entry->setProperty(kDocumentEntry, true);
            entry->setCheckable(true);
            entry->setChecked(window == mMdiArea->activeSubWindow());
            connect(entry, &QAction::triggered, this, [this, chosen = QPointer(window)] {
                if (chosen.isNull()) {
                    return;
                }
                if (chosen->isMinimized()) {
                    chosen->showNormal();
                }
                mMdiArea->setActiveSubWindow(chosen);
            });
        }
    });
}

QString TForm1::StatusText() const {
    return mStatusPanel->text();
}

QString TForm1::HomeDirectory() const {
    return FromNative(pixmoth::HomeDirectory(CurrentEnvironment()));
}

void TForm1::FormCreate() {
    Environment& environment = CurrentEnvironment();
    const std::string executableDirectory = ExecutableDirectory();
    const std::string directory = ProgramDirectory(environment, executableDirectory);
    EnsureDirectory(directory);
    mIniFileName = FromNative(directory + "Pixmoth.ini");
    mHelpFileName = FromNative(HelpPagePath(directory, executableDirectory));
    SetIniMessageSink([](const std::string& message) {
        CurrentInteraction().Tell(Interaction::Kind::Information, FromNative(message));
    });

    mShotsDir = FromNative(directory + "Shots");
    // A Shots directory that cannot be created is not reported here: the
    // capture reports the failed write of its picture.
    ::mkdir(ToNative(mShotsDir).c_str(), 0777);

    const std::string home = pixmoth::HomeDirectory(environment);
    std::string start = IniReadString(ToNative(mIniFileName), "Start with", "StartDir", home);
    if (!IsDirectory(start)) {
        start = home;
    }
    mPictureDir = FromNative(WithTrailingSlash(start));

    // The panel collapses first: at its layout width it would keep the window
    // from taking stored bounds narrower than the panel.
    SetUpBrowser();
    mSaveBounds->RestoreBounds(this, mIniFileName);
}

void TForm1::OpenPicture(const QString& path) {
    const WaitCursor wait;
    const std::string native = ToNative(path);
    Bitmap working = LoadDocumentPicture(native);
    // The window joins the frame only once it holds its picture: a failure on
    // the way leaves no hidden window behind.
    auto child = std::make_unique<TChild>(this);
    child->setWindowTitle(FromNative(FileNamePart(native)));
    child->SetPictureFile(path);
    child->SetPicture(std::move(working));
    TChild* document = child.release();
    AddDocument(document);
    mPictureDir = FromNative(DirectoryPart(native));
    mThumbListView1->ListThumbItems(mPictureDir);
    document->show();
}

void TForm1::PasteAsNewImage() {
    std::optional<Bitmap> picture = PictureFromClipboard();
    if (!picture) {
        CurrentInteraction().Tell(Interaction::Kind::Information,
                                  QStringLiteral("There is no Graphic in the Clipboard"));
        return;
    }
    // Caption "Child" and no file: the picture is saved only when asked to.
    auto child = std::make_unique<TChild>(this);
    child->SetPastedPicture(std::move(*picture));
    TChild* document = child.release();
    AddDocument(document);
    document->show();
}

void TForm1::PasteActionExecute() {
    PasteAsNewImage();
}

void TForm1::PasteActionUpdate() {
    Command(QStringLiteral("PasteAction"))->setEnabled(ClipboardHoldsPicture());
}

QPrinter& TForm1::Printer() {
    // Made on first use: finding the printers asks the print system.
    if (!mPrinter) {
        mPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        SetUpPrinter(*mPrinter);
    }
    return *mPrinter;
}

void TForm1::OpenDroppedFiles(const QStringList& paths) {
    QStringList errors;
    for (const QString& path : paths) {
        if (PictureKindOf(ToNative(path)) == PictureKind::Other) {
            continue;
        }
        try {
            OpenPicture(path);
        } catch (const std::exception& error) {
            errors << QString::fromUtf8(error.what());
        }
    }
    if (!paths.isEmpty()) {
        mDirTree->OpenPath(FromNative(DirectoryPart(ToNative(paths.back()))));
    }
    if (!errors.isEmpty()) {
        ShowErrorMessage(errors.join(QStringLiteral("\n")));
    }
}

void TForm1::OpenCommandLine(const QStringList& arguments) {
    QStringList pictures;
    QStringList options;
    QStringList others;
    bool onlyFiles = false;
    for (const QString& argument : arguments) {
        if (!onlyFiles && argument == QStringLiteral("--")) {
            onlyFiles = true;
        } else if (!onlyFiles && argument.startsWith(QLatin1Char('-'))) {
            options << argument;
        } else if (PictureKindOf(ToNative(argument)) == PictureKind::Other) {
            others << argument;
        } else {
            // Relative to the directory the program was started in, which is
            // not where the picture directory or the paint program will be.
            pictures << QDir::cleanPath(QFileInfo(argument).absoluteFilePath());
        }
    }
    OpenDroppedFiles(pictures);
    if (options.isEmpty() && others.isEmpty()) {
        return;
    }
    QString text;
    if (!options.isEmpty()) {
        text += QStringLiteral("Unknown option: %1\n").arg(NameList(options));
    }
    if (!others.isEmpty()) {
        text += QStringLiteral("Not a JPEG, BMP or PNG picture (.jpg, .jpeg, .bmp, .png): %1\n")
                    .arg(NameList(others));
    }
    text += QStringLiteral("Usage: pixmoth [PICTURE...]");
    CurrentInteraction().Tell(Interaction::Kind::Warning, text);
}

void TForm1::AddDocument(TChild* child) {
    if (Documents().isEmpty()) {
        mCascadeSlot = 0;
    }
    mMdiArea->addSubWindow(child);
    // The frame and title bar around the client are known only now.
    child->move(0, 0);
    child->SetClientSize(child->NaturalClientWidth(), child->NaturalClientHeight());
    // Placed here, the frame's own placement (which puts a window larger than
    // the area partly above and left of it) is not used.
    const int step = child->contentsMargins().top();
    const QSize area = mMdiArea->viewport()->size();
    const int slot = CascadeSlot(mCascadeSlot, step, child->width(), child->height(), area.width(),
                                 area.height());
    child->move(slot * step, slot * step);
    mCascadeSlot = slot + 1;
    connect(child, &QObject::destroyed, this, &TForm1::DocumentDestroyed);
}

TChild* TForm1::ActiveDocument() const {
    return mActiveDocument.data();
}

QList<TChild*> TForm1::Documents() const {
    QList<TChild*> documents;
    for (QMdiSubWindow* window : mMdiArea->subWindowList(QMdiArea::StackingOrder)) {
        if (auto* child = qobject_cast<TChild*>(window)) {
            documents << child;
        }
    }
    return documents;
}

bool TForm1::CloseAllDocuments() {
    // Bottom of the stack first, the active window last.
    bool allClosed = true;
    for (TChild* child : Documents()) {
        if (!child->close()) {
            allClosed = false;
        }
    }
    return allClosed;
}

void TForm1::SubWindowActivated(QMdiSubWindow* window) {
    auto* child = qobject_cast<TChild*>(window);
    if (child == nullptr) {
        // No window is active: either none is left, or the whole program lost
        // the focus to another application, which is no switch between windows.
        if (Documents().isEmpty() || mActiveDocument.isNull()) {
            mActiveDocument = nullptr;
            ShowMenus(mMenus);
        }
        return;
    }
    if (child == mActiveDocument) {
        return;
    }
    if (!mActiveDocument.isNull()) {
        mActiveDocument->FormDeactivate();
    }
    mActiveDocument = child;
    ShowMenus(child->Menus());
    child->FormActivate();
}

void TForm1::DocumentDestroyed() {
    // The active document went without another one being activated (which
    // would have taken the menu bar over): its menus went with it.
    if (mActiveDocument.isNull()) {
        ShowMenus(mMenus);
        SubWindowActivated(mMdiArea->activeSubWindow());
    }
}

void TForm1::ShowMenus(const QList<QMenu*>& menus) {
    // One menu bar whose menus are swapped: QMainWindow::setMenuBar would
    // delete the bar that holds the other window's menus.
    QMenuBar* bar = menuBar();
    bar->clear();
    for (QMenu* menu : menus) {
        bar->addMenu(menu);
    }
}

bool TForm1::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        mStatusPanel->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TForm1::Open1Click() {
    Interaction::FileDialog dialog;
    dialog.filter = QString::fromLatin1(kOpenFilter);
    dialog.directory = OpenDialogDirectory();
    const QString name = CurrentInteraction().OpenFileName(dialog);
    if (!name.isEmpty()) {
        OpenPicture(name);
    }
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::Tile1Click() {
    mMdiArea->tileSubWindows();
}

void TForm1::Cascade1Click() {
    mMdiArea->cascadeSubWindows();
    // The frame sizes each window by its contents, which for a large picture
    // reaches past the area: its lower right is cut back to the area's.
    const QSize area = mMdiArea->viewport()->size();
    for (TChild* child : Documents()) {
        const QRect now = child->geometry();
        const Rect clipped =
            ClipToWorkArea({now.left(), now.top(), now.right() + 1, now.bottom() + 1}, area.width(),
                           area.height());
        child->setGeometry(clipped.left, clipped.top, clipped.Width(), clipped.Height());
    }
}

void TForm1::CloseAll1Click() {
    CloseAllDocuments();
}

void TForm1::Help2Click() {
    const std::string page = ToNative(mHelpFileName);
    if (page.empty()) {
        CurrentInteraction().Tell(Interaction::Kind::Information,
                                  QStringLiteral("The help page Pixmoth.html was not found."));
        return;
    }
    if (!IsRegularFile(page)) {
        // The page ships inside the program; a missing copy is written again.
        QFile shipped(QStringLiteral(":/Pixmoth.html"));
        if (!shipped.open(QIODevice::ReadOnly)) {
            CurrentInteraction().Tell(
                Interaction::Kind::Information,
                QStringLiteral("The help page %1 was not found.").arg(mHelpFileName));
            return;
        }
        const QByteArray text = shipped.readAll();
        WriteFileAtomically(page, reinterpret_cast<const std::uint8_t*>(text.constData()),
                            static_cast<std::size_t>(text.size()));
    }
    const ProgramCall call = DesktopOpenCall(page);
    // xdg-open finds out only on its own whether the desktop can show a page;
    // its failure arrives later, from another thread.
    const QString text = QStringLiteral("The help page could not be opened.\r\n"
                                        "Open it in a web browser: %1")
                             .arg(mHelpFileName);
    CurrentEnvironment().StartWatched(call.program, call.arguments, [text](int exitStatus) {
        if (exitStatus != 0) {
            TellLater(Interaction::Kind::Warning, text);
        }
    });
}

void TForm1::About1Click() {
    mAbout->Execute();
}

void TForm1::actShootExecute() {
    // The panel is made anew for every Shoot, so its kept rectangle starts at
    // zero; it closes itself (and is deleted) when capture ends.
    mDirTree->OpenPath(mPictureDir);
    auto* panel = new TStartF(this);
    panel->SetIniName(mIniFileName);
    panel->show();
    hide();
}

void TForm1::actEditExecute() {
    std::string file;
    if (TChild* child = qobject_cast<TChild*>(mMdiArea->currentSubWindow())) {
        file = ToNative(child->PictureFile());
    }
    if (!IsRegularFile(file)) {
        file.clear();
    }
    QStringList names;
    for (const std::string& name : PaintProgramNames()) {
        names << QString::fromStdString(name);
    }
    const QString noPaintProgram =
        QStringLiteral("No paint program was found. Install one of: %1.").arg(NameList(names));
    const ProgramCall call = PaintProgramCall(CurrentEnvironment(), file);
    if (call.program.empty()) {
        CurrentInteraction().Tell(Interaction::Kind::Information, noPaintProgram);
        return;
    }
    if (call == DesktopOpenCall(file)) {
        // The desktop's own choice for pictures, when it has one; xdg-open
        // finds out only on its own.
        CurrentEnvironment().StartWatched(
            call.program, call.arguments, [noPaintProgram](int exitStatus) {
                if (exitStatus != 0) {
                    TellLater(Interaction::Kind::Information, noPaintProgram);
                }
            });
        return;
    }
    if (!CurrentEnvironment().StartDetached(call.program, call.arguments)) {
        CurrentInteraction().Tell(
            Interaction::Kind::Warning,
            QStringLiteral("%1 could not be started.").arg(QString::fromStdString(call.program)));
    }
}

void TForm1::actIconExecute() {
    // Without a document the converter opens with no picture; one is chosen there.
    QString file;
    if (TChild* child = ActiveDocument()) {
        file = child->PictureFile();
    }
    TBMP2IconForm converter(this);
    converter.SetBackground(mBackgroundTile);
    converter.SetIniName(mIniFileName);
    converter.SetStartPicName(file);
    converter.exec();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A close event must not end in an exception: failures are shown here and
    // do not keep the program from closing, as nothing but a setting is lost.
    try {
        IniWriteString(ToNative(mIniFileName), "Start with", "StartDir", ToNative(mPictureDir));
    } catch (const std::exception& error) {
        ShowErrorMessage(QString::fromUtf8(error.what()));
    }
    if (!CloseAllDocuments()) {
        event->ignore();
        return;
    }
    try {
        mSaveBounds->StoreBounds(this, mIniFileName);
    } catch (const std::exception& error) {
        ShowErrorMessage(QString::fromUtf8(error.what()));
    }
    event->accept();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

// A thumbnail dragged back onto its own list is no file dropped on the window.
void TForm1::dragMoveEvent(QDragMoveEvent* event) {
    const QPoint at = mThumbListView1->mapFrom(this, event->position().toPoint());
    if (event->source() == mThumbListView1 && mThumbListView1->rect().contains(at)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    event->acceptProposedAction();
    // Opened from the event queue, after the drop has been answered: decoding
    // and error boxes must not keep the dragging program waiting.
    QMetaObject::invokeMethod(
        this, [this, paths] { OpenDroppedFiles(paths); }, Qt::QueuedConnection);
}

} // namespace pixmoth
