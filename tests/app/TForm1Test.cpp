#include <memory>

#include <QDropEvent>
#include <QEnterEvent>
#include <QFile>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <zlib.h>

#include "app/TForm1.h"
#include "app/TSaveBounds.h"
#include "app/WidgetTestSupport.h"
#include "document/ImageControl.h"
#include "document/TChild.h"
#include "icon/IconConversion.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/IconFile.h"
#include "imaging/codecs/IconReader.h"
#include "imaging/codecs/JpegCodec.h"
#include "imaging/codecs/PngCodec.h"
#include "imaging/codecs/WmfTestFiles.h"
#include "platform/WmfPicture.h"
#include "settings/IniStuff.h"

namespace pixmoth {

using test::GradientBitmap;
using test::ProgramSandbox;
using test::SamePixels;
using test::Trigger;

class TForm1Test : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ProgramSandbox> mSandbox;
    std::unique_ptr<TForm1> mForm;

    std::string Ini() const { return mSandbox->IniFile().toStdString(); }

    QString WriteBmp(const QString& name, int width = 30, int height = 20) {
        const QString path = mSandbox->Root() + name;
        SaveBmp(GradientBitmap(width, height), path.toStdString());
        return path;
    }
    QString WriteJpeg(const QString& name, int width = 30, int height = 20) {
        const QString path = mSandbox->Root() + name;
        SaveJpeg(GradientBitmap(width, height), path.toStdString());
        return path;
    }
    QString WritePng(const QString& name, int width = 30, int height = 20) {
        const QString path = mSandbox->Root() + name;
        SavePng(GradientBitmap(width, height), path.toStdString());
        return path;
    }
    QString WriteBytes(const QString& name, const std::vector<std::uint8_t>& bytes) {
        const QString path = mSandbox->Root() + name;
        WriteFileAtomically(path.toStdString(), bytes);
        return path;
    }
    QString WriteText(const QString& name, const QByteArray& text) {
        const QString path = mSandbox->Root() + name;
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(text);
        }
        return path;
    }

    void Start() {
        mForm = std::make_unique<TForm1>();
        mForm->FormCreate();
        mForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(mForm.get()));
    }

    QStringList Captions() const {
        QStringList captions;
        for (TChild* child : mForm->Documents()) {
            captions << child->windowTitle();
        }
        captions.sort();
        return captions;
    }

    void Drop(const QStringList& paths) {
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls << QUrl::fromLocalFile(path);
        }
        QMimeData data;
        data.setUrls(urls);
        // As the window system delivers a drop: entering first makes the window
        // the drag's target.
        QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(mForm.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(mForm.get(), &drop);
        QCoreApplication::sendPostedEvents();
    }

