#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestPictures.h"
#include "WmfTestFiles.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/wmf/WmfFile.h"
#include "imaging/codecs/wmf/WmfPlayer.h"

namespace pixmoth {
namespace {

using test::WmfWriter;
namespace f = wmf;

// Every call, with what the tests look at.
struct Call {
    std::string kind;
    std::vector<WmfPoint> points; // all polygons' points in order
    WmfPen pen;
    WmfBrush brush;
    WmfText text;
    Rect source;
    WmfRect rect;
    WmfFill fill = WmfFill::Brush;
};

class RecordingCanvas : public WmfCanvas {
public:
    std::vector<Call> calls;

    void Polyline(const std::vector<WmfPoint>& points, const WmfPen& pen,
                  const WmfBackground&) override {
        calls.push_back({"line", points, pen});
    }
    void Polygons(const std::vector<std::vector<WmfPoint>>& polygons, bool, const WmfPen& pen,
                  const WmfBrush& brush, const WmfBackground&) override {
        Call call{"fill", {}, pen, brush};
        for (const auto& polygon : polygons) {
            call.points.insert(call.points.end(), polygon.begin(), polygon.end());
        }
        calls.push_back(call);
    }
    void Text(const WmfText& text) override { calls.push_back({"text", {}, {}, {}, text}); }
    void Picture(const Bitmap&, const Rect& source, const WmfRect& dest, WmfBlend) override {
        calls.push_back({"picture", {}, {}, {}, {}, source, dest});
    }
    void FillRect(const WmfRect& rect, WmfFill fill, const WmfBrush& brush,
                  const WmfBackground&) override {
        calls.push_back({"rect", {}, {}, brush, {}, {}, rect, fill});
    }
    void SetClip(const std::vector<WmfClipStep>&) override { calls.push_back({"clip"}); }
};

WmfFile Parse(const WmfWriter& writer) {
    const std::vector<std::uint8_t> bytes = writer.Bytes();
    return WmfFile::Parse(bytes.data(), bytes.size());
}

std::vector<Call> Play(const WmfWriter& writer, int width, int height) {
    RecordingCanvas canvas;
    PlayWmf(Parse(writer), canvas, width, height);
    return canvas.calls;
}

TEST(WmfPlayerTest, PictureSizeFollowsTheFrameRules) {
    struct Case {
        const char* name;
        WmfWriter writer;
        WmfSize expected;
    };
    std::vector<Case> cases;
    cases.push_back({"placeable, two inches by one",
                     WmfWriter().Placeable({0, 0, 2880, 1440}, 1440).Rectangle(0, 0, 10, 10),
                     {192, 96}});
    cases.push_back({"placeable without resolution counts twips",
                     WmfWriter().Placeable({100, 100, 1540, 820}, 0).Rectangle(0, 0, 10, 10),
                     {96, 48}});
    cases.push_back({"standard: the window set before drawing",
                     WmfWriter().Window(50, 50, 300, 200).Rectangle(0, 0, 10, 10),
                     {300, 200}});
    cases.push_back({"standard in hundredths of a millimetre",
                     WmfWriter()
                         .Record(f::SetMapMode, {f::MmHiMetric})
                         .Window(0, 0, 2540, 5080)
                         .Rectangle(0, 0, 10, 10),
                     {96, 192}});
    cases.push_back({"standard without a window: what it draws",
                     WmfWriter()
                         .Rectangle(10, 20, 110, 70)
                         .Record(f::MoveTo, {30, 60})
                         .Record(f::LineTo, {40, 90}),
                     {100, 50}});
    cases.push_back({"nothing drawn", WmfWriter().Window(0, 0, 0, 0).Pen(0, 1, 0, 0, 0), {0, 0}});
    cases.push_back({"too large: scaled down, shape kept",
                     WmfWriter().Window(0, 0, 32000, 100).Rectangle(0, 0, 10, 10),
                     {8192, 25}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WmfPictureSize(Parse(c.writer)), c.expected);
    }
}

TEST(WmfPlayerTest, TheWindowIsStretchedOntoTheOutput) {
    struct Case {
        const char* name;
        WmfWriter writer;
        std::vector<WmfPoint> expected;
    };
    std::vector<Case> cases;
    cases.push_back({"window of the file",
                     WmfWriter()
                         .Placeable({0, 0, 1000, 500}, 1440)
                         .Window(100, 100, 200, 100)
                         .Rectangle(100, 100, 300, 200),
                     {{0, 0}, {400, 0}, {400, 200}, {0, 200}}});
    cases.push_back({"moved window origin",
                     WmfWriter()
                         .Window(0, 0, 200, 100)
                         .Record(f::OffsetWindowOrg, {10, 20})
                         .Rectangle(20, 10, 220, 110),
                     {{0, 0}, {400, 0}, {400, 200}, {0, 200}}});
    cases.push_back({"isotropic keeps the scale equal",
                     WmfWriter()
                         .Window(0, 0, 100, 100)
                         .Record(f::SetMapMode, {f::MmIsotropic})
                         .Rectangle(0, 0, 100, 100),
                     {{0, 0}, {200, 0}, {200, 200}, {0, 200}}});
    cases.push_back({"y counting upwards",
                     WmfWriter().Window(0, 100, 200, -100).Rectangle(0, 100, 200, 0),
                     {{0, 0}, {400, 0}, {400, 200}, {0, 200}}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Call> calls = Play(c.writer, 400, 200);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].points, c.expected);
    }
}

TEST(WmfPlayerTest, ObjectsTakeTheLowestFreeSlotAndStayWhileSelected) {
    const std::vector<Call> calls = Play(WmfWriter()
                                             .Window(0, 0, 100, 100)
                                             .Pen(0, 4, 255, 0, 0) // slot 0
                                             .Brush(0, 0, 255, 0)  // slot 1
                                             .Select(1)
                                             .Record(f::DeleteObject, {0})
                                             .Pen(1, 2, 0, 0, 255) // slot 0 again
                                             .Select(0)
                                             .Record(f::DeleteObject, {1}) // still selected
                                             .Rectangle(0, 0, 50, 50)
                                             .Brush(1, 0, 0, 0) // slot 1 again: hollow
                                             .Select(1)
                                             .Select(7) // empty slot: nothing changes
                                             .Ellipse(0, 0, 50, 50),
                                         200, 200);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].pen.color, (WmfColor{0, 0, 255}));
    EXPECT_EQ(calls[0].pen.style, WmfPenStyle::Dash);
    EXPECT_DOUBLE_EQ(calls[0].pen.width, 4); // 2 logical units at scale 2
    EXPECT_EQ(calls[0].brush.color, (WmfColor{0, 255, 0}));
    EXPECT_EQ(calls[1].brush.style, WmfBrushStyle::Null);
    // The ellipse's points lie on the circle of radius 50 around (50, 50).
    for (const WmfPoint& p : calls[1].points) {
        EXPECT_NEAR(std::hypot(p.x - 50, p.y - 50), 50, 1e-9);
    }
}

