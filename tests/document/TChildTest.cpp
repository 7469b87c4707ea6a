#include <csignal>
#include <fstream>
#include <memory>

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include "app/TForm1.h"
#include "app/WidgetTestSupport.h"
#include "document/ImageControl.h"
#include "document/Selection.h"
#include "document/TChild.h"
#include "document/ToolCommands.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/PictureFile.h"
#include "imaging/dialogs/SpinEdit.h"
#include "imaging/dialogs/TFResample.h"
#include "imaging/dialogs/TPicEnhanceForm.h"
#include "imaging/effects/ColourEffects.h"
#include "settings/IniStuff.h"

namespace pixmoth {

// One malloc arena for the whole test, set before main starts any thread: the
// address-space limit of the display-copy test must not be met from the room
// reserved for another thread's arena (the thumbnail list's workers leave
// theirs behind), where malloc would look when its own arena cannot grow.
[[maybe_unused]] const int kOneMallocArena = mallopt(M_ARENA_MAX, 1);

using test::GradientBitmap;
using test::ProgramSandbox;
using test::SamePixels;
using test::SendMouse;
using test::Trigger;

namespace {

Bitmap GreyScaled(Bitmap bitmap) {
    GreyScale(bitmap);
    return bitmap;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TChildTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ProgramSandbox> mSandbox;
    std::unique_ptr<TForm1> mForm;

    // A BMP file of the given picture in the sandbox.
    QString WritePicture(const QString& name, const Bitmap& bitmap) {
        return mSandbox->WritePicture(name, bitmap);
    }

    TChild* Open(const QString& path) {
        const int before = static_cast<int>(mForm->Documents().size());
        mForm->OpenPicture(path);
        QCoreApplication::processEvents();
        const QList<TChild*> documents = mForm->Documents();
        if (documents.size() != before + 1) {
            return nullptr;
        }
        return mForm->ActiveDocument();
    }

    TChild* OpenNew(int width, int height, const QString& name = QStringLiteral("pic.bmp")) {
        return Open(WritePicture(name, GradientBitmap(width, height)));
    }

    static void Click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
    }

    // Runs `act` on the modal dialog that `command` shows.
    template <typename Dialog>
    static void WithDialog(TChild* child, const char* command,
                           const std::function<void(Dialog&)>& act) {
        bool shown = false;
        // Not 0: a zero timeout is a posted call, which would run before the command.
        QTimer::singleShot(1, child, [&] {
            auto* dialog = child->findChild<Dialog*>();
            QVERIFY(dialog != nullptr && dialog->isModal());
            shown = true;
            // Never left hanging when `act` fails.
            const struct Closer {
                QDialog* dialog;
                ~Closer() { dialog->close(); }
            } closer{dialog};
            act(*dialog);
        });
        Trigger(child->Command(QString::fromLatin1(command)));
        QVERIFY(shown);
    }

    static int ToolBarHeight(TChild* child) { return child->ToolBar1()->height(); }
    static int StatusBarHeight(TChild* child) { return child->StatusBar1()->height(); }

    static void Press(TChild* child, const QString& button) {
        QAction* action = nullptr;
        for (QAction* a : child->ToolBar1()->actions()) {
            if (a->text() == button) {
                action = a;
            }
        }
        Trigger(action);
    }

private slots:
    void initTestCase() { test::SilenceOffscreenNoise(); }

    void init() {
        mSandbox = std::make_unique<ProgramSandbox>();
        SharedSelection().Clear();
        mForm = test::ShowMainWindow();
        QVERIFY(mForm != nullptr);
    }

    void cleanup() {
        // Nothing may be asked while tearing down.
        test::DeleteMainWindow(mForm);
        mSandbox.reset();
    }

