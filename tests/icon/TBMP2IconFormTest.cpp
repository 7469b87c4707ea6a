#include <memory>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QSlider>
#include <QTimer>

#include "TempDir.h"
#include "app/TForm1.h"
#include "app/WidgetTestSupport.h"
#include "document/ImageControl.h"
#include "icon/IconConversion.h"
#include "icon/TBMP2IconForm.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/FileIO.h"
#include "settings/IniStuff.h"

namespace pixmoth {

using test::GradientBitmap;
using test::ProgramSandbox;
using test::SamePixels;
using test::SendMouse;
using test::Trigger;

namespace {

QColor PanelColour(const QFrame* panel) {
    return panel->palette().color(QPalette::Window);
}

} // namespace

class TBMP2IconFormTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ProgramSandbox> mSandbox;
    std::unique_ptr<TBMP2IconForm> mForm;

    QString WritePicture(const QString& name, const Bitmap& bitmap) {
        return mSandbox->WritePicture(name, bitmap);
    }

    // The converter as the main window hands it over, activated once.
    void Open(const QString& picture) {
        mForm = std::make_unique<TBMP2IconForm>();
        mForm->SetIniName(mSandbox->IniFile());
        mForm->SetStartPicName(picture);
        mForm->FormActivate();
    }

    // Picture settings as the controls show them.
    IconSettings ShownSettings() const {
        IconSettings settings;
        settings.size = mForm->TrackBar1()->value();
        settings.filter =
            &FilterTable[static_cast<std::size_t>(mForm->FilterCombo()->currentIndex())];
        settings.keepAspect = mForm->ChbARatio()->isChecked();
        settings.depth = DepthCodeOfChoice(mForm->RGColorIndex());
        settings.useTransparent = mForm->CbTrans()->isChecked();
        settings.transparent = mForm->TransparentColor();
        return settings;
    }

    QStringList Told() const { return mSandbox->interaction.Texts(QStringLiteral("tell")); }

private slots:
    void initTestCase() { test::SilenceOffscreenNoise(); }
    void init() { mSandbox = std::make_unique<ProgramSandbox>(); }
    void cleanup() {
        mForm.reset();
        mSandbox.reset();
    }

    void theWindowStartsAsLaidOut() {
        Open(QString());
        QCOMPARE(mForm->windowTitle(), QStringLiteral("Convert to Icon"));
        QVERIFY(mForm->width() >= 339 && mForm->height() >= 471);
        mForm->show(); // laid out: no caption is cut off
        for (QWidget* control : mForm->findChildren<QWidget*>()) {
            QVERIFY2(control->width() >= control->minimumSizeHint().width(),
                     qPrintable(control->objectName()));
        }
        QCOMPARE(mForm->FilterCombo()->currentText(), QStringLiteral("Mitchell filter"));
        QCOMPARE(mForm->FilterCombo()->count(), 7);
        QCOMPARE(mForm->RGColorIndex(), 2);
        QCOMPARE(mForm->TrackBar1()->minimum(), 16);
        QCOMPARE(mForm->TrackBar1()->maximum(), 48);
        QCOMPARE(mForm->Label5()->text(), QStringLiteral("32 * 32"));
        QVERIFY(mForm->ChbARatio()->isChecked());
        QVERIFY(mForm->CbTrans()->isChecked());
        QVERIFY(mForm->Label3()->text().isEmpty());
        QVERIFY(Told().isEmpty());
    }