TEST(WmfPlayerTest, RestoreDcReturnsToTheSavedState) {
    struct Case {
        int restore;
        WmfColor expected;
    };
    // States 1, 2 and 3 hold brushes 1, 2 and 3; brush 4 is selected last.
    const Case cases[] = {
        {-1, {0, 0, 3}}, {-2, {0, 0, 2}}, {1, {0, 0, 1}}, {3, {0, 0, 3}}, {4, {0, 0, 4}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.restore);
        WmfWriter writer;
        writer.Window(0, 0, 10, 10);
        for (int i = 1; i <= 3; ++i) {
            writer.Brush(0, 0, 0, i).Select(i - 1).Record(f::SaveDC, {});
        }
        writer.Brush(0, 0, 0, 4).Select(3);
        writer.Record(f::RestoreDC, {c.restore}).Rectangle(0, 0, 5, 5);
        const std::vector<Call> calls = Play(writer, 10, 10);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].brush.color, c.expected);
    }
}

TEST(WmfPlayerTest, TextIsPlacedScaledAndConverted) {
    std::vector<int> font(9 + 16, 0);
    font[0] = -20; // character height 20
    font[4] = 700;
    font[9] = 'A' | 'r' << 8;
    font[10] = 'i' | 'a' << 8;
    font[11] = 'l';
    const std::vector<Call> calls =
        Play(WmfWriter()
                 .Window(0, 0, 100, 100)
                 .Record(f::CreateFontIndirect, font)
                 .Select(0)
                 .Record(f::SetTextAlign, {24})
                 .TextOut(10, 20, "A\x80")
                 // ExtTextOut: y, x, length, options (clipped), rect, text, advances
                 .Record(f::ExtTextOut, {30, 40, 2, 4, 0, 0, 50, 50, 'x' | 'y' << 8, 7, 9}),
             200, 200);
    ASSERT_EQ(calls.size(), 2u);
    const WmfText& text = calls[0].text;
    EXPECT_EQ(text.text, "A\xE2\x82\xAC"); // the euro sign of code page 1252
    EXPECT_EQ(text.origin, (WmfPoint{20, 40}));
    EXPECT_DOUBLE_EQ(text.font.height, 40);
    EXPECT_FALSE(text.font.heightIsCell);
    EXPECT_EQ(text.font.face, "Arial");
    EXPECT_EQ(text.font.weight, 700);
    EXPECT_EQ(text.alignY, WmfAlignY::Baseline);
    const WmfText& ext = calls[1].text;
    EXPECT_EQ(ext.text, "xy");
    EXPECT_EQ(ext.origin, (WmfPoint{80, 60}));
    EXPECT_EQ(ext.advances, (std::vector<double>{14, 18}));
    EXPECT_TRUE(ext.hasRect && ext.clipToRect && !ext.opaqueRect);
    EXPECT_DOUBLE_EQ(ext.rect.right, 100);
}

