#include <QTemporaryDir>
#include <QtTest>

#include "TempDir.h"
#include "TestPictures.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/WmfTestFiles.h"
#include "imaging/codecs/wmf/WmfPlayer.h"
#include "platform/WmfPicture.h"

namespace pixmoth {

using test::WmfWriter;

namespace {

QString Rgb(const Bitmap& bitmap, int x, int y) {
    const PaletteEntry p = bitmap.PixelColor(x, y);
    return QStringLiteral("%1,%2,%3").arg(p.red).arg(p.green).arg(p.blue);
}

} // namespace

class WmfPictureTest : public QObject {
    Q_OBJECT

private slots:
    void shapesPicturesAndTextLandWhereTheFileSays() {
        Bitmap tile(2, 2);
        tile.SetPixelColor(0, 0, {0, 0, 255});   // red
        tile.SetPixelColor(1, 0, {0, 255, 0});   // green
        tile.SetPixelColor(0, 1, {255, 0, 0});   // blue
        tile.SetPixelColor(1, 1, {0, 255, 255}); // yellow
        std::vector<int> font(9 + 16, 0);
        font[0] = -20;
        const std::vector<std::uint8_t> bytes = WmfWriter()
                                                    .Window(0, 0, 100, 100)
                                                    .Pen(5, 0, 0, 0, 0)  // 0: no outline
                                                    .Brush(0, 255, 0, 0) // 1
                                                    .Brush(0, 0, 0, 255) // 2
                                                    .Record(wmf::CreateFontIndirect, font) // 3
                                                    .Select(0)
                                                    .Select(1)
                                                    .Rectangle(10, 10, 30, 30)
                                                    .Select(2)
                                                    .Ellipse(40, 0, 100, 60)
                                                    .StretchDib(tile, 0, 70, 20, 20)
                                                    .Select(3)
                                                    .Record(wmf::SetBkMode, {1})
                                                    .TextOut(60, 70, "Hi")
                                                    .Bytes();
        const WmfFile file = WmfFile::Parse(bytes.data(), bytes.size());
        const Bitmap out = RenderWmf(file, 200, 200);
        QCOMPARE(out.Format(), PixelFormat::Bit24);
        const struct {
            int x, y;
            const char* rgb;
        } expected[] = {
            {20, 20, "255,0,0"},     {59, 59, "255,0,0"},      {60, 60, "255,255,255"},
            {19, 19, "255,255,255"}, {140, 60, "0,0,255"},     {82, 2, "255,255,255"},
            {5, 145, "255,0,0"},     {25, 145, "0,255,0"},     {5, 165, "0,0,255"},
            {39, 179, "255,255,0"},  {40, 180, "255,255,255"},
        };
        for (const auto& e : expected) {
            QVERIFY2(Rgb(out, e.x, e.y) == QLatin1String(e.rgb),
                     qPrintable(QStringLiteral("(%1, %2) is %3, not %4")
                                    .arg(e.x)
                                    .arg(e.y)
                                    .arg(Rgb(out, e.x, e.y), e.rgb)));
        }
        int dark = 0;
        for (int y = 140; y < 190; ++y) {
            for (int x = 120; x < 200; ++x) {
                dark += out.PixelColor(x, y).green < 100;
            }
        }
        QVERIFY2(dark > 40, "no text drawn below and right of (120, 140)");
    }

    void filesOpenAtTheirOwnSize() {
        test::TempDir dir;
        const auto write = [&](const std::string& name, const std::vector<std::uint8_t>& data) {
            test::WriteTextFile(dir / name, std::string(data.begin(), data.end()));
            return dir / name;
        };
        const Bitmap drawn = LoadWmfPicture(write(
            "a.wmf", WmfWriter().Placeable({0, 0, 1440, 720}, 1440).Rectangle(0, 0, 9, 9).Bytes()));
        QCOMPARE(drawn.Width(), 96);
        QCOMPARE(drawn.Height(), 48);
        QVERIFY(LoadWmfPicture(write("empty.wmf", WmfWriter().Bytes())).Empty());
        const std::string damaged = write("bad.wmf", {1, 2, 3});
        try {
            LoadWmfPicture(damaged);
            QFAIL("no error for a damaged file");
        } catch (const Error& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QString::fromStdString("File \"" + damaged + "\" is not a Windows metafile"));
        }
    }
};

} // namespace pixmoth

QTEST_MAIN(pixmoth::WmfPictureTest)
#include "WmfPictureTest.moc"
