#include <QBoxLayout>
#include <QEnterEvent>
#include <QtTest>

#include "app/WidgetTestSupport.h"
#include "chrome/TRestoreSplitter.h"

namespace pixmoth {

using test::SendMouse;

class TRestoreSplitterTest : public QObject {
    Q_OBJECT

private:
    static inline const QColor kFace{192, 192, 192};

    // A form with a 200-pixel panel, the splitter (472 high) and an area that
    // takes the rest, laid out from the left, or from the right with `right`.
    struct Form {
        QWidget form;
        QWidget* panel = new QWidget;
        TRestoreSplitter* splitter = new TRestoreSplitter;
        QWidget* area = new QWidget;
        int canResize = 0, maximize = 0, restore = 0, moved = 0;

        explicit Form(bool right = false, bool show = true) {
            auto* layout = new QHBoxLayout(&form);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->setSpacing(0);
            panel->setFixedWidth(200);
            if (right) {
                splitter->SetAlign(TAlign::alRight);
                layout->addWidget(area, 1);
                layout->addWidget(splitter);
                layout->addWidget(panel);
            } else {
                layout->addWidget(panel);
                layout->addWidget(splitter);
                layout->addWidget(area, 1);
            }
            splitter->SetMinSize(1);
            splitter->SetButtonWidth(211);
            splitter->SetButtonColor(kFace);
            QObject::connect(splitter, &TSplitter::OnCanResize,
                             [this](QObject*, int&, bool&) { ++canResize; });
            QObject::connect(splitter, &TRestoreSplitter::OnMaximize, [this] { ++maximize; });
            QObject::connect(splitter, &TRestoreSplitter::OnRestore, [this] { ++restore; });
            QObject::connect(splitter, &TSplitter::OnMoved, [this] { ++moved; });
            form.resize(700, 472);
            if (show) {
                form.show();
                QVERIFY(QTest::qWaitForWindowExposed(&form));
            }
        }

        // Press at `from`, move with the button held and release at `to`.
        void Drag(QPoint from, QPoint to) {
            SendMouse(splitter, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
            if (to != from) {
                SendMouse(splitter, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
            }
            SendMouse(splitter, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
        }
        void Hover(QPoint at) {
            SendMouse(splitter, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
        }
        QColor Pixel(QPoint at) const { return splitter->grab().toImage().pixelColor(at); }
    };

    static constexpr QPoint kOnButton{3, 236}; // a pixel of the button's plain fill
    static constexpr QPoint kOffButton{5, 20};

private slots:
    void initTestCase() { test::SilenceOffscreenNoise(); }

    void ButtonOfA472PixelBarSpans130To341() {
        Form f;
        QCOMPARE(f.splitter->height(), 472);
        QCOMPARE(f.splitter->ButtonRect(), QRect(QPoint(1, 130), QPoint(8, 340)));
        const QColor grey(128, 128, 128);
        QVERIFY(f.Pixel({4, 129}) != grey);
        QCOMPARE(f.Pixel({4, 130}), grey);
        QCOMPARE(f.Pixel({4, 340}), grey);
        QVERIFY(f.Pixel({4, 341}) != grey);
        QCOMPARE(f.Pixel({0, 236}), f.Pixel({0, 20})); // the bar's edge is not covered
        QCOMPARE(f.Pixel({2, 236}), QColor(Qt::white));
        QCOMPARE(f.Pixel(kOnButton), kFace);
    }

    void PercentageIsOfTheBarsLengthAndAtMost100() {
        Form f;
        f.splitter->SetButtonWidthType(TButtonWidthType::btwPercentage);
        QCOMPARE(f.splitter->ButtonWidth(), 100); // 211 clamped on switching
        f.splitter->SetButtonWidth(50);
        f.form.resize(700, 400);
        QTRY_COMPARE(f.splitter->ButtonRect(), QRect(1, 100, 8, 200));
        f.splitter->SetButtonWidth(150);
        QCOMPARE(f.splitter->ButtonWidth(), 100);
        f.splitter->SetButtonWidth(-4);
        QCOMPARE(f.splitter->ButtonWidth(), 0);
        QVERIFY(f.splitter->ButtonRect().isEmpty());
    }

    void PressMovingFivePixelsIsAClickSixIsADrag_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("moved");
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("restoreSize");
        QTest::newRow("5 pixels: the drag, then the click") << 2 << 5 << true << 0 << 205;
        QTest::newRow("6 pixels: a drag only") << 2 << 6 << false << 206 << 200;
        QTest::newRow("5 pixels back") << 7 << -5 << true << 0 << 195;
        QTest::newRow("6 pixels back") << 7 << -6 << false << 194 << 200;
    }
    void PressMovingFivePixelsIsAClickSixIsADrag() {
        QFETCH(int, from);
        QFETCH(int, moved);
        Form f;
        f.Drag({from, 236}, {from + moved, 236});
        QTEST(f.splitter->Maximized(), "maximized");
        QTEST(f.panel->width(), "width");
        QTEST(f.splitter->RestoreSize(), "restoreSize");
    }

    void ButtonCollapsesToZeroAndRestoresTheSize() {
        Form f;
        f.Drag(kOnButton, kOnButton);
        QVERIFY(f.splitter->Maximized());
        QCOMPARE(f.panel->width(), 0); // MinSize 1 snaps to 0
        QCOMPARE(f.splitter->x(), 0);
        QCOMPARE(f.splitter->RestoreSize(), 200);
        QCOMPARE(f.canResize, 1);
        QCOMPARE(f.maximize, 1);
        QCOMPARE(f.restore, 0);

        f.Drag(kOnButton, kOnButton);
        QVERIFY(!f.splitter->Maximized());
        QCOMPARE(f.panel->width(), 200);
        QCOMPARE(f.canResize, 2);
        QCOMPARE(f.maximize, 1);
        QCOMPARE(f.restore, 1);
        QCOMPARE(f.moved, 2);
    }

    void CollapsesBeforeTheWindowIsShown() {
        Form f(false, false);
        f.splitter->SetMaximized(true);
        QCOMPARE(f.panel->width(), 0);
        QCOMPARE(f.canResize, 1);
        f.splitter->SetRestoreSize(222);
        f.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));
        f.splitter->SetMaximized(false);
        QCOMPARE(f.panel->width(), 222);
        QCOMPARE(f.restore, 1);
    }