TEST(WmfPlayerTest, DibSourcesCountFromTheirOwnOrigin) {
    const Bitmap picture = test::PatternBitmap(4, 4);
    const std::vector<std::uint8_t> bmp = EncodeBmp(picture);
    const std::vector<std::uint8_t> dib(bmp.begin() + 14, bmp.end());
    // StretchDIB: y from the bottom of a bottom-up DIB. DIBStretchBlt: from the top.
    const std::vector<Call> calls =
        Play(WmfWriter()
                 .Window(0, 0, 10, 10)
                 .Record(f::StretchDib, {0x20, 0xCC, 0, 1, 2, 0, 1, 5, 5, 0, 0}, dib)
                 .Record(f::DibStretchBlt, {0x20, 0xCC, 1, 2, 0, 1, 5, 5, 0, 0}, dib)
                 .Record(f::StretchDib, {0x20, 0xCC, 0, 4, 8, 0, 0, 10, 10, 0, 0}, dib),
             10, 10);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].source, (Rect{1, 3, 3, 4}));
    EXPECT_EQ(calls[1].source, (Rect{1, 0, 3, 1}));
    // A source wider than the picture is cut, and the destination with it.
    EXPECT_EQ(calls[2].source, (Rect{0, 0, 4, 4}));
    EXPECT_DOUBLE_EQ(calls[2].rect.right, 5);
}

TEST(WmfPlayerTest, DamagedFilesPlayWhatIsThere) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::size_t calls;
        std::string damage; // empty: the file is whole
    };
    const std::vector<std::uint8_t> two =
        WmfWriter().Window(0, 0, 10, 10).Rectangle(0, 0, 5, 5).Rectangle(1, 1, 4, 4).Bytes();
    std::vector<std::uint8_t> cut(two.begin(), two.end() - 10);
    std::vector<std::uint8_t> noEnd(two.begin(), two.end() - 6);
    std::vector<std::uint8_t> cutHeader(two.begin(), two.end() - 3);
    std::vector<std::uint8_t> zeroSize = two;
    zeroSize[18 + 2 * 10] = 0; // the second rectangle's size: 0 words
    std::vector<Case> cases;
    cases.push_back({"cut inside the last record", cut, 1, "is truncated"});
    cases.push_back({"cut inside the end record's header", cutHeader, 2, "is truncated"});
    cases.push_back({"no end record", noEnd, 2, ""});
    cases.push_back(
        {"a record of size 0 ends the records", zeroSize, 0, "is damaged (a record of 0 words)"});
    cases.push_back(
        {"more points claimed than held",
         WmfWriter().Window(0, 0, 10, 10).Record(f::Polygon, {500, 0, 0, 5, 0, 5, 5}).Bytes(), 1,
         ""});
    cases.push_back({"polygon counts past the record",
                     WmfWriter()
                         .Window(0, 0, 10, 10)
                         .Record(f::PolyPolygon, {2, 3, 900, 0, 0, 1, 1, 2, 2})
                         .Bytes(),
                     0, ""});
    cases.push_back(
        {"a damaged DIB",
         WmfWriter()
             .Window(0, 0, 10, 10)
             .Record(f::StretchDib, {0x20, 0xCC, 0, 1, 1, 0, 0, 5, 5, 0, 0}, {40, 0, 0, 0, 0xFF})
             .Bytes(),
         0, ""});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas;
        const WmfFile file = WmfFile::Parse(c.bytes.data(), c.bytes.size());
        PlayWmf(file, canvas, 10, 10);
        EXPECT_EQ(canvas.calls.size(), c.calls);
        EXPECT_EQ(file.Damage(), c.damage);
    }
}

TEST(WmfPlayerTest, PlayingEndsSoonWhateverTheFileAsks) {
    // Full-size fills without end; huge coordinates under a huge scale.
    WmfWriter writer;
    writer.Window(0, 0, 1, 1).Brush(0, 1, 2, 3).Select(0);
    for (int i = 0; i < 5000; ++i) {
        writer.Rectangle(-32768, -32768, 32767, 32767);
    }
    RecordingCanvas canvas;
    PlayWmf(Parse(writer), canvas, 1000, 1000);
    EXPECT_LE(canvas.calls.size(), 81u);
    ASSERT_FALSE(canvas.calls.empty());
    for (const WmfPoint& p : canvas.calls[0].points) {
        EXPECT_LE(std::abs(p.x), kWmfCoordinateLimit);
        EXPECT_LE(std::abs(p.y), kWmfCoordinateLimit);
    }
}

TEST(WmfPlayerTest, OtherDataIsRefusedWithAReason) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* message;
    };
    std::vector<std::uint8_t> emf(88, 0);
    emf[0] = 1;
    emf[40] = ' ';
    emf[41] = 'E';
    emf[42] = 'M';
    emf[43] = 'F';
    std::vector<std::uint8_t> placeable = WmfWriter().Placeable({0, 0, 1, 1}, 96).Bytes();
    placeable.resize(30);
    const Case cases[] = {
        {{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         "The data is not a Windows metafile"},
        {emf, "The data is an enhanced metafile (EMF), which this program does not read"},
        {placeable, "The data is truncated"},
    };
    for (const Case& c : cases) {
        try {
            WmfFile::Parse(c.bytes.data(), c.bytes.size());
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const Error& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

} // namespace
} // namespace pixmoth