private slots:
    void initTestCase() { test::SilenceOffscreenNoise(); }

    void init() { mSandbox = std::make_unique<ProgramSandbox>(); }

    void cleanup() {
        if (mForm) {
            for (TChild* child : mForm->Documents()) {
                delete child;
            }
        }
        mForm.reset();
        mSandbox.reset();
    }

    void firstStartCreatesTheSettingsAndUsesTheDefaults() {
        mForm = std::make_unique<TForm1>();
        mForm->FormCreate();
        QCOMPARE(mForm->IniFileName(), mSandbox->ProgramDir() + "Pixmoth.ini");
        QCOMPARE(mForm->HelpFileName(), mSandbox->ProgramDir() + "Pixmoth.html");
        QVERIFY(QFile::exists(mSandbox->IniFile()));
        QCOMPARE(mForm->ShotsDir(), mSandbox->ProgramDir() + "Shots");
        QVERIFY(QFileInfo(mForm->ShotsDir()).isDir());
        QCOMPARE(mForm->PictureDir(), mSandbox->Home());
        QCOMPARE(mForm->pos(), QPoint(10, 10));
        QCOMPARE(mForm->size(), QSize(590, 490));
        QCOMPARE(mForm->Panel1()->width(), 1);
    }

    void theStartDirectoryComesFromTheSettingsWhenItExists_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("existing directory") << "pics/"
                                            << "pics/";
        QTest::newRow("trailing slash added") << "pics"
                                              << "pics/";
        QTest::newRow("vanished directory: home") << "gone/"
                                                  << "";
    }
    void theStartDirectoryComesFromTheSettingsWhenItExists() {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        QDir(mSandbox->Root()).mkdir(QStringLiteral("pics"));
        IniWriteString(Ini(), "Start with", "StartDir", (mSandbox->Root() + stored).toStdString());
        mForm = std::make_unique<TForm1>();
        mForm->FormCreate();
        QCOMPARE(mForm->PictureDir(),
                 expected.isEmpty() ? mSandbox->Home() : mSandbox->Root() + expected);
    }

    void closingStoresTheDirectoryAndTheBoundsForTheNextStart() {
        Start();
        QDir(mSandbox->Root()).mkdir(QStringLiteral("browsed"));
        mForm->SetPictureDir(mSandbox->Root() + "browsed/");
        mForm->move(30, 40);
        mForm->resize(700, 500);
        QVERIFY(mForm->close());
        QCOMPARE(IniReadString(Ini(), "Start with", "StartDir", ""),
                 (mSandbox->Root() + "browsed/").toStdString());
        const QPoint at = mForm->pos();
        QCOMPARE(IniReadInteger(Ini(), "Bounds", "Left", -1), at.x());
        QCOMPARE(IniReadInteger(Ini(), "Bounds", "Top", -1), at.y());
        QCOMPARE(IniReadInteger(Ini(), "Bounds", "Right", -1), at.x() + 700);
        QCOMPARE(IniReadInteger(Ini(), "Bounds", "Bottom", -1), at.y() + 500);

        TForm1 next;
        next.FormCreate();
        QCOMPARE(next.PictureDir(), mSandbox->Root() + "browsed/");
        QCOMPARE(next.pos(), at);
        QCOMPARE(next.size(), QSize(700, 500));
    }

    void boundsFromAMonitorThatIsGoneAreMovedOntoTheScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const int left = screen.right() + 5000;
        IniWriteInteger(Ini(), "Bounds", "Left", left);
        IniWriteInteger(Ini(), "Bounds", "Top", 20);
        IniWriteInteger(Ini(), "Bounds", "Right", left + 300);
        IniWriteInteger(Ini(), "Bounds", "Bottom", 220);
        mForm = std::make_unique<TForm1>();
        mForm->FormCreate();
        QCOMPARE(mForm->size(), QSize(300, 200));
        QCOMPARE(mForm->pos(), QPoint(screen.x() + screen.width() - 300, 20));
    }

    void closingIsAbandonedWhenADocumentMustStayOpen() {
        Start();
        const QString path = WriteBmp(QStringLiteral("a.bmp"));
        mForm->OpenPicture(path);
        TChild* child = mForm->ActiveDocument();
        Trigger(child->Command(QStringLiteral("Greyscale1Click")));
        QFile::remove(path);
        mSandbox->interaction.answers = {true}; // save, then cancel the Save As dialog
        QVERIFY(!mForm->close());
        QVERIFY(mForm->isVisible());
        QCOMPARE(mForm->Documents().size(), 1);
        QCOMPARE(IniReadInteger(Ini(), "Bounds", "Left", -1), -1);
    }

    void picturesOfOtherKindsOpenAsEmptyDocuments() {
        Start();
        const QString path = WriteText(QStringLiteral("drawing.emf"), "not decoded");
        mForm->OpenPicture(path);
        TChild* child = mForm->ActiveDocument();
        QVERIFY(child != nullptr);
        QCOMPARE(child->windowTitle(), QStringLiteral("drawing.emf"));
        QCOMPARE(child->PictureWidth(), 0);
        QCOMPARE(child->ClientSize().width(), 140);
        Trigger(child->Command(QStringLiteral("Greyscale1Click")));
        QVERIFY(child->Changed());
        Trigger(child->Command(QStringLiteral("actUndo")));
        // Nothing to save: the close asks nothing and the file stays as it was.
        mSandbox->interaction.answers = {true};
        QVERIFY(child->close());
        QVERIFY(mSandbox->interaction.shown.isEmpty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("not decoded"));
    }

    void anUndecodablePictureIsReportedOnceAndTheProgramGoesOn() {
        Start();
        const QString broken = WriteText(QStringLiteral("broken.jpg"), "no JPEG here");
        mSandbox->interaction.openAnswers = {broken};
        Trigger(mForm->Command(QStringLiteral("Open1Click")));
        QCOMPARE(mForm->Documents().size(), 0);
        const QStringList errors = mSandbox->interaction.Texts(QStringLiteral("tell"));
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(QStringLiteral("broken.jpg")), qPrintable(errors.first()));
        QCOMPARE(mSandbox->interaction.shown.last().kind, Interaction::Kind::Error);

        mSandbox->interaction.openAnswers = {WriteJpeg(QStringLiteral("good.jpg"))};
        Trigger(mForm->Command(QStringLiteral("Open1Click")));
        QCOMPARE(Captions(), QStringList{QStringLiteral("good.jpg")});
    }

    // Icons by ImageMagick at each depth it writes, a cursor, an icon of
    // several sizes whose 256-pixel picture is a PNG, and a metafile: each
    // chosen in the Open dialog opens as its picture, at its own size.
    void iconsCursorsAndMetafilesOpenAsPictures() {
        Start();
        QImage source(48, 32, QImage::Format_ARGB32);
        source.fill(Qt::transparent); // the right half stays so
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 24; ++x) {
                source.setPixel(x, y, qRgb(255, 0, 0));
            }
        }
        const QString sourcePath = mSandbox->Root() + "source.png";
        QVERIFY(source.save(sourcePath));
        struct Case {
            const char* name;
            QStringList options;
            int width;
            bool alpha;
        };
        const QStringList palette = {"-alpha", "off", "-colors"};
        const Case cases[] = {
            {"depth32.ico", {}, 48, true},
            {"depth8.ico", palette + QStringList{"256"}, 48, false},
            {"depth4.ico", palette + QStringList{"16"}, 48, false},
            {"depth1.ico", palette + QStringList{"2"}, 48, false},
            {"pointer.cur", {}, 48, true},
            {"sizes.ico", {"-define", "icon:auto-resize=256,48,16"}, 256, true},
        };
        for (const Case& c : cases) {
            const QString path = mSandbox->Root() + c.name;
            QCOMPARE(QProcess::execute(QStringLiteral("convert"),
                                       QStringList{sourcePath} + c.options + QStringList{path}),
                     0);
            mSandbox->interaction.openAnswers = {path};
            Trigger(mForm->Command(QStringLiteral("Open1Click")));
            TChild* child = mForm->ActiveDocument();
            QVERIFY2(child != nullptr && child->windowTitle() == c.name, c.name);
            QVERIFY2(SamePixels(child->Picture(), LoadIcon(path.toStdString())), c.name);
            QCOMPARE(child->PictureWidth(), c.width);
            QCOMPARE(child->Picture().PixelColor(2, 2), (PaletteEntry{0, 0, 255}));
            if (c.alpha) {
                QCOMPARE(child->Picture().PixelColor(c.width - 2, 2),
                         (PaletteEntry{255, 255, 255}));
            }
        }

        const QString metafile = WriteBytes(QStringLiteral("plan.wmf"), test::WmfWriter()
                                                                            .Window(0, 0, 60, 40)
                                                                            .Brush(0, 0, 0, 255)
                                                                            .Select(0)
                                                                            .Rectangle(0, 0, 30, 40)
                                                                            .Bytes());
        mSandbox->interaction.openAnswers = {metafile};
        Trigger(mForm->Command(QStringLiteral("Open1Click")));
        TChild* child = mForm->ActiveDocument();
        QCOMPARE(child->windowTitle(), QStringLiteral("plan.wmf"));
        const Bitmap drawn = LoadWmfPicture(metafile.toStdString());
        QCOMPARE(drawn.Width(), 60);
        QVERIFY(SamePixels(child->Picture(), drawn));
        QCOMPARE(child->Picture().PixelColor(10, 20), (PaletteEntry{255, 0, 0}));
        QCOMPARE(mForm->Documents().size(), 7);
        QVERIFY(mSandbox->interaction.Texts(QStringLiteral("tell")).isEmpty());
    }

    // Icons of the program's own writer at each depth it offers: opaque pixels
    // show the colour the icon holds, transparent ones (the uncovered strip and
    // the transparent colour) white.
    void iconsOfTheProgramsOwnWriterOpenAtEveryDepth() {
        Start();
        Bitmap scaled(24, 32);
        for (int y = 0; y < 32; ++y) {
            std::uint8_t* row = scaled.ScanLine(y);
            for (int x = 0; x < 24; ++x) {
                row[3 * x] = static_cast<std::uint8_t>(x * 11);
                row[3 * x + 1] = static_cast<std::uint8_t>(y * 8);
                row[3 * x + 2] = static_cast<std::uint8_t>(255 - x * 5 - y * 3);
            }
        }
        IconSettings settings;
        settings.transparent = scaled.PixelColor(0, 0);
        for (const std::uint8_t depth :
             {kIconDepth1, kIconDepth4, kIconDepth8, kIconDepth24, kIconDepth32}) {
            const QString name = QStringLiteral("own%1.ico").arg(IconDepthBits(depth));
            settings.depth = depth;
            const IconBitmaps icon = BuildIcon(scaled, settings);
            const QString path = mSandbox->Root() + name;
            QCOMPARE(WriteIconFile(path.toStdString(), icon, depth), kIconWritten);
            Bitmap expected(32, 32);
            int transparent = 0;
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < 32; ++x) {
                    const bool clear = icon.mask.PixelColor(x, y) == PaletteEntry{255, 255, 255};
                    transparent += clear ? 1 : 0;
                    expected.SetPixelColor(
                        x, y, clear ? PaletteEntry{255, 255, 255} : icon.color.PixelColor(x, y));
                }
            }
            QVERIFY(transparent > 8 * 32); // the strip and at least the corner pixel

            mSandbox->interaction.openAnswers = {path};
            Trigger(mForm->Command(QStringLiteral("Open1Click")));
            TChild* child = mForm->ActiveDocument();
            QVERIFY2(child != nullptr && child->windowTitle() == name, qPrintable(name));
            QVERIFY2(SamePixels(child->Picture(), expected), qPrintable(name));
        }
        QCOMPARE(mForm->Documents().size(), 5);
        QVERIFY(mSandbox->interaction.Texts(QStringLiteral("tell")).isEmpty());
    }

    void damagedPngsIconsAndMetafilesAreReportedAndTheProgramGoesOn() {
        Start();
        const std::vector<std::uint8_t> png = EncodePng(GradientBitmap(30, 20));
        std::vector<std::uint8_t> badChecksum = png;
        badChecksum[29] ^= 1;
        std::vector<std::uint8_t> huge = png;
        huge[16] = 0x7F; // 2^31 - 1 pixels wide, with its checksum fixed
        const auto crc = ::crc32(0, huge.data() + 12, 17);
        for (int i = 0; i < 4; ++i) {
            huge[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        }
        const QString icon = mSandbox->Root() + "whole.ico";
        QCOMPARE(QProcess::execute(QStringLiteral("convert"), {QStringLiteral("rose:"), icon}), 0);
        const std::vector<std::uint8_t> wholeIcon = ReadFileBytes(icon.toStdString());
        std::vector<std::uint8_t> cutIcon = wholeIcon;
        cutIcon.resize(cutIcon.size() / 2);
        // The one picture's header claims 100000 x 100000 pixels.
        std::vector<std::uint8_t> hugeIcon = wholeIcon;
        const std::size_t dib = hugeIcon[18] | hugeIcon[19] << 8;
        for (const auto& [at, value] : {std::pair{dib + 4, 100000}, {dib + 8, 200000}}) {
            for (int i = 0; i < 4; ++i) {
                hugeIcon[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
            }
        }
        const QString pngIcon = mSandbox->Root() + "png.ico";
        QCOMPARE(QProcess::execute(QStringLiteral("convert"),
                                   {QStringLiteral("rose:"), QStringLiteral("-resize"),
                                    QStringLiteral("256x256!"), pngIcon}),
                 0);
        std::vector<std::uint8_t> badChecksumIcon = ReadFileBytes(pngIcon.toStdString());
        const std::size_t pngAt = badChecksumIcon[18] | badChecksumIcon[19] << 8;
        QVERIFY(IsPngData(badChecksumIcon.data() + pngAt, badChecksumIcon.size() - pngAt));
        badChecksumIcon[pngAt + 29] ^= 1; // the header chunk's checksum
        const std::vector<std::uint8_t> metafile =
            test::WmfWriter().Window(0, 0, 60, 40).Rectangle(0, 0, 30, 40).Bytes();
        const QStringList damaged = {
            WriteBytes(QStringLiteral("cut.png"), {png.begin(), png.begin() + 60}),
            WriteBytes(QStringLiteral("checksum.png"), badChecksum),
            WriteBytes(QStringLiteral("huge.png"), huge),
            WriteBytes(QStringLiteral("cut.ico"), cutIcon),
            WriteBytes(QStringLiteral("huge.ico"), hugeIcon),
            WriteBytes(QStringLiteral("checksum.ico"), badChecksumIcon),
            WriteText(QStringLiteral("fake.cur"), "no cursor here"),
            WriteText(QStringLiteral("fake.wmf"), "no metafile here"),
            WriteBytes(QStringLiteral("empty.wmf"), test::WmfWriter().Bytes()),
            WriteBytes(QStringLiteral("cut.wmf"), {metafile.begin(), metafile.end() - 10}),
        };
        for (const QString& path : damaged) {
            mSandbox->interaction.openAnswers = {path};
            Trigger(mForm->Command(QStringLiteral("Open1Click")));
            QCOMPARE(mForm->Documents().size(), 0);
            const Interaction::Kind kind = mSandbox->interaction.shown.last().kind;
            const QString text = mSandbox->interaction.shown.last().text;
            QVERIFY2(kind == Interaction::Kind::Error && text.contains(path), qPrintable(text));
        }
        mSandbox->interaction.openAnswers = {WritePng(QStringLiteral("good.png"))};
        Trigger(mForm->Command(QStringLiteral("Open1Click")));
        QCOMPARE(Captions(), QStringList{QStringLiteral("good.png")});
    }

    void theOpenDialogOffersThePictureKindsAndStartsInThePictureDirectory() {
        Start();
        Trigger(mForm->Command(QStringLiteral("Open1Click")));
        const auto& shown = mSandbox->interaction.shown;
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().directory, mForm->PictureDir());
        for (const char* pattern :
             {"*.jpg", "*.jpeg", "*.bmp", "*.png", "*.ico", "*.cur", "*.wmf"}) {
            QVERIFY2(shown.first().text.contains(QLatin1String(pattern)), pattern);
        }
        // Only what opens as a picture is offered.
        QVERIFY(!shown.first().text.contains(QLatin1String("*.emf")));
        QCOMPARE(mForm->Documents().size(), 0);
    }

    void droppedPicturesOpenAndAFailingOneDoesNotStopTheOthers() {
        Start();
        const QStringList dropped = {WriteJpeg(QStringLiteral("a.JPG")),
                                     WriteText(QStringLiteral("notes.txt"), "text"),
                                     WriteText(QStringLiteral("broken.bmp"), "BM but nothing else"),
                                     WriteBmp(QStringLiteral("b.bmp")),
                                     WriteJpeg(QStringLiteral("c.Jpeg")),
                                     WritePng(QStringLiteral("d.PNG"))};
        Drop(dropped);
        QCOMPARE(Captions(), (QStringList{"a.JPG", "b.bmp", "c.Jpeg", "d.PNG"}));
        const QStringList errors = mSandbox->interaction.Texts(QStringLiteral("tell"));
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(QStringLiteral("broken.bmp")), qPrintable(errors.first()));
        QCOMPARE(mForm->PictureDir(), mSandbox->Root());
    }

    void theCommandLineOpensPicturesAndExplainsWhatItCannotUse() {
        Start();
        const QString picture = WriteJpeg(QStringLiteral("shot.jpg"));
        mForm->OpenCommandLine({picture, QStringLiteral("--geometry"), QStringLiteral("notes.txt"),
                                WritePng(QStringLiteral("screen.png"))});
        QCOMPARE(Captions(), (QStringList{"screen.png", "shot.jpg"}));
        const QStringList messages = mSandbox->interaction.Texts(QStringLiteral("tell"));
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.first().contains(QStringLiteral("--geometry")));
        QVERIFY(messages.first().contains(QStringLiteral("notes.txt")));
        QVERIFY(messages.first().contains(QStringLiteral("Usage: pixmoth")));

        mSandbox->interaction.shown.clear();
        mForm->OpenCommandLine({QStringLiteral("--"), WriteBmp(QStringLiteral("-dash.bmp"))});
        QVERIFY(Captions().contains(QStringLiteral("-dash.bmp")));
        QVERIFY(mSandbox->interaction.shown.isEmpty());
    }

    void relativeNamesOnTheCommandLineOpenAsFullPaths() {
        Start();
        QDir(mSandbox->Root()).mkdir(QStringLiteral("sub"));
        WriteBmp(QStringLiteral("relative.bmp"));
        const QString started = QDir::currentPath();
        QDir::setCurrent(mSandbox->Root() + "sub");
        mForm->OpenCommandLine({QStringLiteral("../relative.bmp")});
        QDir::setCurrent(started);
        QCOMPARE(Captions(), QStringList{QStringLiteral("relative.bmp")});
        QCOMPARE(mForm->ActiveDocument()->PictureFile(), mSandbox->Root() + "relative.bmp");
        QCOMPARE(mForm->PictureDir(), mSandbox->Root());
    }

    void editStartsThePaintProgramOnTheActivePicture_data() {
        QTest::addColumn<bool>("withDocument");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("withFile");
        QTest::newRow("picture, paint program")
            << true << QStringList{"gimp", "kolourpaint"} << "/fake/bin/kolourpaint" << true;
        QTest::newRow("picture, no paint program") << true << QStringList{} << "xdg-open" << true;
        QTest::newRow("no picture: the paint program alone")
            << false << QStringList{"krita"} << "/fake/bin/krita" << false;
    }
    void editStartsThePaintProgramOnTheActivePicture() {
        QFETCH(bool, withDocument);
        QFETCH(QStringList, installed);
        QFETCH(QString, program);
        QFETCH(bool, withFile);
        for (const QString& name : installed) {
            mSandbox->environment.programs.insert(name.toStdString());
        }
        Start();
        QString path;
        if (withDocument) {
            path = WriteBmp(QStringLiteral("edit me.bmp"));
            mForm->OpenPicture(path);
            // The picture directory may have moved on since; the document's own
            // file is the one to edit.
            mForm->SetPictureDir(mSandbox->Home());
        }
        Trigger(mForm->Command(QStringLiteral("actEdit")));
        const auto& started = mSandbox->environment.started;
        QCOMPARE(started.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(started[0].program), program);
        const std::vector<std::string> arguments =
            withFile ? std::vector<std::string>{path.toStdString()} : std::vector<std::string>{};
        QVERIFY(started[0].arguments == arguments);
    }

    void editWithNothingToRunSaysSo() {
        Start();
        Trigger(mForm->Command(QStringLiteral("actEdit")));
        QVERIFY(mSandbox->environment.started.empty());
        const QStringList messages = mSandbox->interaction.Texts(QStringLiteral("tell"));
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.first().contains(QStringLiteral("kolourpaint")));
    }

    void helpOpensTheShippedPageFromTheProgramDirectory() {
        Start();
        Trigger(mForm->Command(QStringLiteral("Help2Click")));
        const QString page = mSandbox->ProgramDir() + "Pixmoth.html";
        QFile file(page);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (const char* job : {"screenshots", "Editing pictures", "Making icons"}) {
            QVERIFY2(text.contains(QLatin1String(job)), job);
        }
        const auto& started = mSandbox->environment.started;
        QCOMPARE(started.size(), std::size_t{1});
        QCOMPARE(started[0].program, std::string("xdg-open"));
        QVERIFY(started[0].arguments == std::vector<std::string>{page.toStdString()});
    }

    void helpOrEditThatCannotRunSayWhy() {
        mSandbox->environment.programsSucceed = false;
        mSandbox->environment.programs.insert("gimp");
        Start();
        Trigger(mForm->Command(QStringLiteral("Help2Click")));
        const QString page = mSandbox->ProgramDir() + "Pixmoth.html";
        auto& interaction = mSandbox->interaction;
        QTRY_COMPARE(interaction.Texts(QStringLiteral("tell")).size(), 1);
        QCOMPARE(interaction.Texts(QStringLiteral("tell")).first(),
                 "The help page could not be opened.\r\nOpen it in a web browser: " + page);
        Trigger(mForm->Command(QStringLiteral("actEdit")));
        QCOMPARE(interaction.Texts(QStringLiteral("tell")).last(),
                 QStringLiteral("/fake/bin/gimp could not be started."));

        // Without a paint program, the desktop's choice may fail as well.
        mSandbox->environment.programs.clear();
        mForm->OpenPicture(WriteBmp(QStringLiteral("edit.bmp")));
        Trigger(mForm->Command(QStringLiteral("actEdit")));
        QCOMPARE(mSandbox->environment.started.back().program, std::string("xdg-open"));
        QTRY_COMPARE(interaction.Texts(QStringLiteral("tell")).size(), 3);
        QVERIFY(interaction.Texts(QStringLiteral("tell"))
                    .last()
                    .startsWith(QStringLiteral("No paint program was found.")));
    }

    void standardKeysReachTheirCommands_data() {
        QTest::addColumn<QString>("owner"); // "main", "document" or "main, with documents"
        QTest::addColumn<QString>("handler");
        QTest::addColumn<QString>("keys");
        QTest::newRow("open") << "main"
                              << "Open1Click"
                              << "Ctrl+O";
        QTest::newRow("quit") << "main"
                              << "Exit1Click"
                              << "Ctrl+Q";
        QTest::newRow("help") << "main"
                              << "Help2Click"
                              << "F1";
        const char* const document[][2] = {
            {"Open1Click", "Ctrl+O"},    {"SaveAs1Click", "Ctrl+Shift+S"},
            {"SaveAs1Click", "Ctrl+S"},  {"Close1Click", "Ctrl+W"},
            {"Close1Click", "Ctrl+F4"},  {"actUndo", "Ctrl+Z"},
            {"actRedo", "Ctrl+Shift+Z"}, {"actRedo", "Ctrl+Y"},
            {"actSelectAll", "Ctrl+A"},  {"ToolButton1", "Ctrl++"},
            {"ToolButton1", "+"},        {"ToolButton2", "Ctrl+-"},
            {"ToolButton2", "-"},        {"ToolButton3", "Ctrl+0"},
            {"ToolButton3", "0"},        {"Help2Click", "F1"},
        };
        for (const auto& row : document) {
            QTest::addRow("document %s %s", row[0], row[1]) << "document" << row[0] << row[1];
        }
        QTest::newRow("quit with documents") << "main, with documents"
                                             << "Exit1Click"
                                             << "Ctrl+Q";
    }
    void standardKeysReachTheirCommands() {
        QFETCH(QString, owner);
        QFETCH(QString, handler);
        QFETCH(QString, keys);
        Start();
        mForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(mForm.get()));
        QAction* command = mForm->Command(handler);
        QAction* other = nullptr;
        if (owner != QStringLiteral("main")) {
            mForm->OpenPicture(WriteBmp(QStringLiteral("a.bmp")));
            other = mForm->ActiveDocument()->Command(handler);
            mForm->OpenPicture(WriteBmp(QStringLiteral("b.bmp")));
            if (owner == QStringLiteral("document")) {
                command = mForm->ActiveDocument()->Command(handler);
            }
        }
        QVERIFY(command != nullptr);
        QSignalSpy reached(command, &QAction::triggered);
        QSignalSpy otherReached(other != nullptr ? other : command, &QAction::triggered);
        QTest::keySequence(mForm.get(), QKeySequence(keys));
        QCOMPARE(reached.size(), 1);
        if (other != nullptr) {
            QCOMPARE(otherReached.size(), other == command ? 1 : 0);
        }
        QVERIFY(command->shortcuts().contains(QKeySequence(keys)));
    }

    void theWindowMenuListsTheDocumentsAndActivatesTheChosenOne() {
        Start();
        const auto entries = [](QMenu* menu) {
            emit menu->aboutToShow();
            QStringList list;
            for (QAction* action : menu->actions()) {
                if (action->isCheckable()) {
                    list << (action->isChecked() ? "* " : "  ") + action->text();
                }
            }
            return list;
        };
        QMenu* mainWindowMenu = mForm->MainMenus().at(2);
        QCOMPARE(entries(mainWindowMenu), QStringList());
        for (const char* name : {"1.bmp", "R&D.bmp", "3.bmp"}) {
            mForm->OpenPicture(WriteBmp(QLatin1String(name)));
        }
        QMenu* menu = mForm->ActiveDocument()->Menus().at(3);
        QCOMPARE(menu->title(), QStringLiteral("&Window"));
        QCOMPARE(entries(menu), (QStringList{"  &1 1.bmp", "  &2 R&&D.bmp", "* &3 3.bmp"}));
        // Opened again, the menu lists each window once.
        QCOMPARE(entries(menu).size(), 3);
        const QList<QAction*> actions = menu->actions();
        actions.at(actions.size() - 2)->trigger();
        QCOMPARE(mForm->ActiveDocument()->windowTitle(), QStringLiteral("R&D.bmp"));
        QCOMPARE(entries(mForm->ActiveDocument()->Menus().at(3)),
                 (QStringList{"  &1 1.bmp", "* &2 R&&D.bmp", "  &3 3.bmp"}));
    }

    void hintsOfMenuItemsAndWindowsShowInTheStatusBar() {
        Start();
        mForm->Command(QStringLiteral("Open1Click"))->showStatusText(mForm.get());
        QCOMPARE(mForm->StatusText(), QStringLiteral("Open picture"));
        const QString path = WriteBmp(QStringLiteral("hint.bmp"));
        mForm->OpenPicture(path);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(mForm->ActiveDocument(), &enter);
        QCOMPARE(mForm->StatusText(), path);
        QCoreApplication::sendEvent(mForm.get(), &enter);
        QCOMPARE(mForm->StatusText(), QStringLiteral("FileMenu"));
    }

    void closeAllClosesEveryUnchangedDocument() {
        Start();
        for (const char* name : {"1.bmp", "2.bmp", "3.bmp"}) {
            mForm->OpenPicture(WriteBmp(QLatin1String(name)));
        }
        Trigger(mForm->ActiveDocument()->Command(QStringLiteral("CloseAll1Click")));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(mForm->Documents().size(), 0);
        QCOMPARE(mForm->ActiveDocument(), nullptr);
    }

    void aBoundsComponentWithAFileNameStoresWhenItGoes() {
        QWidget window;
        window.move(40, 50);
        window.resize(300, 200);
        {
            TSaveBounds bounds(&window);
            bounds.SetIniFile(QStringLiteral("Viewer.cfg"));
        }
        const std::string file = (mSandbox->ProgramDir() + "Viewer.ini").toStdString();
        QCOMPARE(IniReadInteger(file, "Bounds", "Left", -1), 40);
        QCOMPARE(IniReadInteger(file, "Bounds", "Top", -1), 50);
        QCOMPARE(IniReadInteger(file, "Bounds", "Right", -1), 340);
        QCOMPARE(IniReadInteger(file, "Bounds", "Bottom", -1), 250);

        QWidget other;
        other.move(7, 8);
        TSaveBounds restore(&other); // no file name: stores nothing when it goes
        restore.RestoreBounds(&other, mSandbox->ProgramDir() + "missing.ini");
        QCOMPARE(other.pos(), QPoint(7, 8));
        restore.RestoreBounds(&other, QString::fromStdString(file));
        QCOMPARE(other.pos(), QPoint(40, 50));
        QCOMPARE(other.size(), QSize(300, 200));
    }

    void theToolBarAndBackgroundUseTheProgramsArtwork() {
        Start();
        auto* toolBar = mForm->findChild<QToolBar*>(QStringLiteral("ToolBar1"));
        QVERIFY(toolBar != nullptr);
        QCOMPARE(toolBar->iconSize(), QSize(32, 32));
        QCOMPARE(toolBar->actions().size(), 3);
        QCOMPARE(toolBar->actions()[0]->objectName(), QStringLiteral("actShoot"));
        QCOMPARE(toolBar->actions()[1]->objectName(), QStringLiteral("actEdit"));
        QCOMPARE(toolBar->actions()[2]->objectName(), QStringLiteral("actIcon"));
        for (QAction* action : toolBar->actions()) {
            QCOMPARE(toolBar->widgetForAction(action)->size(), QSize(39, 38));
            QVERIFY(!action->icon().isNull());
        }
        const QImage tile(QStringLiteral(":/BackgroundTile.bmp"));
        QCOMPARE(tile.size(), QSize(100, 100));
        QCOMPARE(tile.format(), QImage::Format_Indexed8);
        QCOMPARE(mForm->MdiArea()->background().textureImage().size(), QSize(100, 100));
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::TForm1Test)
#include "TForm1Test.moc"