    void RightDockedNeighbourGetsBackItsOwnSize() {
        Form f(true);
        QCOMPARE(f.splitter->x(), 490);
        f.splitter->SetMaximized(true);
        QCOMPARE(f.panel->width(), 0);
        QCOMPARE(f.splitter->x(), 690);
        f.splitter->SetMaximized(false);
        QCOMPARE(f.panel->width(), 200);
        f.Drag(kOffButton, kOffButton + QPoint(-30, 0));
        QCOMPARE(f.panel->width(), 230);
    }

    void DraggingCollapsesAndRestoresToo() {
        Form f;
        f.Drag(kOffButton, kOffButton + QPoint(-300, 0));
        QCOMPARE(f.panel->width(), 0);
        QVERIFY(f.splitter->Maximized());
        QCOMPARE(f.maximize, 1);
        QCOMPARE(f.splitter->RestoreSize(), 200);

        f.Drag(kOffButton, kOffButton + QPoint(150, 0));
        QCOMPARE(f.panel->width(), 150);
        QVERIFY(!f.splitter->Maximized());
        QCOMPARE(f.restore, 1);
        QCOMPARE(f.splitter->RestoreSize(), 150);

        // The area keeps MinSize; the bar and the neighbour are docked.
        f.Drag(kOffButton, kOffButton + QPoint(1000, 0));
        QCOMPARE(f.panel->width(), 700 - 1 - 10);
    }

    void CanResizeMayChangeOrRefuseTheSize() {
        Form f;
        bool accept = false;
        QObject::connect(f.splitter, &TSplitter::OnCanResize, [&](QObject*, int& size, bool& ok) {
            size = size / 10 * 10;
            ok = accept;
        });
        f.Drag(kOffButton, kOffButton + QPoint(37, 0));
        QCOMPARE(f.panel->width(), 200);
        accept = true;
        f.Drag(kOffButton, kOffButton + QPoint(37, 0));
        QCOMPARE(f.panel->width(), 230);
    }