    void opensAtNaturalSizeWithAMinimumClientWidth_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("clientWidth");
        QTest::newRow("narrow picture gets 140") << 100 << 50 << 140;
        QTest::newRow("exactly 140") << 140 << 30 << 140;
        QTest::newRow("one wider than the minimum") << 141 << 30 << 141;
        QTest::newRow("800 x 600 keeps its size") << 800 << 600 << 800;
    }
    void opensAtNaturalSizeWithAMinimumClientWidth() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, clientWidth);
        TChild* child = OpenNew(width, height);
        QVERIFY(child != nullptr);
        const int clientHeight = height + ToolBarHeight(child) + StatusBarHeight(child);
        QCOMPARE(child->ClientSize(), QSize(clientWidth, clientHeight));
        QCOMPARE(child->Image()->size(), QSize(width, height));
        QCOMPARE(child->PictureWidth(), width);
        QCOMPARE(child->NaturalClientWidth(), clientWidth);
        QCOMPARE(child->NaturalClientHeight(), clientHeight);
        QCOMPARE(child->windowTitle(), QStringLiteral("pic.bmp"));
        QVERIFY(!child->Image()->Stretch());
    }

    void zoomButtonsCompoundFifteenPercentSteps_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("presses");
        QTest::addColumn<QSize>("image");
        QTest::newRow("+ once") << QSize(100, 50) << "+" << QSize(115, 57);
        QTest::newRow("400 -> 460 -> 529 -> 608") << QSize(400, 300) << "+++" << QSize(608, 455);
        QTest::newRow("400 -> 340 -> 289 -> 246") << QSize(400, 300) << "---" << QSize(246, 185);
        QTest::newRow("thirty - reach 6 x 6") << QSize(400, 300) << QString(30, '-') << QSize(6, 6);
        QTest::newRow("6 x 6 no longer changes")
            << QSize(400, 300) << QString(30, '-') + "-+" << QSize(6, 6);
        QTest::newRow("0 gives back the natural size")
            << QSize(400, 300) << "+--0" << QSize(400, 300);
        // 31 steps give 30288 x 22626; the next would pass 32767.
        QTest::newRow("enlarging stops before a side passes 32767")
            << QSize(400, 300) << QString(40, '+') << QSize(30288, 22626);
        QTest::newRow("and shrinks again from there")
            << QSize(400, 300) << QString(40, '+') + "-" << QSize(25745, 19233);
    }
    void zoomButtonsCompoundFifteenPercentSteps() {
        QFETCH(QSize, picture);
        QFETCH(QString, presses);
        QFETCH(QSize, image);
        TChild* child = OpenNew(picture.width(), picture.height());
        const QSize natural = child->ClientSize();
        for (QChar press : presses) {
            Press(child, QString(press));
        }
        QCOMPARE(child->Image()->size(), image);
        const bool zoomed = !presses.endsWith(QLatin1Char('0'));
        QCOMPARE(child->Image()->Stretch(), zoomed);
        if (!zoomed) {
            QCOMPARE(child->ClientSize(), natural);
        } else if (image.width() >= 140) {
            // The client follows the image as far as the work area allows;
            // windows keep a minimum width of 80.
            const int bars = ToolBarHeight(child) + StatusBarHeight(child);
            const QSize room =
                mForm->MdiArea()->viewport()->size().shrunkBy(child->contentsMargins());
            QCOMPARE(child->ClientSize(),
                     QSize(image.width(), image.height() + bars).boundedTo(room));
        }
    }

    void windowsCascadeAndStayInsideTheWorkArea() {
        // A small frame, so a picture larger than it stays under a megabyte:
        // larger ones are turned by worker threads, whose heaps would serve
        // the allocation a later test expects to fail.
        mForm->resize(520, 420);
        QCoreApplication::processEvents();
        const QRect area(QPoint(0, 0), mForm->MdiArea()->viewport()->size());
        QList<TChild*> small;
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) {
            small << OpenNew(200, 100, QLatin1String(name));
        }
        const int step = small[0]->contentsMargins().top();
        QVERIFY(step > 0);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(small[i]->pos(), QPoint(i * step, i * step));
        }
        // Larger than the area: clipped to it at the top-left corner, the
        // picture scrolling inside.
        TChild* big = OpenNew(area.width() + 150, area.height() + 100, QStringLiteral("big.bmp"));
        QCOMPARE(big->geometry(), area);
        QCOMPARE(big->NaturalClientWidth(), area.width() + 150);
        auto* scroll = big->findChild<QScrollArea*>();
        QVERIFY(scroll->horizontalScrollBar()->isVisible());
        Press(big, QStringLiteral("+"));
        QCOMPARE(big->geometry(), area);
        Press(big, QStringLiteral("0"));
        QCOMPARE(big->geometry(), area);
        // Zoomed out but still larger than the area, it scrolls all the same;
        // zoomed out until it fits, then turned to its full size, again.
        Press(big, QStringLiteral("-"));
        QCOMPARE(big->geometry(), area);
        QVERIFY(scroll->horizontalScrollBar()->isVisible());
        QVERIFY(scroll->verticalScrollBar()->isVisible());
        for (int i = 0; i < 4; ++i) {
            Press(big, QStringLiteral("-"));
        }
        QVERIFY(big->height() < area.height());
        Trigger(big->Command(QStringLiteral("Rotate90R1Click")));
        QCOMPARE(big->geometry().height(), area.height());
        QVERIFY(scroll->verticalScrollBar()->isVisible());

        // Zooming a window near the lower right moves it back inside.
        small[2]->move(area.width() - 250, area.height() - 200);
        for (int i = 0; i < 3; ++i) {
            Press(small[2], QStringLiteral("+"));
        }
        QVERIFY(area.contains(small[2]->geometry()));
        QCOMPARE(small[2]->Image()->size(), QSize(303, 151));

        // So does Window > Cascade, which sizes windows by their pictures, in
        // a frame made smaller.
        mForm->resize(420, 340);
        QCoreApplication::processEvents();
        Trigger(big->Command(QStringLiteral("Cascade1Click")));
        const QRect smaller(QPoint(0, 0), mForm->MdiArea()->viewport()->size());
        for (TChild* child : mForm->Documents()) {
            QVERIFY2(smaller.contains(child->geometry()), qPrintable(child->windowTitle()));
        }
    }

    void statusPanelShowsTheMousePosition() {
        TChild* child = OpenNew(100, 50);
        SendMouse(child->Image(), QEvent::MouseMove, QPoint(12, 7), Qt::NoButton, Qt::NoButton);
        QCOMPARE(child->StatusText(0), QStringLiteral("12:7"));
        QCOMPARE(child->StatusText(1), QString());
    }

    void dragKeepsTheCornersInDragOrderWithTheToolBarOffset() {
        TChild* child = OpenNew(100, 80);
        const int top = ToolBarHeight(child);
        SendMouse(child->Image(), QEvent::MouseButtonPress, QPoint(50, 40), Qt::LeftButton,
                  Qt::LeftButton);
        SendMouse(child->Image(), QEvent::MouseMove, QPoint(10, 10), Qt::NoButton, Qt::LeftButton);
        SendMouse(child->Image(), QEvent::MouseButtonRelease, QPoint(10, 10), Qt::LeftButton,
                  Qt::NoButton);
        QCOMPARE(SharedSelection(), (Selection{50, 40 + top, 10, 10 + top}));
        QCOMPARE(NormalizeRect(SharedSelection()), (Rect{10, 10 + top, 50, 40 + top}));
    }

    void dragsWithOtherButtonsOrKeysChangeNothing_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("shift held")
            << int(Qt::LeftButton) << int(Qt::LeftButton) << int(Qt::ShiftModifier);
        QTest::newRow("ctrl held")
            << int(Qt::LeftButton) << int(Qt::LeftButton) << int(Qt::ControlModifier);
        QTest::newRow("right button")
            << int(Qt::RightButton) << int(Qt::RightButton) << int(Qt::NoModifier);
        QTest::newRow("left and right")
            << int(Qt::LeftButton) << int(Qt::LeftButton | Qt::RightButton) << int(Qt::NoModifier);
    }
    void dragsWithOtherButtonsOrKeysChangeNothing() {
        QFETCH(int, button);
        QFETCH(int, buttons);
        QFETCH(int, modifiers);
        TChild* child = OpenNew(100, 80);
        const Selection before{3, 4 + ToolBarHeight(child), 30, 40 + ToolBarHeight(child)};
        SharedSelection() = before;
        const auto mods = Qt::KeyboardModifiers(modifiers);
        SendMouse(child->Image(), QEvent::MouseButtonPress, QPoint(50, 40), Qt::MouseButton(button),
                  Qt::MouseButtons(buttons), mods);
        SendMouse(child->Image(), QEvent::MouseMove, QPoint(10, 10), Qt::NoButton,
                  Qt::MouseButtons(buttons), mods);
        QCOMPARE(SharedSelection(), before);
    }

    void selectAllCoversThePicture() {
        TChild* child = OpenNew(100, 80);
        Trigger(child->Command(QStringLiteral("actSelectAll")));
        const int top = ToolBarHeight(child);
        QCOMPARE(SharedSelection(), (Selection{0, top, 100, 80 + top}));
    }

    void rubberBandInvertsItsDotsAndDrawingTwiceRestores() {
        TChild* child = OpenNew(60, 40);
        const QImage plain = child->Image()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const int top = ToolBarHeight(child);
        SharedSelection() = Selection{5, 3 + top, 50, 30 + top};
        child->DrawSelection();
        const QImage banded =
            child->Image()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QSet<QPair<int, int>> dots;
        for (const QPoint& p : ImageControl::OutlineDots(Rect{5, 3, 50, 30})) {
            dots.insert({p.x(), p.y()});
        }
        QVERIFY(dots.contains({5, 3}));
        QVERIFY(dots.contains({49, 29}));
        QVERIFY2(!dots.contains({6, 3}), "dotted, not solid");
        int inverted = 0;
        for (int y = 0; y < plain.height(); ++y) {
            for (int x = 0; x < plain.width(); ++x) {
                const QRgb before = plain.pixel(x, y) & 0xffffff;
                const QRgb after = banded.pixel(x, y) & 0xffffff;
                if (dots.contains({x, y})) {
                    QCOMPARE(after, before ^ 0xffffffu);
                    ++inverted;
                } else {
                    QCOMPARE(after, before);
                }
            }
        }
        QCOMPARE(inverted, static_cast<int>(dots.size()));
        child->DrawSelection();
        QCOMPARE(child->Image()->grab().toImage().convertToFormat(QImage::Format_RGB32), plain);
    }

    void outlineDotsInsideAClipAreThoseOfTheWholeOutlineThere() {
        // Hand-counted: along the top row x = 0, 2 .. 198 and down the left
        // column y = 2, 4 .. 198; at the far corner x = 29901 .. 29999 (odd)
        // on the bottom row and y = 29901 .. 29997 down the right column.
        const Rect huge{0, 0, 30000, 30000};
        QCOMPARE(ImageControl::OutlineDots(huge, QRect(0, 0, 200, 200)).size(), std::size_t{199});
        QCOMPARE(ImageControl::OutlineDots(huge, QRect(29900, 29900, 100, 100)).size(),
                 std::size_t{99});
        QVERIFY(ImageControl::OutlineDots(huge, QRect(100, 100, 500, 500)).empty());

        const Rect rects[] = {{5, 3, 50, 30},   {50, 30, 5, 3}, {10, 10, 11, 40},
                              {10, 10, 40, 11}, {0, 0, 1, 1},   {7, 8, 9, 10}};
        const QRect clips[] = {{0, 0, 100, 100}, {20, 0, 10, 100}, {6, 2, 3, 3},
                               {-5, -5, 16, 16}, {100, 100, 5, 5}, {9, 29, 41, 1}};
        for (const Rect& rect : rects) {
            for (const QRect& clip : clips) {
                QSet<QPair<int, int>> expected;
                for (const QPoint& dot : ImageControl::OutlineDots(rect)) {
                    if (clip.contains(dot)) {
                        expected.insert({dot.x(), dot.y()});
                    }
                }
                QSet<QPair<int, int>> clipped;
                for (const QPoint& dot : ImageControl::OutlineDots(rect, clip)) {
                    clipped.insert({dot.x(), dot.y()});
                }
                QCOMPARE(clipped, expected);
            }
        }
    }

    void historyThroughTheMenusFollowsTheTable() {
        const Bitmap p0 = GradientBitmap(30, 20);
        const Bitmap p1 = GreyScaled(p0);
        TChild* child = Open(WritePicture(QStringLiteral("h.bmp"), p0));
        QVERIFY(child != nullptr);
        const QStringList steps = {"Greyscale1Click", "actUndo", "actRedo",
                                   "actRedo",         "actUndo", "actUndo"};
        const QList<const Bitmap*> shows = {&p1, &p0, &p0, &p1, &p1, &p0};
        for (int i = 0; i < steps.size(); ++i) {
            Trigger(child->Command(steps[i]));
            QVERIFY2(SamePixels(child->Picture(), *shows[i]),
                     qPrintable(QStringLiteral("after step %1 (%2)").arg(i).arg(steps[i])));
        }
        QVERIFY(child->History().UndoList().empty());
        QCOMPARE(child->History().RedoList().size(), std::size_t{2});
    }

    void theToolsMenuRunsEachOperationOnThePicture() {
        const QStringList captions = {
            "Rotate 90\u00b0 (R)", "Rotate 90\u00b0 (L)", "Flip Right", "Flip Down",
            "Mirror horizontal",   "Mirror vertical",     "Emboss",     "Shadow",
            "Grey scale",          "Anti alias",          "Invert",     "Image Enhancements",
            "Resample Image",      "Create Icon"};
        const Bitmap p0 = GradientBitmap(23, 17);
        TChild* child = Open(WritePicture(QStringLiteral("tools.bmp"), p0));
        QMenu* tools = child->Menus().at(2);
        QStringList shown;
        for (QAction* action : tools->actions()) {
            if (action->isVisible() && !action->isSeparator()) {
                shown << action->text();
            }
        }
        QCOMPARE(shown, captions);
        // The main window's own command, so both open the converter alike.
        QCOMPARE(tools->actions().last(), mForm->Command(QStringLiteral("actIcon")));
        for (const ToolCommand& command : ToolCommands()) {
            Bitmap expected = p0;
            if (command.into != nullptr) {
                Bitmap source = p0;
                command.into(source, expected);
            } else {
                command.inPlace(expected);
            }
            Trigger(child->Command(QString::fromLatin1(command.handler)));
            QVERIFY2(SamePixels(child->Picture(), expected), command.handler);
            QCOMPARE(child->PictureWidth(), expected.Width());
            Trigger(child->Command(QStringLiteral("actUndo")));
            QVERIFY2(SamePixels(child->Picture(), p0), command.handler);
        }
    }

    // The dialogs' results are recorded as one step; a cancelled dialog
    // changes and records nothing.
    void enhancementsAreRecordedOnlyWhenHandedBack() {
        const Bitmap p0 = GradientBitmap(64, 48);
        TChild* child = Open(WritePicture(QStringLiteral("e.bmp"), p0));
        QVERIFY(child->ToolBar1()->actions().contains(child->Command("actImgEnhance")));
        for (const bool handBack : {false, true}) {
            WithDialog<TPicEnhanceForm>(child, "actImgEnhance", [&](TPicEnhanceForm& dialog) {
                dialog.ImgFuncCbo()->setCurrentIndex(0); // Solorize, -3: inverts
                dialog.SpinEdit1()->selectAll();
                QTest::keyClicks(dialog.SpinEdit1(), QStringLiteral("-3"));
                Click(dialog.SpeedButton2());
                QTRY_VERIFY(!dialog.Busy());
                Click(handBack ? dialog.SpeedButton1() : dialog.SpeedButton3());
            });
            if (!handBack) {
                QVERIFY(SamePixels(child->Picture(), p0));
                QVERIFY(child->History().UndoList().empty());
                QVERIFY(child->History().RedoList().empty());
                QVERIFY(!child->Changed());
            }
        }
        Bitmap p1 = p0;
        Invert(p1);
        QVERIFY(SamePixels(child->Picture(), p1));
        QCOMPARE(child->History().UndoList().size(), std::size_t{1});
        QVERIFY(SamePixels(child->History().UndoList().front(), p0));
        QCOMPARE(child->History().RedoList().size(), std::size_t{1});
        QVERIFY(SamePixels(child->History().RedoList().front(), p1));
        QVERIFY(child->Changed());
    }

    void resampledPicturesResizeTheWindowAndUndoRestoresThem() {
        const Bitmap p0 = GradientBitmap(300, 200);
        TChild* child = Open(WritePicture(QStringLiteral("r.bmp"), p0));
        for (const bool ok : {false, true}) {
            WithDialog<TFResample>(child, "actResample", [&](TFResample& dialog) {
                dialog.SpinEdit1()->setFocus();
                dialog.SpinEdit1()->selectAll();
                QTest::keyClicks(dialog.SpinEdit1(), QStringLiteral("50"));
                Click(ok ? dialog.SpeedButton1() : dialog.SpeedButton2());
                QTRY_VERIFY(!dialog.isVisible());
            });
            if (!ok) {
                QVERIFY(SamePixels(child->Picture(), p0));
                QVERIFY(child->History().UndoList().empty());
                QVERIFY(!child->Changed());
            }
        }
        QCOMPARE(child->Picture().Width(), 150);
        QCOMPARE(child->PictureWidth(), 150);
        QCOMPARE(child->PictureHeight(), 100);
        QCOMPARE(child->Image()->size(), QSize(150, 100));
        QCOMPARE(child->History().UndoList().size(), std::size_t{1});
        QCOMPARE(child->History().RedoList().size(), std::size_t{1});
        Trigger(child->Command(QStringLiteral("actUndo")));
        QVERIFY(SamePixels(child->Picture(), p0));
        QCOMPARE(child->PictureWidth(), 300);
        QCOMPARE(child->ClientSize().width(), 300);
    }

    void aPaletteBitmapKeepsItsFormatUntilACommandWorksOnIt() {
        Bitmap palette(40, 30, PixelFormat::Bit8);
        palette.SetPixelColor(3, 4, PaletteEntry{0, 0, 255});
        TChild* child = Open(WritePicture(QStringLiteral("256.bmp"), palette));
        QCOMPARE(child->Picture().Format(), PixelFormat::Bit8);
        const QImage shown = child->Image()->grab().toImage();
        QCOMPARE(QColor(shown.pixel(3, 4)), QColor(255, 0, 0));
        Trigger(child->Command(QStringLiteral("Greyscale1Click")));
        QCOMPARE(child->Picture().Format(), PixelFormat::Bit24);
        Trigger(child->Command(QStringLiteral("actUndo")));
        QCOMPARE(child->Picture().Format(), PixelFormat::Bit8);
    }

    void fiveCommandsLeaveFourSnapshots() {
        TChild* child = OpenNew(30, 20);
        for (int i = 0; i < 5; ++i) {
            Trigger(child->Command(QStringLiteral("FlipRight1Click")));
        }
        QCOMPARE(child->History().UndoList().size(), std::size_t{4});
        QVERIFY(child->Changed());
    }

    void rotationResizesTheWindowAndUndoRestoresIt() {
        TChild* child = OpenNew(200, 100);
        const int bars = ToolBarHeight(child) + StatusBarHeight(child);
        Trigger(child->Command(QStringLiteral("Rotate90R1Click")));
        QCOMPARE(child->PictureWidth(), 100);
        QCOMPARE(child->PictureHeight(), 200);
        QCOMPARE(child->Image()->size(), QSize(100, 200));
        QCOMPARE(child->ClientSize(), QSize(140, 200 + bars));
        Trigger(child->Command(QStringLiteral("actUndo")));
        QCOMPARE(child->Picture().Width(), 200);
        QCOMPARE(child->ClientSize(), QSize(200, 100 + bars));
        QCOMPARE(child->Image()->size(), QSize(200, 100));
    }

    void anUnchangedWindowClosesWithoutAQuestion() {
        TChild* child = OpenNew(30, 20);
        QVERIFY(child->close());
        QVERIFY(mSandbox->interaction.shown.isEmpty());
    }

    void closeQueryAnsweredNoSavesNothing() {
        const QString path = WritePicture(QStringLiteral("keep.bmp"), GradientBitmap(30, 20));
        const QByteArray before = FileBytes(path);
        TChild* child = Open(path);
        Trigger(child->Command(QStringLiteral("Greyscale1Click")));
        mSandbox->interaction.answers = {false};
        QVERIFY(child->close());
        QCOMPARE(mSandbox->interaction.Texts(QStringLiteral("ask")),
                 QStringList{QStringLiteral("File has changed.\r\nSave current file")});
        QCOMPARE(mSandbox->interaction.shown.first().kind, Interaction::Kind::Warning);
        QCOMPARE(FileBytes(path), before);
    }

    void closeQueryAnsweredYesOverwritesThePicturesFile() {
        const Bitmap p0 = GradientBitmap(30, 20);
        const QString path = WritePicture(QStringLiteral("over.bmp"), p0);
        TChild* child = Open(path);
        Trigger(child->Command(QStringLiteral("Greyscale1Click")));
        mSandbox->interaction.answers = {true};
        QVERIFY(child->close());
        QVERIFY(SamePixels(LoadPicture(path.toStdString()), GreyScaled(p0)));
        QVERIFY(mSandbox->interaction.Texts(QStringLiteral("save")).isEmpty());
    }

    void closeQueryWithoutAFileOffersSaveAsAndACancelKeepsTheWindow() {
        const QString path = WritePicture(QStringLiteral("gone.bmp"), GradientBitmap(30, 20));
        TChild* child = Open(path);
        Trigger(child->Command(QStringLiteral("Greyscale1Click")));
        QFile::remove(path);
        mSandbox->interaction.answers = {true};
        QVERIFY(!child->close());
        QCOMPARE(mSandbox->interaction.Texts(QStringLiteral("save")).size(), 1);
        QVERIFY(mForm->Documents().contains(child));

        const QString saved = mSandbox->Root() + QStringLiteral("rescued");
        mSandbox->interaction.answers = {true};
        mSandbox->interaction.saveAnswers = {Interaction::SaveChoice{saved, 2}};
        QVERIFY(child->close());
        QVERIFY(QFile::exists(saved + ".bmp"));
    }

    void closeQueryKeepsTheWindowAndTheOldFileWhenTheSaveFails() {
        const QString path = WritePicture(QStringLiteral("full.bmp"), GradientBitmap(200, 100));
        const QByteArray before = FileBytes(path);
        TChild* child = Open(path);
        Trigger(child->Command(QStringLiteral("Greyscale1Click")));
        mSandbox->interaction.answers = {true};
        // A disk that is full after 1 KB: the write fails part way.
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit oldLimit{};
        getrlimit(RLIMIT_FSIZE, &oldLimit);
        rlimit limit = oldLimit;
        limit.rlim_cur = 1024;
        setrlimit(RLIMIT_FSIZE, &limit);
        const bool closed = child->close();
        setrlimit(RLIMIT_FSIZE, &oldLimit);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!closed);
        QCOMPARE(FileBytes(path), before);
        const QStringList errors = mSandbox->interaction.Texts(QStringLiteral("tell"));
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(QStringLiteral("full.bmp")), qPrintable(errors.first()));
        QCOMPARE(QDir(mSandbox->Root()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void aRefusedCloseAsksAgainAfterTheWindowWasActivated() {
        const QString path = WritePicture(QStringLiteral("a.bmp"), GradientBitmap(30, 20));
        TChild* first = Open(path);
        Trigger(first->Command(QStringLiteral("Greyscale1Click")));
        OpenNew(30, 20, QStringLiteral("b.bmp"));
        QFile::remove(path);
        auto& interaction = mSandbox->interaction;
        interaction.answers = {true}; // Yes, then the Save As dialog is cancelled
        QVERIFY(!mForm->CloseAllDocuments());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(mForm->Documents(), QList<TChild*>{first});
        mForm->MdiArea()->setActiveSubWindow(first);
        QVERIFY(first->Changed());

        interaction.shown.clear();
        QVERIFY(first->close()); // answered No
        const QStringList once = {QStringLiteral("File has changed.\r\nSave current file")};
        QCOMPARE(interaction.Texts(QStringLiteral("ask")), once);

        // A save ends the question too.
        TChild* third = OpenNew(30, 20, QStringLiteral("c.bmp"));
        Trigger(third->Command(QStringLiteral("Greyscale1Click")));
        QFile::remove(mSandbox->Root() + "c.bmp");
        interaction.shown.clear();
        interaction.answers = {true};
        QVERIFY(!third->close());
        interaction.saveAnswers = {Interaction::SaveChoice{mSandbox->Root() + "c2.bmp", 2}};
        Trigger(third->Command(QStringLiteral("SaveAs1Click")));
        QVERIFY(QFile::exists(mSandbox->Root() + "c2.bmp"));
        OpenNew(30, 20, QStringLiteral("d.bmp"));
        mForm->MdiArea()->setActiveSubWindow(third);
        QVERIFY(!third->Changed());
        interaction.shown.clear();
        QVERIFY(third->close());
        QCOMPARE(interaction.Texts(QStringLiteral("ask")), QStringList());
    }

    void aPictureThatCannotBeShownLeavesTheControlEmptyAndThePictureIntact() {
        // 16 MB of 8-bit pixels whose display copy would take 48 MB more.
        Bitmap picture(4000, 4000, PixelFormat::Bit8);
        picture.SetPixelColor(0, 0, PaletteEntry{0, 0, 255});
        const Bitmap original = picture;
        ImageControl control;
        control.resize(4, 4);
        control.SetPicture(nullptr);
        const QRgb background = control.grab().toImage().pixel(0, 0);

        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        rlimit oldLimit{};
        getrlimit(RLIMIT_AS, &oldLimit);
        rlimit limit = oldLimit;
        limit.rlim_cur = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) +
                         (rlim_t{8} << 20);
        setrlimit(RLIMIT_AS, &limit);
        bool thrown = false;
        try {
            control.SetPicture(&picture);
        } catch (...) {
            thrown = true;
        }
        setrlimit(RLIMIT_AS, &oldLimit);
        QVERIFY(!thrown);
        QCOMPARE(control.grab().toImage().pixel(0, 0), background);
        QVERIFY(SamePixels(picture, original));
        QCOMPARE(picture.Format(), PixelFormat::Bit8);

        control.PictureChanged(); // memory again: the picture shows
        QCOMPARE(QColor(control.grab().toImage().pixel(0, 0)), QColor(255, 0, 0));
    }

    void closingAsksWhileThePictureDiffersFromItsSavedState_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("asks");
        QTest::newRow("edit, switch away and back")
            << QStringList{"Greyscale1Click", "switch"} << true;
        QTest::newRow("edit, undo") << QStringList{"Greyscale1Click", "actUndo"} << false;
        QTest::newRow("edit, undo, redo")
            << QStringList{"Greyscale1Click", "actUndo", "actRedo", "actRedo"} << true;
        QTest::newRow("edit, save, switch")
            << QStringList{"Greyscale1Click", "save", "switch"} << false;
        QTest::newRow("edit, save, undo")
            << QStringList{"Greyscale1Click", "save", "actUndo"} << true;
        QTest::newRow("edit, save, edit")
            << QStringList{"Greyscale1Click", "save", "Invert1Click"} << true;
    }
    void closingAsksWhileThePictureDiffersFromItsSavedState() {
        QFETCH(QStringList, steps);
        QFETCH(bool, asks);
        TChild* first = OpenNew(30, 20, QStringLiteral("a.bmp"));
        TChild* second = OpenNew(30, 20, QStringLiteral("b.bmp"));
        mForm->MdiArea()->setActiveSubWindow(first);
        auto& interaction = mSandbox->interaction;
        for (const QString& step : steps) {
            if (step == QStringLiteral("switch")) {
                mForm->MdiArea()->setActiveSubWindow(second);
                mForm->MdiArea()->setActiveSubWindow(first);
                QCOMPARE(mForm->ActiveDocument(), first);
            } else if (step == QStringLiteral("save")) {
                interaction.saveAnswers = {Interaction::SaveChoice{mSandbox->Root() + "s.bmp", 2}};
                Trigger(first->Command(QStringLiteral("SaveAs1Click")));
            } else {
                Trigger(first->Command(step));
            }
        }
        QCOMPARE(first->Changed(), asks);
        interaction.shown.clear();
        QVERIFY(first->close()); // answered No
        QCOMPARE(interaction.Texts(QStringLiteral("ask")).size(), asks ? 1 : 0);
    }

    void activationSetsThePictureDirectoryAndDeactivationClearsTheSelection() {
        QDir(mSandbox->Root()).mkdir(QStringLiteral("other"));
        TChild* first = OpenNew(30, 20, QStringLiteral("a.bmp"));
        TChild* second = OpenNew(30, 20, QStringLiteral("other/b.bmp"));
        QCOMPARE(mForm->PictureDir(), mSandbox->Root() + "other/");
        Trigger(second->Command(QStringLiteral("actSelectAll")));
        QVERIFY(SharedSelection().Present());
        mForm->MdiArea()->setActiveSubWindow(first);
        QCOMPARE(mForm->PictureDir(), mSandbox->Root());
        QCOMPARE(SharedSelection(), Selection{});
    }

    void theActiveDocumentsMenusReplaceTheMainWindows() {
        QMenuBar* bar = mForm->menuBar();
        const auto titles = [bar] {
            QStringList list;
            for (QAction* a : bar->actions()) {
                list << a->text();
            }
            return list;
        };
        QCOMPARE(titles(), (QStringList{"&File", "&Edit", "&Window", "&Help"}));
        TChild* child = OpenNew(30, 20);
        QCOMPARE(titles(), (QStringList{"&File", "&Edit", "&Tools", "&Window", "&Help"}));
        QCOMPARE(bar->actions().first()->menu(), child->Menus().first());
        QVERIFY(child->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(titles(), (QStringList{"&File", "&Edit", "&Window", "&Help"}));
    }

    void saveAsAppliesTheNameRulesAndRemembersFilterAndDirectory() {
        TChild* child = OpenNew(30, 20);
        const QString saveDir = mSandbox->Root() + "saved/";
        QDir().mkpath(saveDir);
        auto& interaction = mSandbox->interaction;
        const std::string ini = mSandbox->IniFile().toStdString();

        Trigger(child->Command(QStringLiteral("SaveAs1Click"))); // cancelled: nothing stored
        QCOMPARE(IniReadInteger(ini, "Save Dlg Filter", "value", 0), 0);

        interaction.saveAnswers = {Interaction::SaveChoice{saveDir + "holiday", 2}};
        Trigger(child->Command(QStringLiteral("SaveAs1Click")));
        QCOMPARE(interaction.shown.last().filterIndex, 1);
        QCOMPARE(interaction.shown.last().directory, mSandbox->Home());
        QCOMPARE(interaction.shown.last().text,
                 QStringLiteral("Jpeg Image (*.jpg);;Bitmap (*.bmp);;PNG Image (*.png)"));
        QVERIFY(FileBytes(saveDir + "holiday.bmp").startsWith("BM"));
        QCOMPARE(IniReadInteger(ini, "Save Dlg Filter", "value", 0), 2);
        QCOMPARE(IniReadString(ini, "Save Dir", "value", ""), saveDir.toStdString());

        interaction.saveAnswers = {Interaction::SaveChoice{saveDir + "holiday.gif", 1}};
        Trigger(child->Command(QStringLiteral("SaveAs1Click")));
        QCOMPARE(interaction.shown.last().filterIndex, 2);
        QCOMPARE(interaction.shown.last().directory, saveDir);
        QVERIFY(FileBytes(saveDir + "holiday.gif.jpg").startsWith("\xff\xd8"));
        QCOMPARE(IniReadInteger(ini, "Save Dlg Filter", "value", 0), 1);

        // The PNG filter: lossless, remembered like the others.
        interaction.saveAnswers = {Interaction::SaveChoice{saveDir + "lossless", 3}};
        Trigger(child->Command(QStringLiteral("SaveAs1Click")));
        QCOMPARE(interaction.shown.last().filterIndex, 1);
        QVERIFY(
            SamePixels(LoadPicture((saveDir + "lossless.png").toStdString()), child->Picture()));
        QCOMPARE(IniReadInteger(ini, "Save Dlg Filter", "value", 0), 3);

        // An existing file under the completed name is replaced only when the
        // user says so.
        const QByteArray before = FileBytes(saveDir + "holiday.bmp");
        Trigger(child->Command(QStringLiteral("Greyscale1Click")));
        interaction.saveAnswers = {Interaction::SaveChoice{saveDir + "holiday", 2}};
        interaction.answers = {false};
        Trigger(child->Command(QStringLiteral("SaveAs1Click")));
        QCOMPARE(interaction.shown.last().text,
                 QStringLiteral("holiday.bmp already exists.\r\nDo you want to replace it?"));
        QCOMPARE(FileBytes(saveDir + "holiday.bmp"), before);
        QCOMPARE(IniReadInteger(ini, "Save Dlg Filter", "value", 0), 3);

        // Saving leaves the document on the file it came from.
        QCOMPARE(child->windowTitle(), QStringLiteral("pic.bmp"));
        QVERIFY(child->PictureFile().endsWith(QStringLiteral("/pic.bmp")));
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::TChildTest)
#include "TChildTest.moc"
