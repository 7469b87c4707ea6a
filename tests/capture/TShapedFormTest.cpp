#include <QBitmap>
#include <QtTest>

#include "app/WidgetTestSupport.h"
#include "capture/PanelOutline.h"
#include "capture/RegionData.h"
#include "capture/TShapedForm.h"

namespace pixmoth {

using test::SendMouse;

class TShapedFormTest : public QObject {
    Q_OBJECT

private:
    // A shown form of 193 x 254 with the panel's outline.
    struct Panel {
        QWidget form;
        TShapedForm* skin = nullptr;
        Panel() {
            form.resize(193, 254);
            skin = new TShapedForm(&form);
            const StoredBytes outline = PanelOutlineMask2();
            skin->ReadMask2(outline.data, outline.size);
        }
    };

private slots:
    void initTestCase() { test::SilenceOffscreenNoise(); }

    void FormIsCutToTheStoredOutline() {
        Panel panel;
        QVERIFY(panel.form.windowFlags() & Qt::FramelessWindowHint);
        const QRegion mask = panel.form.mask();
        QCOMPARE(mask.boundingRect(), QRect(5, 1, 190, 252));
        QVERIFY(mask.contains(QPoint(100, 100)));
        QVERIFY(!mask.contains(QPoint(80, 20)));  // the slit
        QVERIFY(!mask.contains(QPoint(60, 180))); // the display
        QVERIFY(!mask.contains(QPoint(0, 0)));    // a corner
        QVERIFY(mask.contains(QPoint(32, 180)));  // the display's frame
        QCOMPARE(panel.skin->geometry(), QRect(0, 0, 193, 254));
    }

    void NoRegionOrDamagedDataLeavesTheFormRectangular() {
        const std::vector<std::uint8_t> none = WriteMask2({});
        std::vector<std::uint8_t> damaged = WriteMask2({{0, 0, 10, 10}, {0, 10, 5, 20}});
        damaged.resize(damaged.size() - 3);
        for (const auto& data : {none, damaged}) {
            QWidget form;
            form.resize(50, 50);
            TShapedForm skin(&form);
            skin.ReadMask2(data.data(), data.size());
            QVERIFY(form.mask().isEmpty());
            QVERIFY(!skin.HasShape());
        }
    }

    void StoredShapeReadsBackTheSame() {
        Panel panel;
        const StoredBytes outline = PanelOutlineMask2();
        const std::vector<std::uint8_t> written = panel.skin->WriteMask2();
        QCOMPARE(written, std::vector<std::uint8_t>(outline.data, outline.data + outline.size));
    }

    void NewPictureForgetsTheShapeButTheWindowKeepsIt() {
        Panel panel;
        const QRegion before = panel.form.mask();
        panel.skin->SetPicture(QPixmap(196, 254));
        QVERIFY(!panel.skin->HasShape());
        QCOMPARE(panel.skin->WriteMask2(), WriteMask2({}));
        QCOMPARE(panel.form.mask(), before);
    }

    void SkinStaysAtTheFormsCorner() {
        Panel panel;
        panel.skin->SetTop(40);
        panel.skin->SetLeft(-7);
        QCOMPARE(panel.skin->pos(), QPoint(0, 0));
        panel.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel.form));
        panel.form.resize(120, 90);
        QCOMPARE(panel.skin->geometry(), QRect(0, 0, 120, 90));
    }

    void LeftButtonDragMovesTheFormOtherButtonsDoNot() {
        Panel panel;
        panel.form.move(200, 150);
        panel.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel.form));
        const QPoint start = panel.form.pos();

        SendMouse(panel.skin, QEvent::MouseButtonPress, {100, 60}, Qt::RightButton,
                  Qt::RightButton);
        SendMouse(panel.skin, QEvent::MouseMove, {130, 90}, Qt::NoButton, Qt::RightButton);
        SendMouse(panel.skin, QEvent::MouseButtonRelease, {130, 90}, Qt::RightButton, Qt::NoButton);
        QCOMPARE(panel.form.pos(), start);

        SendMouse(panel.skin, QEvent::MouseButtonPress, {100, 60}, Qt::LeftButton, Qt::LeftButton);
        SendMouse(panel.skin, QEvent::MouseMove, {130, 40}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(panel.form.pos(), start + QPoint(30, -20));
        SendMouse(panel.skin, QEvent::MouseButtonRelease, {130, 40}, Qt::LeftButton, Qt::NoButton);
        const QPoint moved = panel.form.pos();
        SendMouse(panel.skin, QEvent::MouseMove, {10, 10}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(panel.form.pos(), moved);
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::TShapedFormTest)
#include "TShapedFormTest.moc"
