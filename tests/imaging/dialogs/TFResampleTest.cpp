#include <memory>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPixmap>
#include <QToolButton>

#include "DialogTestSupport.h"
#include "app/WidgetTestSupport.h"
#include "imaging/dialogs/BackgroundJob.h"
#include "imaging/dialogs/SpinEdit.h"
#include "imaging/dialogs/TFResample.h"

namespace pixmoth {

using test::CliResult;
using test::GradientBitmap;
using test::SamePixels;

class TFResampleTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::ProgramSandbox> mSandbox;
    std::unique_ptr<TFResample> mDialog;
    QPixmap mTile;

    TFResample& Open(const Bitmap& picture) {
        mDialog = std::make_unique<TFResample>();
        mDialog->SetBmpImage(picture);
        mDialog->SetBackground(&mTile);
        mDialog->show();
        [&] { QVERIFY(QTest::qWaitForWindowActive(mDialog.get())); }();
        return *mDialog;
    }

    // Replaces the box's text by typing, as the user does.
    static void Type(SpinEdit* box, const QString& text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }

    // A click on the item's round button.
    static void ClickItem(TFResample& dialog, int item) {
        QAbstractButton* button = dialog.RadioGroup1()->button(item);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    static void UseSizes(TFResample& dialog) { ClickItem(dialog, 1); }

    static void Ok(TFResample& dialog) {
        QTest::mouseClick(dialog.SpeedButton1(), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
        QTRY_VERIFY(!dialog.Busy());
    }

private slots:
    void initTestCase() {
        test::SilenceOffscreenNoise();
        mTile = QPixmap(QStringLiteral(":/BackgroundTile.bmp"));
    }
    void init() { mSandbox = std::make_unique<test::ProgramSandbox>(); }
    void cleanup() {
        mDialog.reset();
        BackgroundJob::WaitForIdle();
        mSandbox.reset();
    }

    void opensWithThePicturesSizeAndBell() {
        TFResample& dialog = Open(GradientBitmap(640, 480));
        QCOMPARE(dialog.SEWidth()->Value(), 640);
        QCOMPARE(dialog.SEHeight()->Value(), 480);
        QCOMPARE(dialog.AspectPercent(), 133);
        QCOMPARE(dialog.SpinEdit1()->Value(), 100);
        QCOMPARE(dialog.FilterCombo()->currentText(), QStringLiteral("Bell filter"));
        QCOMPARE(dialog.RadioGroup1()->checkedId(), 0);
        QVERIFY(dialog.GroupBox1()->isEnabled() && dialog.GroupBox2()->isEnabled());
        UseSizes(dialog);
        QVERIFY(dialog.GroupBox1()->isEnabled() && !dialog.GroupBox2()->isEnabled());
        ClickItem(dialog, 0);
        QVERIFY(!dialog.GroupBox1()->isEnabled() && dialog.GroupBox2()->isEnabled());
        // The tiled background paints, and so does a background without pixels.
        QVERIFY(!dialog.grab().isNull());
        const QPixmap none;
        dialog.SetBackground(&none);
        QVERIFY(!dialog.grab().isNull());
    }

    void sizeBoxesCoupleThroughTheAspectRatio() {
        TFResample& dialog = Open(GradientBitmap(640, 480));
        UseSizes(dialog);
        Type(dialog.SEWidth(), QStringLiteral("400"));
        QCOMPARE(dialog.SEHeight()->Value(), 300);
        Type(dialog.SEHeight(), QStringLiteral("300"));
        QCOMPARE(dialog.SEWidth()->Value(), 399);
        // A click into the text couples as well; the arrows do not.
        dialog.SEWidth()->SetValue(200);
        QTest::mouseClick(dialog.SEWidth()->findChild<QLineEdit*>(), Qt::LeftButton);
        QCOMPARE(dialog.SEHeight()->Value(), 150);
        dialog.SEWidth()->stepUp();
        QCOMPARE(dialog.SEWidth()->Value(), 201);
        QCOMPARE(dialog.SEHeight()->Value(), 150);
        // Without the check box the boxes change alone.
        dialog.ChbARatio()->setChecked(false);
        Type(dialog.SEWidth(), QStringLiteral("50"));
        QCOMPARE(dialog.SEHeight()->Value(), 150);
    }

    void percentagesFollowEveryDigit() {
        TFResample& dialog = Open(GradientBitmap(640, 480));
        SpinEdit* w = dialog.SpinEdit1();
        SpinEdit* h = dialog.SpinEdit2();
        w->setFocus();
        w->selectAll();
        for (const char* step : {"2", "25", "250"}) {
            QTest::keyClick(w, step[qstrlen(step) - 1]);
            QCOMPARE(h->text(), QString::fromLatin1(step));
        }
        w->stepUp(); // the W arrows couple too
        QCOMPARE(h->Value(), 251);
        h->stepUp(); // the H arrows do not
        QCOMPARE(w->Value(), 251);
        Type(h, QStringLiteral("80"));
        QCOMPARE(w->Value(), 80);
        dialog.ChbARatio()->setChecked(false);
        Type(w, QStringLiteral("60"));
        QCOMPARE(h->Value(), 80);
    }

    void aVeryTallPictureCouplesWithoutDividingByZero() {
        TFResample& dialog = Open(GradientBitmap(1, 150));
        QCOMPARE(dialog.AspectPercent(), 0);
        UseSizes(dialog);
        Type(dialog.SEWidth(), QStringLiteral("5"));
        QCOMPARE(dialog.SEHeight()->Value(), 500);
        Type(dialog.SEHeight(), QStringLiteral("300"));
        QCOMPARE(dialog.SEWidth()->Value(), 3);
        QVERIFY(mSandbox->interaction.shown.isEmpty());
    }

    void activationRefillsOnlyTheSizeBoxes() {
        TFResample& dialog = Open(GradientBitmap(2500, 100));
        QCOMPARE(dialog.SEWidth()->Value(), 2000); // clamped into the box
        QCOMPARE(dialog.AspectPercent(), 2500);    // from the real size
        Type(dialog.SEWidth(), QStringLiteral("77"));
        Type(dialog.SpinEdit1(), QStringLiteral("40"));
        dialog.FormActivate();
        QCOMPARE(dialog.SEWidth()->Value(), 2000);
        QCOMPARE(dialog.SEHeight()->Value(), 100);
        QCOMPARE(dialog.SpinEdit1()->Value(), 40);
    }

    // Ctrl+C always, Ctrl+V only for integer text; otherwise only digits,
    // Backspace, Enter and Delete, in all four boxes.
    void theKeyFilterLetsOnlyNumbersIn_data() {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("result");
        QTest::newRow("an integer is pasted") << "123"
                                              << "1123";
        QTest::newRow("a negative one too") << "-7"
                                            << "1-7";
        QTest::newRow("text is not") << "abc"
                                     << "1";
        QTest::newRow("nor a fraction") << "1.5"
                                        << "1";
    }
    void theKeyFilterLetsOnlyNumbersIn() {
        QFETCH(QString, clipboard);
        QFETCH(QString, result);
        TFResample& dialog = Open(GradientBitmap(64, 48));
        for (SpinEdit* box :
             {dialog.SpinEdit1(), dialog.SpinEdit2(), dialog.SEWidth(), dialog.SEHeight()}) {
            dialog.ChbARatio()->setChecked(false);
            Type(box, QStringLiteral("1a+-.x"));
            QCOMPARE(box->text(), QStringLiteral("1"));
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier); // no select-all either
            QGuiApplication::clipboard()->setText(clipboard);
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(box->text(), result);
            QTest::keyClick(box, Qt::Key_Backspace);
            QCOMPARE(box->text(), result.chopped(1));
        }
    }

    // OK resamples exactly as the command-line tool does.
    void okResamplesAsTheCommandLineDoes_data() {
        QTest::addColumn<bool>("sizes");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QSize>("target");
        QTest::newRow("50 percent with Bell") << false << "50"
                                              << "50"
                                              << "Bell filter" << QSize(320, 240);
        QTest::newRow("unchanged percentages blur slightly") << false << "100"
                                                             << "100"
                                                             << "Bell filter" << QSize(640, 480);
        QTest::newRow("sizes with Lanczos3") << true << "400"
                                             << "300"
                                             << "Lanczos3 filter" << QSize(400, 300);
        QTest::newRow("a typed size past 2000 with Box") << true << "2100"
                                                         << "7"
                                                         << "Box filter" << QSize(2100, 7);
    }
    void okResamplesAsTheCommandLineDoes() {
        QFETCH(bool, sizes);
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, filter);
        QFETCH(QSize, target);
        const Bitmap picture = GradientBitmap(640, 480);
        TFResample& dialog = Open(picture);
        dialog.ChbARatio()->setChecked(false);
        if (sizes) {
            UseSizes(dialog);
        }
        dialog.FilterCombo()->setCurrentText(filter);
        // The width last: a value past the bounds stays only while its box has the focus.
        Type(sizes ? dialog.SEHeight() : dialog.SpinEdit2(), height);
        Type(sizes ? dialog.SEWidth() : dialog.SpinEdit1(), width);
        Ok(dialog);
        QCOMPARE(dialog.result(), TFResample::mrOk);
        const QString name = filter.section(QLatin1Char(' '), 0, 0);
        const Bitmap expected =
            CliResult({QStringLiteral("resample"), name, QString::number(target.width()),
                       QString::number(target.height())},
                      picture);
        QVERIFY(!expected.Empty());
        QVERIFY(SamePixels(dialog.BmpImage(), expected));
    }