    // Open, change the filter, the aspect check box and the size, pick the
    // transparent colour, Convert: each step as the controls drive it.
    void previewAndConversionFollowTheControls() {
        const Bitmap picture = GradientBitmap(640, 480);
        const QString path = WritePicture(QStringLiteral("photo.BMP"), picture);
        Open(path);
        QCOMPARE(mForm->Label3()->text(), path);
        QCOMPARE(mForm->Preview().Width(), 144);
        QCOMPARE(mForm->Preview().Height(), 108);
        const auto cornerOf = [this] {
            const PaletteEntry c = mForm->Preview().PixelColor(0, 0);
            return QColor(c.red, c.green, c.blue);
        };
        QCOMPARE(PanelColour(mForm->PnlTransCol()), cornerOf());

        mForm->FilterCombo()->setCurrentIndex(0);
        mForm->FilterComboChange();
        Bitmap source = picture;
        QVERIFY(SamePixels(mForm->Preview(), ScaleToBox(source, FilterTable[0], true, 144, 142)));
        mForm->ChbARatio()->setChecked(false);
        mForm->ChbARatioClick();
        QCOMPARE(mForm->Preview().Height(), 142);

        // A click picks the colour under it; beside the picture it picks nothing.
        SendMouse(mForm->ImgPreview(), QEvent::MouseButtonPress, QPoint(100, 70), Qt::RightButton,
                  Qt::RightButton);
        QCOMPARE(mForm->TransparentColor(), mForm->Preview().PixelColor(100, 70));
        QCOMPARE(PanelColour(mForm->PnlTransCol()).green(),
                 mForm->Preview().PixelColor(100, 70).green);
        mForm->ImgPreviewMouseDown(QPoint(150, 10));
        QCOMPARE(mForm->TransparentColor(), mForm->Preview().PixelColor(100, 70));

        mForm->TrackBar1()->setValue(20);
        QCOMPARE(mForm->Label5()->text(), QStringLiteral("20 * 20"));
        QVERIFY(!mForm->HasIcon());
        mForm->SetRGColorIndex(3);
        mForm->ConvertButClick();
        QVERIFY(mForm->HasIcon());
        source = picture;
        const ConvertedIcon expected = ConvertToIcon(source, ShownSettings());
        QCOMPARE(mForm->Icon().color.Format(), expected.icon.color.Format());
        QVERIFY(SamePixels(mForm->Icon().color, expected.icon.color));
        QVERIFY(SamePixels(mForm->Icon().mask, expected.icon.mask));
        QVERIFY(SamePixels(mForm->Glyph(), expected.glyph));
        QCOMPARE(mForm->Icon().color.Format(), PixelFormat::Bit4);
        QCOMPARE(mForm->ImgIcon()->pixmap().size(), QSize(20, 20));
        QVERIFY(Told().isEmpty());

        // A filter change resets the picked colour to the preview's corner.
        mForm->FilterCombo()->setCurrentIndex(5);
        mForm->FilterComboChange();
        QCOMPARE(PanelColour(mForm->PnlTransCol()), cornerOf());
    }

    void saveWritesIconsCursorsAndGlyphs() {
        const QString path = WritePicture(QStringLiteral("photo.bmp"), GradientBitmap(480, 640));
        Open(path);
        ScriptedInteractionSaves({{mSandbox->Root() + "out.ico", 1},
                                  {mSandbox->Root() + "out.cur", 2},
                                  {mSandbox->Root() + "glyph.bmp", 3}});
        for (int save = 0; save < 3; ++save) {
            mForm->ConvertButClick();
            mForm->SaveButClick();
            mForm->FormActivate(); // the return from the save dialog
            QVERIFY(!mForm->HasIcon());
        }
        const auto& dialog = mSandbox->interaction.shown.at(0).dialog;
        QCOMPARE(dialog.filter, QStringLiteral("Icons (*.ico);;Cursor(*.cur);;Glyph(*.bmp)"));
        QCOMPARE(dialog.defaultSuffix, QStringLiteral("ico"));
        QVERIFY(dialog.confirmOverwrite);

        QVERIFY(mForm->Icon().mask.Empty()); // dropped by the activation
        mForm->ConvertButClick();
        std::vector<std::uint8_t> expected;
        QCOMPARE(EncodeIconFile(mForm->Icon(), kIconDepth8, expected), kIconWritten);
        QCOMPARE(ReadFileBytes((mSandbox->Root() + "out.ico").toStdString()), expected);
        QCOMPARE(ReadFileBytes((mSandbox->Root() + "out.cur").toStdString()), expected);
        const Bitmap glyph = LoadBmp((mSandbox->Root() + "glyph.bmp").toStdString());
        QCOMPARE(glyph.Format(), PixelFormat::Bit8);
        QCOMPARE(QSize(glyph.Width(), glyph.Height()), QSize(24, 32)); // not filled to a square
        QCOMPARE(mForm->SavedIconPath(), mSandbox->Root() + "glyph.bmp");
        QCOMPARE(mForm->ImgSavedIcon()->pixmap().size(), QSize(24, 32));
        QVERIFY(Told().isEmpty());
    }

