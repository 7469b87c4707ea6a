#include <climits>
#include <memory>

#include <QFontMetrics>
#include <QtTest>

#include "app/WidgetTestSupport.h"
#include "chrome/TMovieScroll.h"

namespace pixmoth {

namespace {

const QColor kWhite(255, 255, 255);
const QColor kGrey(128, 128, 128);

// Unsmoothed, so every text pixel has exactly the text's colour.
TextFont TestFont() {
    QFont font = DesktopMonospaceFont();
    font.setPixelSize(12);
    font.setStyleStrategy(QFont::NoAntialias);
    return {font, kWhite};
}

int LineHeight(const QFont& font) {
    return QFontMetrics(font).height();
}

// A 200 x 100 scroller on black with its first frame drawn, which puts the
// text just below the control.
std::unique_ptr<TMovieScroll> NewScroller(const QStringList& text, TextFont font = TestFont()) {
    auto scroller = std::make_unique<TMovieScroll>();
    scroller->SetScrollText(text);
    scroller->SetDefaultFont(font);
    scroller->grab();
    return scroller;
}

QImage Frame(TMovieScroll& scroller) {
    return scroller.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void Scroll(TMovieScroll& scroller, int pixels) {
    for (int i = 0; i < pixels; ++i) {
        scroller.Timer1Timer();
    }
}

// The bounding box of the pixels of `color` within rows [top, bottom), inside
// the outline the scroller draws around itself.
QRect Ink(const QImage& image, const QColor& color, int top = 0, int bottom = INT_MAX) {
    QRect box;
    for (int y = std::max(top, 2); y < std::min(bottom, image.height() - 1); ++y) {
        for (int x = 1; x < image.width() - 1; ++x) {
            if (image.pixelColor(x, y) == color) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

} // namespace

class TMovieScrollTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::SilenceOffscreenNoise(); }

    // Lines follow each other down from ScrollPosition (an empty one as high
    // as a line of text), centred or one pixel from the left, each over its
    // shadow ShadowOffset pixels right and down.
    void PaintsEachLineAtItsPosition_data() {
        QTest::addColumn<bool>("center");
        QTest::addColumn<bool>("shadow");
        QTest::newRow("centred with shadow") << true << true;
        QTest::newRow("centred without shadow") << true << false;
        QTest::newRow("left with shadow") << false << true;
    }
    void PaintsEachLineAtItsPosition() {
        QFETCH(bool, center);
        QFETCH(bool, shadow);
        auto scroller = NewScroller({QStringLiteral("WW"), QString(), QStringLiteral("MMMM")});
        scroller->SetCenterText(center);
        scroller->SetShadow(shadow);
        scroller->SetShadowOffset(3);
        QCOMPARE(scroller->ScrollPosition(), 101);
        Scroll(*scroller, 70);
        const int top = scroller->ScrollPosition();
        QCOMPARE(top, 31);
        const QImage frame = Frame(*scroller);
        const int h = LineHeight(TestFont().font);

        QVERIFY(Ink(frame, kWhite, top + h, top + 2 * h).isEmpty());
        // W and M are capitals of one height: their ink starts equally far
        // below the top of their line.
        const int capTop = Ink(frame, kWhite, top, top + h).top() - top;
        const QFontMetrics metrics(TestFont().font);
        QVERIFY(std::abs(capTop - (metrics.ascent() - metrics.capHeight())) <= 1);
        for (const int band : {top, top + 2 * h}) {
            const QRect text = Ink(frame, kWhite, band, band + h);
            QCOMPARE(text.top() - band, capTop);
            if (center) {
                QVERIFY(std::abs(text.left() - (frame.width() - 1 - text.right())) <= 2);
            } else {
                QVERIFY(text.left() >= 1 && text.left() <= 3);
            }
            const QRect shade = Ink(frame, kGrey, band, band + h + 3);
            if (shadow) {
                QCOMPARE(shade.right(), text.right() + 3);
                QCOMPARE(shade.bottom(), text.bottom() + 3);
            } else {
                QVERIFY(shade.isEmpty());
            }
        }
    }

    // A tagged line looks exactly as the same text drawn in the font the tags
    // describe.
    void TagsDrawAsTheFontTheyDescribe_data() {
        QTest::addColumn<QString>("tagged");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QFont>("font");
        QTest::addColumn<QColor>("color");
        const TextFont base = TestFont();
        QFont bold = base.font;
        bold.setBold(true);
        QFont slanted = base.font;
        slanted.setItalic(true);
        slanted.setUnderline(true);
        QFont big = base.font;
        big.setPointSize(14);
        QFont serif = base.font;
        serif.setFamily(QStringLiteral("DejaVu Serif"));
        QTest::newRow("bold, /b dropped") << "[b]Bold[/b] text"
                                          << "Bold text" << bold << base.color;
        QTest::newRow("color=255 is red") << "[color=255]Red"
                                          << "Red" << base.font << QColor(255, 0, 0);
        QTest::newRow("italic underlined") << "[i][u]Slanted"
                                           << "Slanted" << slanted << base.color;
        QTest::newRow("size") << "[size=14]Big"
                              << "Big" << big << base.color;
        QTest::newRow("font") << "[font=DejaVu Serif]Serif"
                              << "Serif" << serif << base.color;
    }
    void TagsDrawAsTheFontTheyDescribe() {
        QFETCH(QString, tagged);
        QFETCH(QString, plain);
        QFETCH(QFont, font);
        QFETCH(QColor, color);
        auto withTags = NewScroller({tagged});
        auto withFont = NewScroller({plain}, {font, color});
        Scroll(*withTags, 60);
        Scroll(*withFont, 60);
        const QImage expected = Frame(*withFont);
        QVERIFY(!Ink(expected, color).isEmpty());
        QCOMPARE(Frame(*withTags), expected);
    }

    // Once the last line has left the top by a line's height, the text starts
    // again from below with Loop; without, the scroller stops on CompleteText.
    void LoopStartsAgainOtherwiseTheEndStays_data() {
        QTest::addColumn<bool>("loop");
        QTest::newRow("loop") << true;
        QTest::newRow("no loop") << false;
    }
    void LoopStartsAgainOtherwiseTheEndStays() {
        QFETCH(bool, loop);
        auto scroller = NewScroller({QStringLiteral("A"), QStringLiteral("B")});
        scroller->SetLoop(loop);
        const int h = LineHeight(TestFont().font);
        Scroll(*scroller, 101 + 3 * h);
        QCOMPARE(scroller->ScrollPosition(), -3 * h);
        QVERIFY(Ink(Frame(*scroller), kWhite).isEmpty());
        QCOMPARE(scroller->ScrollPosition(), -3 * h);

        Scroll(*scroller, 1);
        const QImage frame = Frame(*scroller);
        QCOMPARE(scroller->Running(), loop);
        if (loop) {
            QCOMPARE(scroller->ScrollPosition(), 101);
            return;
        }
        const QRect end = Ink(frame, kWhite);
        QVERIFY(end.height() > h);
        QVERIFY(std::abs(end.center().x() - 100) <= 3);
        QVERIFY(std::abs(end.center().y() - 50) <= 3);
        QCOMPARE(Frame(*scroller), frame);
    }

    // A zero or negative interval holds the timer instead of spinning it;
    // resizing starts the text again from below.
    void TimerAndSizeRules() {
        auto scroller = NewScroller({QStringLiteral("A")});
        QVERIFY(scroller->Running());
        for (const int interval : {0, -5}) {
            scroller->SetTimerInterval(interval);
            QVERIFY(!scroller->Running());
        }
        scroller->SetTimerInterval(44);
        QVERIFY(scroller->Running());
        Scroll(*scroller, 30);
        scroller->resize(300, 120);
        Frame(*scroller);
        QCOMPARE(scroller->ScrollPosition(), 121);
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::TMovieScrollTest)
#include "TMovieScrollTest.moc"
