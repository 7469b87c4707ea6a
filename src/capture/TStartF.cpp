#include "capture/TStartF.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include "app/TForm1.h"
#include "browse/TDirTree.h"
#include "browse/TThumbListView.h"
#include "capture/PanelOutline.h"
#include "capture/PanelSkin.h"
#include "capture/RectFile.h"
#include "capture/RegionData.h"
#include "capture/ScreenGrabber.h"
#include "capture/TEraseF.h"
#include "capture/TShapedForm.h"
#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "platform/Paths.h"
#include "platform/ProgramDirectory.h"
#include "platform/QtPaths.h"

namespace pixmoth {

namespace {

// Time for the windows under the hidden panel to repaint before the desktop
// is grabbed.
constexpr int kHideDelayMs = 40;

QString ProgramDirectoryName() {
    return FromNative(ProgramDirectory(CurrentEnvironment(), ExecutableDirectory()));
}

// The dialog adds the default extension to a name typed without one; so does
// this, whatever dialog answered.
QString WithRecExtension(const QString& name) {
    return QFileInfo(name).suffix().isEmpty() ? name + QStringLiteral(".rec") : name;
}

} // namespace

TStartF::TStartF(TForm1* mainForm)
    : QWidget(mainForm, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      mMainForm(mainForm), mSkin(new TShapedForm(this)) {
    setObjectName(QStringLiteral("StartF"));
    setWindowTitle(QStringLiteral("Pixmoth capture panel"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(193, 254);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }

    const StoredBytes outline = PanelOutlineMask2();
    const QRegion shape = TShapedForm::ShapeOf(ReadMask2(outline.data, outline.size));
    mSkin->SetPicture(QPixmap::fromImage(PaintCameraBack(shape)));
    mSkin->ReadMask2(outline.data, outline.size);

    AddButton(1, QStringLiteral("Start"), {138, 7, 42, 28},
              QStringLiteral("go in screenshoot mode, draw rectangle and press F1..F12\r\n"
                             "Press q or ESC to leave screen shoot mode. "));
    AddButton(2, QStringLiteral("Off"), {144, 65, 33, 33}, QString());
    AddButton(3, QStringLiteral("Multi\r\npicture"), {90, 0, 47, 41},
              QStringLiteral("Pixmoth remembers a selected rectangle.\r\n"
                             "However, by pressing start you must draw \r\n"
                             "a new rectangle for a new screen shoot.\r\n"
                             "But if you want to get more shoots from\r\n"
                             "the same object, you can use Multi Picture.\r\n"
                             "The previous rectangle will be shown directly.\r\n"
                             "From here press Fx (x = 1 ..12) to make your shoot."));
    AddButton(4, QStringLiteral("Save\r\nRect"), {34, 96, 47, 41},
              QStringLiteral("You can save a selected rectangle here\r\n"
                             "for using it with multi picture.\r\n"
                             "The rectangle will be saved with the extension\r\n"
                             "*.rec. "));
    AddButton(5, QStringLiteral("Load\r\nRect"), {82, 96, 47, 41},
              QStringLiteral("You can load a previously saved rectangle here\r\n"
                             "for using it with multi picture.\r\n"
                             "The rectangle has the extension\r\n"
                             "*.rec.\r\n"
                             "Load the rectangle and click \r\n"
                             "\"Multi picture\" to continiue a previously interupted\r\n"
                             "session."));
    // Queued, as the main window's commands are: an error a handler throws
    // must reach the application's error report without unwinding through
    // the button's own code.
    const struct {
        int number;
        void (TStartF::*handler)();
    } handlers[] = {{1, &TStartF::SpeedButton1Click},
                    {2, &TStartF::SpeedButton2Click},
                    {3, &TStartF::SpeedButton3Click},
                    {4, &TStartF::SpeedButton4Click},
                    {5, &TStartF::SpeedButton5Click}};
    for (const auto& entry : handlers) {
        connect(Button(entry.number), &QToolButton::clicked, this, entry.handler,
                Qt::QueuedConnection);
    }
    setFocusPolicy(Qt::StrongFocus);
    // The main window is hidden while the panel is up: closing the panel must
    // not end the program, only the main window's close may.
    setAttribute(Qt::WA_QuitOnClose, false);
    // The first grab's set-up (shared memory with the X server) is done now,
    // so the first Start is as quick as the later ones.
    CurrentScreenGrabber().Prepare();
}

TStartF::~TStartF() {
    delete mOverlay;
}

QToolButton* TStartF::AddButton(int number, const QString& caption, QRect geometry,
                                const QString& hint) {
    auto* button = new QToolButton(this);
    button->setObjectName(QStringLiteral("SpeedButton%1").arg(number));
    // Captions are stored with CR LF line breaks; a label breaks on LF alone.
    button->setText(QString(caption).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    button->setAccessibleName(caption);
    // The hint is kept with the button; the panel shows no hints.
    button->setWhatsThis(hint);
    button->setGeometry(geometry);
    button->setAutoRaise(true);
    // Speed buttons never take the focus: keys reach the panel itself.
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    QFont font = button->font();
    font.setPointSize(8);
    font.setBold(true);
    font.setItalic(true);
    button->setFont(font);
    button->setStyleSheet(QStringLiteral(
        "QToolButton { color: white; background: transparent; border: none; }"
        "QToolButton:hover { background: rgba(255, 255, 255, 28); border-radius: 6px; }"
        "QToolButton:pressed { background: rgba(0, 0, 0, 70); border-radius: 6px; }"));
    return button;
}

QToolButton* TStartF::Button(int number) const {
    return findChild<QToolButton*>(QStringLiteral("SpeedButton%1").arg(number));
}

void TStartF::ShowPanel(int delayMs) {
    QTimer::singleShot(delayMs, this, [this] {
        show();
        raise();
        activateWindow();
    });
}

void TStartF::StartCapture(bool singleShoot) {
    // The overlay of an earlier run is hidden by now and not used again.
    delete mOverlay;
    mOverlay = new TEraseF(this, mMainForm);
    // The window is made now, while the desktop settles, so that after the
    // wait only the grab and mapping the window remain.
    mOverlay->Prepare();
    hide();
    QTimer::singleShot(kHideDelayMs, this, [this, singleShoot] { ShowOverlay(singleShoot); });
}

void TStartF::ShowOverlay(bool singleShoot) {
    if (mOverlay == nullptr) {
        return;
    }
    mOverlay->SetSingleShoot(singleShoot);
    if (!singleShoot) {
        mOverlay->SetKeptRect(mKeptRect);
    }
    try {
        mOverlay->ShowOverlay();
    } catch (const std::exception& error) {
        // Without a desktop picture there is no capture: back to the panel.
        delete mOverlay;
        show();
        ShowErrorMessage(QString::fromUtf8(error.what()));
    }
}

void TStartF::SpeedButton1Click() {
    StartCapture(true);
}

void TStartF::SpeedButton3Click() {
    StartMultiPicture();
}

void TStartF::StartMultiPicture() {
    StartCapture(false);
}

void TStartF::SpeedButton2Click() {
    if (mMainForm != nullptr) {
        mMainForm->show();
    }
    ShowResultsAndClose();
}

void TStartF::ShowResultsAndClose() {
    if (mMainForm == nullptr) {
        close();
        return;
    }
    const QString shot = mMainForm->LastShotFile();
    if (!shot.isEmpty() && IsRegularFile(ToNative(shot))) {
        try {
            mMainForm->OpenPicture(shot);
        } catch (const std::exception& error) {
            ShowErrorMessage(QString::fromUtf8(error.what()));
        }
    }
    mMainForm->ThumbListView1()->ListThumbItems(mMainForm->PictureDir());
    TForm1* mainForm = mMainForm;
    close();
    if (IsDirectory(ToNative(mainForm->ShotsDir()))) {
        mainForm->DirTree()->OpenPath(mainForm->ShotsDir());
    }
}

void TStartF::SpeedButton4Click() {
    Interaction::FileDialog dialog;
    dialog.title = QStringLiteral("Save used rectangle");
    dialog.filter = QStringLiteral("Pixmoth rectangle (*.rec)");
    dialog.directory = ProgramDirectoryName();
    dialog.defaultSuffix = QStringLiteral("rec");
    // An existing file keeps its other contents; only the four keys change.
    dialog.confirmOverwrite = false;
    const auto choice = CurrentInteraction().SaveFileName(dialog);
    if (!choice) {
        return;
    }
    SaveRectFile(ToNative(WithRecExtension(choice->fileName)), mKeptRect);
}

void TStartF::SpeedButton5Click() {
    Interaction::FileDialog dialog;
    dialog.title = QStringLiteral("Load used rectangle");
    dialog.filter = QStringLiteral("Pixmoth Rectangles (*.rec)");
    dialog.directory = ProgramDirectoryName();
    dialog.defaultSuffix = QStringLiteral("rec");
    // A new name reads as the all-zero rectangle: the whole screen.
    dialog.mustExist = false;
    const QString name = CurrentInteraction().OpenFileName(dialog);
    if (name.isEmpty()) {
        return;
    }
    mKeptRect = LoadRectFile(ToNative(WithRecExtension(name)));
    StartMultiPicture();
}

void TStartF::keyPressEvent(QKeyEvent* event) {
    // Ctrl + Alt with any key (the two themselves included) closes the panel.
    // The modifier being pressed counts, whether or not the platform has added
    // it to the event's modifiers yet.
    Qt::KeyboardModifiers held = event->modifiers();
    if (event->key() == Qt::Key_Control) {
        held |= Qt::ControlModifier;
    } else if (event->key() == Qt::Key_Alt) {
        held |= Qt::AltModifier;
    }
    const Qt::KeyboardModifiers tracked = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    if ((held & tracked) == (Qt::ControlModifier | Qt::AltModifier) &&
        QGuiApplication::mouseButtons() == Qt::NoButton) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TStartF::closeEvent(QCloseEvent* event) {
    if (mMainForm != nullptr && !mMainForm->isVisible()) {
        mMainForm->show();
    }
    QWidget::closeEvent(event);
}

} // namespace pixmoth