    void failuresAreReportedWithTheirTexts() {
        Open(QString());
        mForm->ConvertButClick();
        mForm->SaveButClick();
        QCOMPARE(Told(), QStringList({"You must load a picture first!",
                                      "First you must convert a picture into an Icon!"}));

        // A picture the converter cannot read: reported once per choice, not
        // again by the activation its own message box brings.
        const QString other = mSandbox->Root() + "photo.png";
        test::WriteTextFile(other.toStdString(), "not a picture");
        Open(other);
        mForm->FormActivate();
        mForm->ConvertButClick();
        QCOMPARE(Told().mid(2),
                 QStringList({"Couldn't load " + other, "Couldn't convert " + other}));

        // A write that fails names the file and the reason.
        const QString path = WritePicture(QStringLiteral("photo.jpg.bmp"), GradientBitmap(40, 40));
        Open(path);
        mSandbox->interaction.saveAnswers.push_back(
            Interaction::SaveChoice{mSandbox->Root() + "missing/x.ico", 1});
        mForm->ConvertButClick();
        mForm->SaveButClick();
        QCOMPARE(Told().last(), "Cannot write file \"" + mSandbox->Root() +
                                    "missing/x.ico\": No such file or directory");
    }

    void theIconEditorIsChosenStoredAndStartedOnTheSavedIcon() {
        const QString path = WritePicture(QStringLiteral("photo.bmp"), GradientBitmap(40, 40));
        Open(path);
        mForm->OpenEditClick();
        QCOMPARE(Told(), QStringList({"Choose the icon editor first (Browse)."}));

        mSandbox->interaction.openAnswers = {path, QStringLiteral("/bin/sh")};
        mForm->browsebutClick(); // not a program: refused
        QCOMPARE(Told().last(), path + " is not a program that can be started.");
        mForm->browsebutClick();
        QCOMPARE(IniReadString(mSandbox->IniFile().toStdString(), "Icon Editor", "Location", ""),
                 std::string("/bin/sh"));

        mForm->OpenEditClick(); // nothing saved yet: no file to open
        mSandbox->interaction.saveAnswers.push_back(
            Interaction::SaveChoice{mSandbox->Root() + "made.ico", 1});
        mForm->ConvertButClick();
        mForm->SaveButClick();
        mForm->OpenEditClick();
        const auto& started = mSandbox->environment.started;
        QCOMPARE(started.size(), std::size_t{2});
        QCOMPARE(started[0].program, std::string("/bin/sh"));
        QVERIFY(started[0].arguments.empty());
        QCOMPARE(started[1].arguments,
                 std::vector<std::string>{(mSandbox->Root() + "made.ico").toStdString()});
    }

    // Create Icon opens the modal converter on the active document's picture.
    void createIconOpensTheConverterOnTheActivePicture() {
        TForm1 form;
        form.FormCreate();
        form.show();
        const QString path = WritePicture(QStringLiteral("doc.bmp"), GradientBitmap(60, 30));
        form.OpenPicture(path);
        // Looks for the converter while its modal loop runs and closes it once
        // its activation has shown the picture (or the time is up).
        QString shownPicture;
        QElapsedTimer waited;
        waited.start();
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                auto* converter = qobject_cast<TBMP2IconForm*>(window);
                if (converter != nullptr && converter->isVisible()) {
                    shownPicture = converter->Label3()->text();
                    if (!shownPicture.isEmpty() || waited.elapsed() > 10000) {
                        converter->close();
                    }
                }
            }
        });
        poll.start(10);
        Trigger(form.Command(QStringLiteral("actIcon")));
        QCOMPARE(shownPicture, path);
        form.CloseAllDocuments();
    }

private:
    void ScriptedInteractionSaves(const QList<QPair<QString, int>>& saves) {
        for (const auto& save : saves) {
            mSandbox->interaction.saveAnswers.push_back(
                Interaction::SaveChoice{save.first, save.second});
        }
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::TBMP2IconFormTest)
#include "TBMP2IconFormTest.moc"