    // Sizes that cannot be made and a filter that is not in the list are
    // named in a message; the dialog stays open with the picture unchanged.
    void badInputKeepsTheDialogOpen_data() {
        QTest::addColumn<bool>("sizes");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("message");
        QTest::newRow("width 0") << true << "0"
                                 << "Bell filter"
                                 << "The new size 0 x 48 pixels has no pixels: width and height "
                                    "must be at least 1.";
        QTest::newRow("1 percent of 64") << false << "1"
                                         << "Bell filter"
                                         << "The new size 0 x 48 pixels has no pixels: width and "
                                            "height must be at least 1.";
        QTest::newRow("over the size limit")
            << true << "99999999"
            << "Bell filter"
            << "The new size 99999999 x 48 pixels is too large: a side may have at most "
               "16777216 pixels.";
        QTest::newRow("no filter chosen") << false << "50"
                                          << "Bell"
                                          << "Choose a filter from the list.";
    }
    void badInputKeepsTheDialogOpen() {
        QFETCH(bool, sizes);
        QFETCH(QString, width);
        QFETCH(QString, filter);
        QFETCH(QString, message);
        const Bitmap picture = GradientBitmap(64, 48);
        TFResample& dialog = Open(picture);
        dialog.ChbARatio()->setChecked(false);
        if (sizes) {
            UseSizes(dialog);
        }
        dialog.FilterCombo()->setEditText(filter);
        Type(sizes ? dialog.SEWidth() : dialog.SpinEdit1(), width);
        Ok(dialog);
        QCOMPARE(mSandbox->interaction.Texts(QStringLiteral("tell")), QStringList{message});
        QVERIFY(dialog.isVisible());
        QVERIFY(SamePixels(dialog.BmpImage(), picture));
    }

    void cancelLeavesThePicture() {
        const Bitmap picture = GradientBitmap(64, 48);
        TFResample& dialog = Open(picture);
        Type(dialog.SpinEdit1(), QStringLiteral("50"));
        // Cancelled with the resampling still to come: its result is dropped.
        QTest::mouseClick(dialog.SpeedButton1(), Qt::LeftButton);
        QTest::mouseClick(dialog.SpeedButton2(), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(dialog.result(), TFResample::mrCancel);
        BackgroundJob::WaitForIdle();
        QCoreApplication::processEvents();
        QVERIFY(SamePixels(dialog.BmpImage(), picture));
        TFResample& again = Open(picture);
        QTest::keyClick(again.SEWidth(), Qt::Key_Escape);
        QCOMPARE(again.result(), TFResample::mrCancel);
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::TFResampleTest)
#include "TFResampleTest.moc"