    void EscapeCancelsADrag() {
        Form f;
        SendMouse(f.splitter, QEvent::MouseButtonPress, kOffButton, Qt::LeftButton, Qt::LeftButton);
        SendMouse(f.splitter, QEvent::MouseMove, kOffButton + QPoint(50, 0), Qt::NoButton,
                  Qt::LeftButton);
        QTest::keyClick(&f.form, Qt::Key_Escape);
        SendMouse(f.splitter, QEvent::MouseButtonRelease, kOffButton + QPoint(50, 0),
                  Qt::LeftButton, Qt::NoButton);
        QCOMPARE(f.panel->width(), 200);
        QCOMPARE(f.moved, 0);
    }

    void ButtonLightsUpUnderTheMouseUnlessDraggingIsOff() {
        for (bool allowDrag : {true, false}) {
            Form f;
            f.splitter->SetAllowDrag(allowDrag);
            f.Hover(kOnButton);
            const QColor lit = allowDrag ? QColor(207, 207, 255) : kFace;
            QCOMPARE(f.Pixel(kOnButton), lit);
            QCOMPARE(f.splitter->cursor().shape(), Qt::ArrowCursor);
            f.Hover(kOffButton);
            QCOMPARE(f.Pixel(kOnButton), kFace);
            QCOMPARE(f.splitter->cursor().shape(), allowDrag ? Qt::SplitHCursor : Qt::ArrowCursor);

            // Entering lights the button whatever AllowDrag says; leaving puts it out.
            QEnterEvent enter(kOnButton, kOnButton, f.splitter->mapToGlobal(kOnButton));
            QCoreApplication::sendEvent(f.splitter, &enter);
            QCOMPARE(f.Pixel(kOnButton), QColor(207, 207, 255));
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(f.splitter, &leave);
            QCOMPARE(f.Pixel(kOnButton), kFace);

            // Without dragging the bar does not move, but the button works.
            f.Drag(kOffButton, kOffButton + QPoint(40, 0));
            QCOMPARE(f.panel->width(), allowDrag ? 240 : 200);
            f.Drag(kOnButton, kOnButton);
            QVERIFY(f.splitter->Maximized());
        }
    }

    void WithoutButtonEveryPressIsADrag() {
        for (bool hidden : {false, true}) {
            Form f;
            if (hidden) {
                f.splitter->SetShowButton(false);
            } else {
                f.splitter->SetButtonWidth(0);
            }
            f.Drag(kOnButton, kOnButton + QPoint(3, 0));
            QVERIFY(!f.splitter->Maximized());
            QCOMPARE(f.panel->width(), 203);
            QCOMPARE(f.Pixel({4, 236}), f.Pixel({4, 20}));
        }
    }

    void DisabledOrWithoutNeighbourNothingHappens() {
        Form f;
        f.splitter->setEnabled(false);
        QVERIFY(f.splitter->ButtonRect().isEmpty());

        QWidget alone;
        auto* layout = new QHBoxLayout(&alone);
        auto* splitter = new TRestoreSplitter;
        layout->addWidget(splitter);
        layout->addWidget(new QWidget, 1);
        alone.resize(300, 300);
        alone.show();
        splitter->SetMaximized(true);
        QVERIFY(!splitter->Maximized());
    }

    void FlatSplitterResizesTheControlAbove() {
        QWidget panel;
        auto* layout = new QVBoxLayout(&panel);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        auto* tree = new QWidget;
        tree->setFixedHeight(168);
        auto* splitter = new TSplitter;
        splitter->SetAlign(TAlign::alTop);
        splitter->setFixedHeight(8);
        layout->addWidget(tree);
        layout->addWidget(splitter);
        layout->addWidget(new QWidget, 1);
        panel.resize(200, 500);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QCOMPARE(splitter->cursor().shape(), Qt::SplitVCursor);
        SendMouse(splitter, QEvent::MouseButtonPress, {50, 4}, Qt::LeftButton, Qt::LeftButton);
        SendMouse(splitter, QEvent::MouseMove, {50, 24}, Qt::NoButton, Qt::LeftButton);
        SendMouse(splitter, QEvent::MouseButtonRelease, {50, 24}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(tree->height(), 188);
        QCOMPARE(splitter->y(), 188);
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::TRestoreSplitterTest)
#include "TRestoreSplitterTest.moc"
