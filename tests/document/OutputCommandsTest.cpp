#include <memory>

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QStatusBar>
#include <QToolBar>

#include <unistd.h>

#include "app/TForm1.h"
#include "app/WidgetTestSupport.h"
#include "document/ImageControl.h"
#include "document/PictureImage.h"
#include "document/Selection.h"
#include "document/TChild.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/PictureFile.h"

namespace pixmoth {

using test::GradientBitmap;
using test::ProgramSandbox;
using test::SendMouse;
using test::Trigger;

namespace {

// Captions of a menu's items in order, "-" for a separator.
QStringList Captions(const QMenu* menu) {
    QStringList captions;
    for (const QAction* action : menu->actions()) {
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return captions;
}

QImage Crop(const Bitmap& picture, const QRect& rect) {
    return ToImage(picture).copy(rect);
}

// Runs a poppler tool; its standard output, or a failed comparison.
QString Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return QStringLiteral("FAILED: ") + program + ": " + process.readAllStandardError();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// What a one-page PDF shows: the pixel size of its one embedded picture, and
// where the page shows it, in points from the page's top-left corner.
struct PrintedPicture {
    QSize pixels;
    QRect placed;

    // The picture at the page's top-left corner, `points` large give or take
    // the one point the page's rendering may blur.
    bool Shows(QSize picture, QSize points) const {
        return pixels == picture && placed.topLeft() == QPoint(0, 0) &&
               qAbs(placed.width() - points.width()) <= 1 &&
               qAbs(placed.height() - points.height()) <= 1;
    }
    QString Text() const {
        return QStringLiteral("%1 x %2 pixels shown at %3, %4 in %5 x %6 points")
            .arg(pixels.width())
            .arg(pixels.height())
            .arg(placed.x())
            .arg(placed.y())
            .arg(placed.width())
            .arg(placed.height());
    }
};

PrintedPicture ReadPrint(const QString& pdf) {
    PrintedPicture printed;
    // pdfimages -list: two header lines, then "page num type width height ...".
    const QStringList lines =
        Run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).split('\n');
    if (lines.size() > 2) {
        const QStringList fields = lines[2].simplified().split(' ');
        if (fields.size() > 4) {
            printed.pixels = QSize(fields[3].toInt(), fields[4].toInt());
        }
    }
    const QString page = pdf + QStringLiteral("-page");
    Run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
         QStringLiteral("-singlefile"), pdf, page});
    const QImage shown(page + QStringLiteral(".png"));
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (shown.pixel(x, y) != qRgb(255, 255, 255)) {
                printed.placed |= QRect(x, y, 1, 1);
            }
        }
    }
    return printed;
}

} // namespace

class OutputCommandsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ProgramSandbox> mSandbox;
    std::unique_ptr<TForm1> mForm;

    TChild* Open(const QString& name, const Bitmap& picture) {
        const QString path = mSandbox->Root() + name;
        SaveBmp(picture, path.toStdString());
        mForm->OpenPicture(path);
        QCoreApplication::processEvents();
        return mForm->ActiveDocument();
    }

    static void Drag(TChild* child, QPoint from, QPoint to) {
        SendMouse(child->Image(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        SendMouse(child->Image(), QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        SendMouse(child->Image(), QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }

    static QAction* ZoomIn(TChild* child) { return child->ToolBar1()->actions().first(); }

    // The boxes shown since the last call, as "kind: text".
    QStringList Boxes() {
        QStringList boxes;
        for (const auto& shown : mSandbox->interaction.shown) {
            if (shown.what == QStringLiteral("tell")) {
                boxes << QStringLiteral("%1: %2").arg(int(shown.kind)).arg(shown.text);
            }
        }
        mSandbox->interaction.shown.clear();
        return boxes;
    }

    static QString Box(Interaction::Kind kind, const QString& text) {
        return QStringLiteral("%1: %2").arg(int(kind)).arg(text);
    }

private slots:
    void initTestCase() { test::SilenceOffscreenNoise(); }

    void init() {
        mSandbox = std::make_unique<ProgramSandbox>();
        SharedSelection().Clear();
        QGuiApplication::clipboard()->clear();
        mForm = test::ShowMainWindow();
        QVERIFY(mForm != nullptr);
    }

    void cleanup() {
        test::DeleteMainWindow(mForm);
        mSandbox.reset();
    }

    void theMenusOfferTheOutputCommands() {
        QCOMPARE(Captions(mForm->MainMenus().at(1)), QStringList{"Paste as New Image"});
        TChild* child = Open(QStringLiteral("a.bmp"), GradientBitmap(50, 40));
        QCOMPARE(Captions(child->Menus().at(0)),
                 (QStringList{"&Open...", "-", "Print dialog", "Print", "Send as mail", "-",
                              "Save As", "-", "&Close", "Close All"}));
        QCOMPARE(Captions(child->Menus().at(1)),
                 (QStringList{"Undo", "Redo", "-", "Select All", "-", "Set as wallpaper",
                              "Copy  to clipboard", "Paste as Image"}));
        QCOMPARE(Captions(child->PopupMenu1()),
                 (QStringList{"Select All", "-", "Copy  to clipboard", "Set as wallpaper"}));
        // Ctrl+X is the paste key the program always had; Ctrl+V is every
        // other program's.
        const QList<QKeySequence> pasteKeys = child->Command("PasteAction")->shortcuts();
        QVERIFY(pasteKeys.contains(QKeySequence(QStringLiteral("Ctrl+V"))));
        QVERIFY(pasteKeys.contains(QKeySequence(QStringLiteral("Ctrl+X"))));
    }

    void copyTakesTheSelectedPixelsAndIsEnabledOnlyWhileThereIsASelection_data() {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<int>("zoomSteps");
        QTest::addColumn<QRect>("copied");
        QTest::newRow("dragged down to the right")
            << QPoint(10, 5) << QPoint(40, 25) << 0 << QRect(10, 5, 30, 20);
        QTest::newRow("dragged up to the left: the same")
            << QPoint(40, 25) << QPoint(10, 5) << 0 << QRect(10, 5, 30, 20);
        QTest::newRow("past the picture's corner")
            << QPoint(30, 20) << QPoint(90, 70) << 0 << QRect(30, 20, 30, 20);
        QTest::newRow("select all while zoomed in")
            << QPoint() << QPoint() << 2 << QRect(0, 0, 60, 40);
    }
    void copyTakesTheSelectedPixelsAndIsEnabledOnlyWhileThereIsASelection() {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(int, zoomSteps);
        QFETCH(QRect, copied);
        const Bitmap picture = GradientBitmap(60, 40);
        TChild* child = Open(QStringLiteral("a.bmp"), picture);
        QAction* copy = child->Command("actCopyToClipboard");
        QVERIFY(!copy->isEnabled());
        for (int i = 0; i < zoomSteps; ++i) {
            Trigger(ZoomIn(child));
        }
        if (from == to) {
            Trigger(child->Command("actSelectAll"));
        } else {
            Drag(child, from, to);
        }
        QVERIFY(copy->isEnabled());
        Trigger(copy);
        const QImage clipboard =
            QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_BGR888);
        QCOMPARE(clipboard, Crop(picture, copied));
        QVERIFY(!SharedSelection().Present());
        QVERIFY2(!copy->isEnabled(), "copy is off until a new rectangle is drawn");
        if (zoomSteps == 0) {
            // The band is gone: the control shows the bare picture again.
            QCOMPARE(child->Image()->grab().toImage().convertToFormat(QImage::Format_BGR888),
                     ToImage(picture));
        }
    }

    void pasteOpensTheClipboardsPictureInAWindowOfItsSize() {
        QAction* mainPaste = mForm->Command("PasteAction");
        QVERIFY(!mainPaste->isEnabled());
        mForm->PasteAsNewImage();
        QCOMPARE(Boxes(), QStringList{Box(Interaction::Kind::Information,
                                          QStringLiteral("There is no Graphic in the Clipboard"))});
        QVERIFY(mForm->Documents().isEmpty());

        TChild* first = Open(QStringLiteral("a.bmp"), GradientBitmap(60, 40));
        QVERIFY(!first->Command("PasteAction")->isEnabled());
        // A picture with a see-through corner, as a web browser copies one.
        QImage image = ToImage(GradientBitmap(150, 30)).convertToFormat(QImage::Format_ARGB32);
        image.setPixel(0, 0, qRgba(0, 0, 0, 0));
        QGuiApplication::clipboard()->setImage(image);
        QVERIFY(mainPaste->isEnabled());
        QVERIFY(first->Command("PasteAction")->isEnabled());

        QTest::keySequence(mForm.get(), QKeySequence(QStringLiteral("Ctrl+X")));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(mForm->Documents().size(), 2);
        TChild* pasted = mForm->ActiveDocument();
        QVERIFY(pasted != first);
        QCOMPARE(pasted->windowTitle(), QStringLiteral("Child"));
        QVERIFY(pasted->PictureFile().isEmpty());
        const int bars = pasted->ToolBar1()->height() + pasted->StatusBar1()->height();
        QCOMPARE(pasted->ClientSize(), QSize(150, 30 + bars));
        QCOMPARE(pasted->NaturalClientWidth(), 150);
        QCOMPARE(pasted->NaturalClientHeight(), 30 + bars);
        QCOMPARE(pasted->Picture().PixelColor(0, 0), (PaletteEntry{255, 255, 255, 0}));
        image.setPixel(0, 0, qRgb(255, 255, 255));
        QCOMPARE(ToImage(pasted->Picture()), image.convertToFormat(QImage::Format_BGR888));
    }

    void mailHandsThePictureToTheMailProgramAndTellsItsAnswer_data() {
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QStringList>("boxes");
        using Kind = Interaction::Kind;
        QTest::newRow("handed over") << 0 << QStringList{Box(Kind::Information, "Done! ")};
        QTest::newRow("attachment missing")
            << 2 << QStringList{Box(Kind::Error, "Attachment not found! ")};
        QTest::newRow("no mail program")
            << 3 << QStringList{Box(Kind::Warning, "User interupted or MAPI not installed")};
        QTest::newRow("anything else") << 4 << QStringList{Box(Kind::Error, "Unknown failure")};
    }
    void mailHandsThePictureToTheMailProgramAndTellsItsAnswer() {
        QFETCH(int, exitStatus);
        QFETCH(QStringList, boxes);
        TChild* child = Open(QStringLiteral("My Photo.bmp"), GradientBitmap(60, 40));
        mSandbox->environment.results = [exitStatus](const test::FakeEnvironment::Start&) {
            return ProgramResult{true, exitStatus, "", ""};
        };
        Trigger(child->Command("Sendasmail1Click"));
        QCoreApplication::sendPostedEvents();
        const auto& started = mSandbox->environment.started;
        QCOMPARE(started.size(), std::size_t{1});
        const std::string file = child->PictureFile().toStdString();
        QVERIFY(started[0].program == "xdg-email");
        QVERIFY((started[0].arguments ==
                 std::vector<std::string>{"--utf8", "--subject", "Send mail with Pixmoth", "--body",
                                          "I like this program!!", "--attach", file,
                                          "friend@example.org"}));
        QCOMPARE(Boxes(), boxes);
    }

    void aPastedPictureIsMailedAsAJpegFileOfItsOwn() {
        QGuiApplication::clipboard()->setImage(ToImage(GradientBitmap(70, 20)));
        mForm->PasteAsNewImage();
        Trigger(mForm->ActiveDocument()->Command("Sendasmail1Click"));
        const auto& arguments = mSandbox->environment.started.at(0).arguments;
        const QString attachment = QString::fromStdString(arguments.at(6));
        QVERIFY2(attachment.endsWith(QStringLiteral("/Picture.jpg")), qPrintable(attachment));
        const Bitmap written = LoadPicture(attachment.toStdString());
        QCOMPARE(QSize(written.Width(), written.Height()), QSize(70, 20));
        QDir(QFileInfo(attachment).path()).removeRecursively();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(Boxes(), QStringList{Box(Interaction::Kind::Information, "Done! ")});
    }

    void theWallpaperIsACopyInTheProgramDirectory() {
        mSandbox->environment.variables["XDG_CURRENT_DESKTOP"] = "KDE";
        TChild* child = Open(QStringLiteral("a.bmp"), GradientBitmap(60, 40));
        Trigger(child->Command("actWallpaper"));
        const QString copy = mSandbox->ProgramDir() + QStringLiteral("Wallpaper-1.bmp");
        QCOMPARE(mSandbox->environment.started.size(), std::size_t{1});
        QVERIFY(mSandbox->environment.started[0].program == "plasma-apply-wallpaperimage");
        QVERIFY(mSandbox->environment.started[0].arguments ==
                std::vector<std::string>{copy.toStdString()});
        QFile stored(child->PictureFile());
        QFile kept(copy);
        QVERIFY(stored.open(QIODevice::ReadOnly) && kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), stored.readAll());

        // A desktop that refuses says so, and no second copy is left behind.
        mSandbox->environment.programsSucceed = false;
        Trigger(child->Command("actWallpaper"));
        const QStringList boxes = Boxes();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith(Box(Interaction::Kind::Error,
                                         "The wallpaper could not be set on KDE Plasma.\r\n"
                                         "plasma-apply-wallpaperimage ")),
                 qPrintable(boxes[0]));
        QCOMPARE(QDir(mSandbox->ProgramDir()).entryList({"Wallpaper-*"}),
                 QStringList{"Wallpaper-1.bmp"});
    }

    void printBlowsEachPixelUpToTheScreensSizeFromThePrintableCorner_data() {
        QTest::addColumn<int>("printerDpi");
        QTest::addColumn<QSize>("points");
        // 200 x 100 pixels on a 96 dpi screen.
        QTest::newRow("1200 dpi: 12 dots a pixel") << 1200 << QSize(144, 72);
        QTest::newRow("250 dpi: 2 dots, the remainder dropped") << 250 << QSize(115, 58);
        QTest::newRow("72 dpi: one dot, not an empty page") << 72 << QSize(200, 100);
    }
    void printBlowsEachPixelUpToTheScreensSizeFromThePrintableCorner() {
        QFETCH(int, printerDpi);
        QFETCH(QSize, points);
        TChild* child = Open(QStringLiteral("a.bmp"), GradientBitmap(200, 100));
        QCOMPARE(child->logicalDpiX(), 96);
        const QString pdf = mSandbox->Root() + QStringLiteral("printed.pdf");
        // The choice made in Print dialog holds for the prints after it.
        mSandbox->interaction.printerSetup = [&](QPrinter& printer) {
            printer.setOutputFileName(pdf);
            printer.setResolution(printerDpi);
            return true;
        };
        Trigger(child->Command("Printdialog2Click"));
        QVERIFY(!QFile::exists(pdf));
        Trigger(child->Command("Print1Click"));
        QCOMPARE(Boxes(), QStringList());
        const PrintedPicture printed = ReadPrint(pdf);
        QVERIFY2(printed.Shows(QSize(200, 100), points), qPrintable(printed.Text()));
    }

    void printGoesToARealPrintQueue() {
        const QString queue = qEnvironmentVariable("PIXMOTH_TEST_PRINT_QUEUE");
        if (queue.isEmpty()) {
            QSKIP(
                qPrintable(QStringLiteral("no print queue: ") +
                           qEnvironmentVariable("PIXMOTH_TEST_PRINT_QUEUE_SKIP",
                                                QStringLiteral("run through WithPrintQueue.sh"))));
        }
        const QString name = QStringLiteral("print%1.bmp").arg(::getpid());
        TChild* child = Open(name, GradientBitmap(200, 100));
        QCOMPARE(mForm->Printer().printerName(), queue);
        Trigger(child->Command("Print1Click"));
        QCOMPARE(Boxes(), QStringList());
        // The queue writes a PDF file named after the job, which is named
        // after the window; it is complete once the queue is idle again.
        QTRY_VERIFY_WITH_TIMEOUT(
            Run(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue}).trimmed().isEmpty(),
            60000);
        const QDir output(qEnvironmentVariable("PIXMOTH_TEST_PRINT_OUTPUT"));
        const QStringList pattern{QStringLiteral("print%1*.pdf").arg(::getpid())};
        QTRY_VERIFY_WITH_TIMEOUT(!output.entryList(pattern, QDir::Files).isEmpty(), 10000);
        const QString pdf = output.filePath(output.entryList(pattern, QDir::Files).first());
        const PrintedPicture printed = ReadPrint(pdf);
        QFile::remove(pdf);
        QFile::remove(pdf + QStringLiteral("-page.png"));
        QVERIFY2(printed.Shows(QSize(200, 100), QSize(144, 72)), qPrintable(printed.Text()));
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::OutputCommandsTest)
#include "OutputCommandsTest.moc"
