#include <memory>

#include <QFile>
#include <QMdiArea>
#include <QToolButton>
#include <QtTest>

#include "CaptureTestSupport.h"
#include "app/TForm1.h"
#include "capture/PanelSkin.h"
#include "capture/RubberBand.h"
#include "capture/TEraseF.h"
#include "capture/TShapedForm.h"
#include "capture/TStartF.h"
#include "document/TChild.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/JpegCodec.h"
#include "settings/IniStuff.h"

namespace pixmoth {

using test::PictureGrabber;
using test::ProgramSandbox;
using test::SendMouse;

namespace {

// What a shot of the inside `area` of the desktop must hold, byte for byte.
std::vector<std::uint8_t> JpegOf(const Bitmap& desktop, QRect area) {
    Bitmap cut(area.width(), area.height());
    cut.Draw(-area.x(), -area.y(), desktop);
    return EncodeJpeg(cut, 90);
}

void Key(QWidget* widget, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
         const QString& text = QString(), bool autoRepeat = false) {
    QKeyEvent event(type, key, modifiers, text, autoRepeat);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

// The capture panel and the overlay on real widgets, with a known desktop
// picture in place of the screen and scripted answers to the question.
class CapturePanelTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ProgramSandbox> mSandbox;
    std::unique_ptr<PictureGrabber> mGrabber;
    std::unique_ptr<TForm1> mForm;
    QPointer<TStartF> mPanel;
    Bitmap mDesktop;

    QString Shots() const { return mSandbox->ProgramDir() + "Shots/"; }
    QByteArray Shot(const QString& name) const {
        QFile file(Shots() + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QByteArray Bytes(const std::vector<std::uint8_t>& data) {
        return QByteArray(reinterpret_cast<const char*>(data.data()),
                          static_cast<qsizetype>(data.size()));
    }

    // Shoot on the main window's tool bar.
    void Shoot() {
        mForm->Command(QStringLiteral("actShoot"))->trigger();
        QCoreApplication::sendPostedEvents();
        mPanel = mForm->findChild<TStartF*>();
        QVERIFY(mPanel != nullptr);
    }

    // Clicks a panel button; its handler runs from the event queue.
    void Click(int button) {
        mPanel->Button(button)->click();
        QCoreApplication::sendPostedEvents();
    }

    // Clicks a panel button and waits for the overlay it opens.
    TEraseF* Capture(int button) {
        Click(button);
        [&] {
            QTRY_VERIFY_WITH_TIMEOUT(mPanel->Overlay() && mPanel->Overlay()->isVisible(), 5000);
        }();
        return mPanel->Overlay();
    }

    static void Drag(TEraseF* overlay, QPoint from, QPoint to) {
        SendMouse(overlay, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        SendMouse(overlay, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        SendMouse(overlay, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        SendMouse(overlay, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }

    static void Press(QWidget* widget, int key) {
        Key(widget, QEvent::KeyPress, key, Qt::NoModifier);
        Key(widget, QEvent::KeyRelease, key, Qt::NoModifier);
    }

    static bool Same(const Bitmap& a, const Bitmap& b) {
        return a.ByteSize() == b.ByteSize() &&
               std::equal(a.Bits(), a.Bits() + a.ByteSize(), b.Bits());
    }

private slots:
    void initTestCase() { test::SilenceOffscreenNoise(); }

    void init() {
        mSandbox = std::make_unique<ProgramSandbox>();
        mDesktop = test::GradientBitmap(400, 300);
        mGrabber = std::make_unique<PictureGrabber>(mDesktop);
        mForm = std::make_unique<TForm1>();
        mForm->FormCreate();
        mForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(mForm.get()));
        Shoot();
    }

    void cleanup() {
        mForm.reset();
        mGrabber.reset();
        mSandbox.reset();
    }

    void ShootShowsThePanelAndHidesTheMainWindow() {
        QVERIFY(mPanel->isVisible());
        QVERIFY(!mForm->isVisible());
        QCOMPARE(mPanel->size(), QSize(193, 254));
        QVERIFY(mPanel->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(mPanel->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(mPanel->IniName(), mForm->IniFileName());
        QCOMPARE(mPanel->KeptRect(), Rect{});
    }

    void PanelButtonsAndSkin() {
        struct Expected {
            int number;
            QString caption;
            QRect geometry;
        };
        const Expected buttons[] = {{1, "Start", {138, 7, 42, 28}},
                                    {2, "Off", {144, 65, 33, 33}},
                                    {3, "Multi\npicture", {90, 0, 47, 41}},
                                    {4, "Save\nRect", {34, 96, 47, 41}},
                                    {5, "Load\nRect", {82, 96, 47, 41}}};
        for (const Expected& e : buttons) {
            QToolButton* button = mPanel->Button(e.number);
            QVERIFY(button != nullptr);
            QCOMPARE(button->text(), e.caption);
            QCOMPARE(button->geometry(), e.geometry);
            QVERIFY(button->font().bold() && button->font().italic());
            QVERIFY(button->autoRaise());
        }
        // A picture of an object, not a flat box: many colours inside the outline.
        const QImage skin = mPanel->Skin()->Picture().toImage();
        QCOMPARE(skin.size(), QSize(196, 254));
        QCOMPARE(PaintCameraBack(mPanel->Skin()->Shape()).format(), QImage::Format_RGB888);
        QSet<QRgb> colours;
        for (int y = 0; y < skin.height(); y += 2) {
            for (int x = 0; x < skin.width(); x += 2) {
                colours.insert(skin.pixel(x, y));
            }
        }
        QVERIFY2(colours.size() > 500, qPrintable(QString::number(colours.size())));
        QVERIFY(!mPanel->mask().contains(QPoint(80, 180)));
    }

    void DragThenFunctionKeyStoresTheInsideAndAsks() {
        TEraseF* overlay = Capture(1);
        QVERIFY(!mPanel->isVisible());
        QCOMPARE(overlay->geometry(), QRect(0, 0, 400, 300));
        QVERIFY(overlay->SingleShoot());
        Drag(overlay, {300, 200}, {100, 50}); // lower right to upper left
        QCOMPARE(overlay->SelectRect(), (Rect{300, 200, 100, 50}));
        Press(overlay, Qt::Key_F3);

        QCOMPARE(Shot("SShot3_0.jpg"), Bytes(JpegOf(mDesktop, {101, 51, 198, 148})));
        QCOMPARE(mSandbox->interaction.Texts("ask"),
                 QStringList{"Screenshot SShot3_0.jpg done ! \n\rDo you want to make another "
                             "screen shoot?"});
        QCOMPARE(mForm->LastShotFile(), Shots() + "SShot3_0.jpg");
        QCOMPARE(mForm->PictureDir(), Shots());
        // No (the unscripted answer): the overlay goes, the panel comes back.
        QVERIFY(!overlay->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(mPanel->isVisible(), 2000);
        QCOMPARE(mPanel->KeptRect(), (Rect{300, 200, 100, 50}));
    }

    void YesKeepsTheOverlayForAnotherShotOfTheSameRectangle() {
        TEraseF* overlay = Capture(1);
        Drag(overlay, {20, 30}, {120, 80});
        QVERIFY(!Same(overlay->Shown(), overlay->Screen())); // the band is on the screen
        mSandbox->interaction.answers = {true, false};
        Press(overlay, Qt::Key_F12);
        QVERIFY(overlay->isVisible());
        QVERIFY(Same(overlay->Shown(), overlay->Screen())); // the shot took the band away
        Press(overlay, Qt::Key_F12);
        const QByteArray expected = Bytes(JpegOf(mDesktop, {21, 31, 98, 48}));
        QCOMPARE(Shot("SShot12_0.jpg"), expected);
        QCOMPARE(Shot("SShot12_1.jpg"), expected);
    }

    void ClickOrStraightDragClearsTheSelection() {
        TEraseF* overlay = Capture(1);
        const QPoint lines[][2] = {
            {{50, 50}, {50, 50}}, {{50, 50}, {200, 50}}, {{50, 50}, {50, 90}}};
        for (const auto& line : lines) {
            Drag(overlay, {10, 10}, {60, 60});
            Drag(overlay, line[0], line[1]);
            QCOMPARE(overlay->SelectRect(), Rect{});
            QVERIFY(Same(overlay->Shown(), overlay->Screen()));
        }
        mSandbox->interaction.answers = {true};
        Press(overlay, Qt::Key_F1);
        QCOMPARE(Shot("SShot1_0.jpg"), Bytes(JpegOf(mDesktop, {1, 1, 398, 298})));
    }

    void SelectionWithoutInsideIsRefusedAndNothingWritten() {
        TEraseF* overlay = Capture(1);
        SendMouse(overlay, QEvent::MouseButtonPress, {40, 40}, Qt::LeftButton, Qt::LeftButton);
        SendMouse(overlay, QEvent::MouseMove, {42, 90}, Qt::NoButton, Qt::LeftButton);
        Press(overlay, Qt::Key_F6); // during the drag: 2 pixels wide
        QVERIFY(!QFile::exists(Shots() + "SShot6_0.jpg"));
        QCOMPARE(mSandbox->interaction.Texts("ask"), QStringList());
        QCOMPARE(mSandbox->interaction.Texts("tell").size(), 1);
        QVERIFY(mSandbox->interaction.Texts("tell").first().contains("at least 3 pixels"));
        QVERIFY(overlay->isVisible());
        QCOMPARE(mForm->LastShotFile(), QString());
    }

    void FunctionKeyDuringAFlatDragShootsTheWholeScreen() {
        TEraseF* overlay = Capture(1);
        SendMouse(overlay, QEvent::MouseButtonPress, {40, 40}, Qt::LeftButton, Qt::LeftButton);
        SendMouse(overlay, QEvent::MouseMove, {200, 40}, Qt::NoButton, Qt::LeftButton);
        Press(overlay, Qt::Key_F6);
        QCOMPARE(Shot("SShot6_0.jpg"), Bytes(JpegOf(mDesktop, {1, 1, 398, 298})));
    }

    void FailedWriteAsksNothingAndKeepsTheOverlay() {
        QDir(Shots()).removeRecursively();
        QFile file(mSandbox->ProgramDir() + "Shots");
        QVERIFY(file.open(QIODevice::WriteOnly)); // a file where the folder should be
        file.close();
        TEraseF* overlay = Capture(1);
        Drag(overlay, {10, 10}, {60, 60});
        Press(overlay, Qt::Key_F2);
        QCOMPARE(mSandbox->interaction.Texts("ask"), QStringList());
        QCOMPARE(mSandbox->interaction.Texts("tell").size(), 1);
        QVERIFY(mSandbox->interaction.Texts("tell").first().contains("SShot2_0.jpg"));
        QVERIFY(overlay->isVisible());
        QCOMPARE(overlay->SelectRect(), (Rect{10, 10, 60, 60}));
        QCOMPARE(mForm->LastShotFile(), QString());
    }

    void LowerCaseQLeavesUpperCaseDoesNot() {
        TEraseF* overlay = Capture(1);
        Key(overlay, QEvent::KeyPress, Qt::Key_Q, Qt::ShiftModifier, "Q");
        Key(overlay, QEvent::KeyRelease, Qt::Key_Q, Qt::ShiftModifier, "Q");
        QVERIFY(overlay->isVisible());
        Key(overlay, QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, "q");
        QVERIFY(!overlay->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(mPanel->isVisible(), 2000);
    }

    void EscapeLeavesOnReleaseOnly() {
        TEraseF* overlay = Capture(1);
        Key(overlay, QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        Key(overlay, QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier, QString(), true);
        QVERIFY(overlay->isVisible()); // a held key's repeated releases do not count
        Key(overlay, QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
        QVERIFY(!overlay->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(mPanel->isVisible(), 2000);
    }

    void MultiPictureShowsAndShootsTheKeptRectangle() {
        TEraseF* overlay = Capture(1);
        Drag(overlay, {250, 150}, {50, 40});
        Key(overlay, QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, "q");
        QTRY_VERIFY_WITH_TIMEOUT(mPanel->isVisible(), 2000);

        overlay = Capture(3);
        QVERIFY(!overlay->SingleShoot());
        QCOMPARE(overlay->SelectRect(), (Rect{250, 150, 50, 40}));
        Bitmap dashed(overlay->Screen());
        InvertOutline(dashed, {250, 150, 50, 40}, PenStyle::Dashed);
        QVERIFY(Same(overlay->Shown(), dashed));
        mSandbox->interaction.answers = {true};
        Press(overlay, Qt::Key_F5);
        QCOMPARE(Shot("SShot5_0.jpg"), Bytes(JpegOf(mDesktop, {51, 41, 198, 108})));
        // Still shown after Yes, and a larger rectangle around it holds no trace of it.
        QVERIFY(Same(overlay->Shown(), dashed));
        Drag(overlay, {20, 20}, {300, 200});
        Press(overlay, Qt::Key_F7);
        QCOMPARE(Shot("SShot7_0.jpg"), Bytes(JpegOf(mDesktop, {21, 21, 278, 178})));
    }

    void MultiPictureWithNothingKeptShootsTheWholeScreen() {
        TEraseF* overlay = Capture(3);
        QVERIFY(Same(overlay->Shown(), overlay->Screen()));
        Press(overlay, Qt::Key_F9);
        QCOMPARE(Shot("SShot9_0.jpg"), Bytes(JpegOf(mDesktop, {1, 1, 398, 298})));
    }

    void SaveRectWritesTheKeptCornersAndLoadRectStartsMultiPicture() {
        mPanel->SetKeptRect({300, 200, 100, 50});
        const QString file = mSandbox->Root() + "kept";
        mSandbox->interaction.saveAnswers = {Interaction::SaveChoice{file, 1}};
        Click(4);
        QFile saved(file + ".rec");
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(),
                 QByteArray("[Rectangle]\nRight=100\nLeft=300\nTop=200\nBottom=50\n"));
        QCOMPARE(mSandbox->interaction.shown.last().directory, mSandbox->ProgramDir());

        mPanel->SetKeptRect({});
        mSandbox->interaction.openAnswers = {file + ".rec"};
        TEraseF* overlay = Capture(5);
        QVERIFY(!overlay->SingleShoot());
        QCOMPARE(mPanel->KeptRect(), (Rect{300, 200, 100, 50}));
        Press(overlay, Qt::Key_F4);
        QCOMPARE(Shot("SShot4_0.jpg"), Bytes(JpegOf(mDesktop, {101, 51, 198, 148})));
    }

    void RectFileDialogsCarryTheirTitlesFiltersAndOptions() {
        Click(4);
        Click(5);
        const auto& shown = mSandbox->interaction.shown;
        QCOMPARE(shown.size(), 2);
        const struct {
            const char* what;
            const char* title;
            const char* filter;
            bool mustExist;
            bool confirmOverwrite;
        } expected[] = {
            {"save", "Save used rectangle", "Pixmoth rectangle (*.rec)", true, false},
            {"open", "Load used rectangle", "Pixmoth Rectangles (*.rec)", false, true},
        };
        for (int i = 0; i < 2; ++i) {
            const Interaction::FileDialog& dialog = shown[i].dialog;
            QCOMPARE(shown[i].what, QLatin1String(expected[i].what));
            QCOMPARE(dialog.title, QLatin1String(expected[i].title));
            QCOMPARE(dialog.filter, QLatin1String(expected[i].filter));
            QCOMPARE(dialog.defaultSuffix, QStringLiteral("rec"));
            QCOMPARE(dialog.directory, mSandbox->ProgramDir());
            if (shown[i].what == QLatin1String("open")) {
                QCOMPARE(dialog.mustExist, expected[i].mustExist);
            } else {
                QCOMPARE(dialog.confirmOverwrite, expected[i].confirmOverwrite);
            }
        }
    }

    void CancelledDialogsChangeNothing() {
        mPanel->SetKeptRect({1, 2, 3, 4});
        Click(4);
        Click(5);
        QCOMPARE(mPanel->KeptRect(), (Rect{1, 2, 3, 4}));
        QVERIFY(mPanel->Overlay() == nullptr);
        QVERIFY(mPanel->isVisible());
    }

    void CtrlAltKeyClosesThePanelOtherShiftStatesDoNot() {
        Key(mPanel, QEvent::KeyPress, Qt::Key_Q,
            Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
        Key(mPanel, QEvent::KeyPress, Qt::Key_Q, Qt::AltModifier);
        Key(mPanel, QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(mPanel->isVisible());
        // Alt pressed while Ctrl is held: the modifier's own key counts.
        Key(mPanel, QEvent::KeyPress, Qt::Key_Alt, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(mPanel.isNull(), 2000);
        QVERIFY(mForm->isVisible());
    }

    void AnErrorOfAPanelButtonTravelsOutsideTheButtonsCode() {
        // A file where the rectangle file's folder should be.
        QFile blocker(mSandbox->Root() + "blocker");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        mSandbox->interaction.saveAnswers = {
            Interaction::SaveChoice{mSandbox->Root() + "blocker/kept.rec", 1}};
        bool thrown = false;
        try {
            mPanel->Button(4)->click();
        } catch (...) {
            thrown = true;
        }
        QVERIFY(!thrown);
        QCoreApplication::sendPostedEvents();
        const QStringList errors = mSandbox->interaction.Texts("tell");
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains("blocker"), qPrintable(errors.first()));
        QVERIFY(mPanel->isVisible());
    }

    // Closed by the window manager (Alt+F4), the capture windows never end the
    // program: only the main window's close may, which asks about changed
    // pictures and stores the settings.
    void AWindowManagersCloseOfTheOverlayLeavesCaptureModeAsEscDoes() {
        bool lastWindowClosed = false;
        const auto watch = connect(qApp, &QGuiApplication::lastWindowClosed, this,
                                   [&] { lastWindowClosed = true; });
        TEraseF* overlay = Capture(1);
        Drag(overlay, {30, 40}, {130, 90});
        QVERIFY(!overlay->testAttribute(Qt::WA_QuitOnClose));
        overlay->close();
        QVERIFY(!overlay->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(mPanel->isVisible(), 2000);
        QCOMPARE(mPanel->KeptRect(), (Rect{30, 40, 130, 90}));
        QVERIFY(!mForm->isVisible());
        QVERIFY(!lastWindowClosed);
        disconnect(watch);
    }

    void AWindowManagersCloseOfThePanelShowsTheMainWindow() {
        bool lastWindowClosed = false;
        const auto watch = connect(qApp, &QGuiApplication::lastWindowClosed, this,
                                   [&] { lastWindowClosed = true; });
        QVERIFY(!mPanel->testAttribute(Qt::WA_QuitOnClose));
        QVERIFY(mPanel->close());
        QVERIFY(mForm->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(mPanel.isNull(), 2000);
        QVERIFY(!lastWindowClosed);
        disconnect(watch);
    }

    void OffOpensTheLastShotAndClosesThePanel() {
        TEraseF* overlay = Capture(1);
        Drag(overlay, {10, 20}, {110, 70});
        Press(overlay, Qt::Key_F3);
        QTRY_VERIFY_WITH_TIMEOUT(mPanel->isVisible(), 2000);
        Click(2);
        QVERIFY(mForm->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(mPanel.isNull(), 2000);
        const QList<TChild*> documents = mForm->Documents();
        QCOMPARE(documents.size(), 1);
        QCOMPARE(documents.first()->PictureFile(), Shots() + "SShot3_0.jpg");
        QCOMPARE(documents.first()->windowTitle(), QStringLiteral("SShot3_0.jpg"));
    }

    void OffWithoutAShotOpensNothing() {
        Click(2);
        QVERIFY(mForm->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(mPanel.isNull(), 2000);
        QVERIFY(mForm->Documents().isEmpty());
    }

    void ScaledScreenShootsInDevicePixels() {
        mGrabber.reset();
        mGrabber = std::make_unique<PictureGrabber>(mDesktop, 2.0);
        TEraseF* overlay = Capture(1);
        QCOMPARE(overlay->geometry(), QRect(0, 0, 200, 150));
        Drag(overlay, {150, 100}, {50, 25}); // logical: (300, 200) - (100, 50) on the device
        QCOMPARE(overlay->SelectRect(), (Rect{300, 200, 100, 50}));
        Press(overlay, Qt::Key_F8);
        QCOMPARE(Shot("SShot8_0.jpg"), Bytes(JpegOf(mDesktop, {101, 51, 198, 148})));
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::CapturePanelTest)
#include "CapturePanelTest.moc"
