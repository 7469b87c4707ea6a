#include <memory>

#include <QComboBox>
#include <QFrame>
#include <QToolButton>

#include "DialogTestSupport.h"
#include "app/WidgetTestSupport.h"
#include "imaging/bitmap/Random.h"
#include "imaging/dialogs/BackgroundJob.h"
#include "imaging/dialogs/PictureView.h"
#include "imaging/dialogs/SpinEdit.h"
#include "imaging/dialogs/TPicEnhanceForm.h"

namespace pixmoth {

using test::CliResult;
using test::GradientBitmap;
using test::SamePixels;

class TPicEnhanceFormTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::ProgramSandbox> mSandbox;
    std::unique_ptr<TPicEnhanceForm> mDialog;

    TPicEnhanceForm& Open(const Bitmap& picture) {
        mDialog = std::make_unique<TPicEnhanceForm>();
        mDialog->SetPicture(picture);
        mDialog->show();
        [&] { QVERIFY(QTest::qWaitForWindowActive(mDialog.get())); }();
        return *mDialog;
    }

    // What the user does: picks an entry (or types into the list) and a factor.
    static void Choose(TPicEnhanceForm& dialog, const QString& function, const QString& factor) {
        const int index = dialog.ImgFuncCbo()->findText(function);
        if (index >= 0) {
            dialog.ImgFuncCbo()->setCurrentIndex(index);
        } else {
            dialog.ImgFuncCbo()->setEditText(function);
        }
        dialog.SpinEdit1()->setFocus();
        dialog.SpinEdit1()->selectAll();
        QTest::keyClicks(dialog.SpinEdit1(), factor);
    }

    static void Click(QToolButton* button) {
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
    }

    static void Preview(TPicEnhanceForm& dialog) {
        Click(dialog.SpeedButton2());
        QTRY_VERIFY(!dialog.Busy());
    }

    static bool Shows(const TPicEnhanceForm& dialog, const Bitmap& picture) {
        return dialog.Image1()->Image() == ToImage(picture);
    }

private slots:
    void initTestCase() { test::SilenceOffscreenNoise(); }
    void init() { mSandbox = std::make_unique<test::ProgramSandbox>(); }
    void cleanup() {
        mDialog.reset();
        BackgroundJob::WaitForIdle();
        mSandbox.reset();
    }

    // The factor reaches each entry as the command-line tool passes it.
    void everyPreviewMatchesTheCommandLine_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("factor");
        for (int index = 0; index < 24; ++index) {
            if (index != 5) { // Ripple Random reseeds from the clock
                QTest::addRow("entry %d, factor 3", index) << index << QStringLiteral("3");
            }
        }
        QTest::newRow("Solorize -40") << 0 << QStringLiteral("-40");
        QTest::newRow("Posterize 300, as typed") << 1 << QStringLiteral("300");
        QTest::newRow("Darken -20 as 20") << 12 << QStringLiteral("-20");
        QTest::newRow("Keep Red 2") << 11 << QStringLiteral("2");
    }
    void everyPreviewMatchesTheCommandLine() {
        QFETCH(int, index);
        QFETCH(QString, factor);
        const Bitmap picture = GradientBitmap(61, 47);
        TPicEnhanceForm& dialog = Open(picture);
        Choose(dialog, dialog.ImgFuncCbo()->itemText(index), factor);
        QCOMPARE(dialog.SelectedFunction(), index);
        SetRandSeed(0); // as the tool starts
        Preview(dialog);
        const Bitmap expected =
            CliResult({QStringLiteral("enhance"), QString::number(index), factor}, picture);
        QVERIFY(!expected.Empty());
        QVERIFY(SamePixels(dialog.WorkBitmap(), expected));
        QVERIFY(Shows(dialog, expected));
    }

    void everyPreviewStartsFromTheUntouchedPicture() {
        const Bitmap picture = GradientBitmap(40, 30);
        TPicEnhanceForm& dialog = Open(picture);
        Choose(dialog, QStringLiteral("Darken"), QStringLiteral("10"));
        Preview(dialog);
        const Bitmap first = dialog.WorkBitmap();
        QVERIFY(!SamePixels(first, picture));
        Preview(dialog);
        QVERIFY(SamePixels(dialog.WorkBitmap(), first));
        // Nothing chosen, or text that names no entry, shows the picture itself.
        for (const QString& text : {QStringLiteral("Select Function"), QStringLiteral("Darkenx")}) {
            Choose(dialog, text, QStringLiteral("10"));
            QCOMPARE(dialog.SelectedFunction(), -1);
            Preview(dialog);
            QVERIFY(SamePixels(dialog.WorkBitmap(), picture));
            QVERIFY(Shows(dialog, picture));
        }
    }

    void typedFactorsReachTheEffectsAsTyped() {
        const Bitmap picture = GradientBitmap(40, 30);
        TPicEnhanceForm& dialog = Open(picture);
        // 0 is below the box's minimum: Posterize with step 1 changes nothing.
        Choose(dialog, QStringLiteral("Posterize"), QStringLiteral("0"));
        Preview(dialog);
        QCOMPARE(dialog.SpinEdit1()->text(), QStringLiteral("0"));
        QVERIFY(SamePixels(dialog.WorkBitmap(), picture));
        // Every channel average lies above -3, so every pixel is inverted.
        Choose(dialog, QStringLiteral("Solorize"), QStringLiteral("-3"));
        Preview(dialog);
        for (int y = 0; y < picture.Height(); ++y) {
            for (int x = 0; x < picture.Width(); ++x) {
                const PaletteEntry was = picture.PixelColor(x, y);
                const PaletteEntry now = dialog.WorkBitmap().PixelColor(x, y);
                QVERIFY(now.blue == 255 - was.blue && now.green == 255 - was.green &&
                        now.red == 255 - was.red);
            }
        }
    }

    void theFactorBoxKeepsTypedTextUntilTheFocusLeaves() {
        TPicEnhanceForm& dialog = Open(GradientBitmap(8, 8));
        SpinEdit* box = dialog.SpinEdit1();
        Choose(dialog, QStringLiteral("Darken"), QStringLiteral("3a0x"));
        QCOMPARE(box->text(), QStringLiteral("30")); // letters beep and are dropped
        QTest::keyClick(box, Qt::Key_Return);        // so is Enter
        QTest::keyClicks(box, QStringLiteral("0"));
        QCOMPARE(box->Value(), 300);
        Click(dialog.SpeedButton2()); // buttons never take the focus
        QTRY_VERIFY(!dialog.Busy());
        QCOMPARE(box->Value(), 300);
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(box->Value(), 255);
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("1.5"));
        QCOMPARE(box->Value(), 1); // no integer reads as the minimum
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("-20"));
        box->clearFocus();
        QCOMPARE(box->Value(), 1);
    }

    void toImageHandsBackTheLastPreviewWithYes() {
        const Bitmap picture = GradientBitmap(40, 30);
        {
            TPicEnhanceForm& dialog = Open(picture);
            Click(dialog.SpeedButton1());
            QCOMPARE(dialog.result(), TPicEnhanceForm::mrYes);
            QVERIFY(SamePixels(dialog.GetPicture(), picture));
        }
        TPicEnhanceForm& dialog = Open(picture);
        Choose(dialog, QStringLiteral("Contrast"), QStringLiteral("5"));
        Preview(dialog);
        const Bitmap preview = dialog.WorkBitmap();
        // The selection is not applied again.
        Choose(dialog, QStringLiteral("Darken"), QStringLiteral("9"));
        Click(dialog.SpeedButton1());
        QCOMPARE(dialog.result(), TPicEnhanceForm::mrYes);
        QVERIFY(SamePixels(dialog.GetPicture(), preview));
        // "to Image" right after Preview hands back that preview once made.
        TPicEnhanceForm& quick = Open(picture);
        Choose(quick, QStringLiteral("Darken"), QStringLiteral("9"));
        QTest::mouseClick(quick.SpeedButton2(), Qt::LeftButton);
        QTest::mouseClick(quick.SpeedButton1(), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
        QTRY_COMPARE(quick.result(), TPicEnhanceForm::mrYes);
        QVERIFY(!SamePixels(quick.GetPicture(), picture));
        QVERIFY(SamePixels(quick.GetPicture(), quick.WorkBitmap()));
    }

    // A failing effect is reported; the preview and the picture handed back
    // stay the last complete preview, not a half-done one.
    void aFailingEffectKeepsTheLastPreview() {
        const Bitmap picture = GradientBitmap(40, 30);
        TPicEnhanceForm& dialog = Open(picture);
        Choose(dialog, QStringLiteral("Darken"), QStringLiteral("10"));
        Preview(dialog);
        const Bitmap preview = dialog.WorkBitmap();
        Choose(dialog, QStringLiteral("Seamless"), QStringLiteral("0"));
        Preview(dialog);
        QCOMPARE(mSandbox->interaction.Texts(QStringLiteral("tell")),
                 QStringList{QStringLiteral("Division by zero")});
        QVERIFY(dialog.isVisible());
        QVERIFY(SamePixels(dialog.WorkBitmap(), preview));
        QVERIFY(Shows(dialog, preview));
        Click(dialog.SpeedButton1());
        QVERIFY(SamePixels(dialog.GetPicture(), preview));
    }

    void cancelChangesNothing() {
        const Bitmap picture = GradientBitmap(300, 200);
        TPicEnhanceForm& dialog = Open(picture);
        // Cancelled while a preview is still running: its result never arrives.
        Choose(dialog, QStringLiteral("GaussianBlur"), QStringLiteral("9"));
        QTest::mouseClick(dialog.SpeedButton2(), Qt::LeftButton);
        QTest::mouseClick(dialog.SpeedButton3(), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(dialog.result(), TPicEnhanceForm::mrCancel);
        QVERIFY(!dialog.isVisible());
        BackgroundJob::WaitForIdle();
        QCoreApplication::processEvents();
        QVERIFY(SamePixels(dialog.WorkBitmap(), picture));
        QVERIFY(SamePixels(dialog.GetPicture(), picture));
        // Escape, like the close box, cancels too.
        TPicEnhanceForm& again = Open(picture);
        QTest::keyClick(again.SpinEdit1(), Qt::Key_Escape);
        QCOMPARE(again.result(), TPicEnhanceForm::mrCancel);
    }

    // The first click squeezes the picture into the panel, the next shows it
    // at actual size with the clicked point in the middle, kept from showing
    // space beyond the picture's right and bottom edges.
    void previewClicksToggleBetweenFitAndActualSize_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QPoint>("click");
        QTest::addColumn<QPoint>("position");
        // 58 x 640 div 121 = 306, 60 - 306; 50 x 480 div 105 = 228, 52 - 228.
        QTest::newRow("centre") << QSize(640, 480) << QPoint(58, 50) << QPoint(-246, -176);
        // (QTest takes a click at (0, 0) for one at the centre.)
        QTest::newRow("top-left corner") << QSize(640, 480) << QPoint(1, 1) << QPoint(0, 0);
        QTest::newRow("bottom-right corner")
            << QSize(640, 480) << QPoint(116, 100) << QPoint(121 - 640, 105 - 480);
        QTest::newRow("smaller than the panel ends at its far edge")
            << QSize(50, 40) << QPoint(10, 10) << QPoint(71, 65);
    }
    void previewClicksToggleBetweenFitAndActualSize() {
        QFETCH(QSize, picture);
        QFETCH(QPoint, click);
        QFETCH(QPoint, position);
        TPicEnhanceForm& dialog = Open(GradientBitmap(picture.width(), picture.height()));
        PictureView* image = dialog.Image1();
        QCOMPARE(image->geometry(), QRect(0, 0, 121, 105));
        QVERIFY(!image->Stretch());
        QTest::mouseClick(image, Qt::RightButton, {}, QPoint(5, 5)); // any button
        QVERIFY(image->Stretch());
        QCOMPARE(image->geometry(), QRect(QPoint(0, 0), dialog.Panel1()->contentsRect().size()));
        QTest::mouseClick(image, Qt::LeftButton, {}, click);
        QVERIFY(!image->Stretch());
        QCOMPARE(image->geometry(), QRect(position, picture));
        // The zoom stays through a Preview.
        Choose(dialog, QStringLiteral("Darken"), QStringLiteral("4"));
        Preview(dialog);
        QCOMPARE(image->geometry(), QRect(position, picture));
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::TPicEnhanceFormTest)
#include "TPicEnhanceFormTest.moc"
