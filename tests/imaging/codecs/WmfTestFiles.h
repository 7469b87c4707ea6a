#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/wmf/WmfFunctions.h"

// Metafiles written record by record, as a drawing program writes them.
namespace pixmoth::test {

class WmfWriter {
public:
    // Parameter words in the order they are stored (already reversed from the
    // drawing call's arguments, as the format stores them).
    WmfWriter& Record(std::uint16_t function, std::initializer_list<int> words) {
        return Record(function, std::vector<int>(words));
    }
    WmfWriter& Record(std::uint16_t function, const std::vector<int>& words,
                      const std::vector<std::uint8_t>& tail = {}) {
        const std::size_t total = 3 + words.size() + (tail.size() + 1) / 2;
        Put32(mRecords, static_cast<std::uint32_t>(total));
        Put16(mRecords, function);
        for (int w : words) {
            Put16(mRecords, static_cast<std::uint16_t>(w));
        }
        mRecords.insert(mRecords.end(), tail.begin(), tail.end());
        if (tail.size() % 2) {
            mRecords.push_back(0);
        }
        return *this;
    }
    // A colour as the two words of a COLORREF.
    static std::vector<int> Color(int red, int green, int blue) { return {green << 8 | red, blue}; }

    WmfWriter& Window(int left, int top, int width, int height) {
        Record(wmf::SetWindowOrg, {top, left});
        return Record(wmf::SetWindowExt, {height, width});
    }
    WmfWriter& Pen(int style, int width, int red, int green, int blue) {
        std::vector<int> words{style, width, 0};
        for (int w : Color(red, green, blue)) {
            words.push_back(w);
        }
        return Record(wmf::CreatePenIndirect, words);
    }
    WmfWriter& Brush(int style, int red, int green, int blue, int hatch = 0) {
        std::vector<int> words{style};
        for (int w : Color(red, green, blue)) {
            words.push_back(w);
        }
        words.push_back(hatch);
        return Record(wmf::CreateBrushIndirect, words);
    }
    WmfWriter& Select(int index) { return Record(wmf::SelectObject, {index}); }
    WmfWriter& Rectangle(int left, int top, int right, int bottom) {
        return Record(wmf::Rectangle, {bottom, right, top, left});
    }
    WmfWriter& Ellipse(int left, int top, int right, int bottom) {
        return Record(wmf::Ellipse, {bottom, right, top, left});
    }
    WmfWriter& TextOut(int x, int y, const std::string& text) {
        std::vector<int> words{static_cast<int>(text.size())};
        std::vector<std::uint8_t> bytes(text.begin(), text.end());
        if (bytes.size() % 2) {
            bytes.push_back(0);
        }
        for (std::size_t i = 0; i < bytes.size(); i += 2) {
            words.push_back(bytes[i] | bytes[i + 1] << 8);
        }
        words.push_back(y);
        words.push_back(x);
        return Record(wmf::TextOut, words);
    }
    // StretchDIB of a whole 24-bit picture into (x, y, width, height).
    WmfWriter& StretchDib(const Bitmap& picture, int x, int y, int width, int height,
                          std::uint32_t rop = 0x00CC0020) {
        const std::vector<std::uint8_t> bmp = EncodeBmp(picture);
        const std::vector<std::uint8_t> dib(bmp.begin() + 14, bmp.end());
        return Record(wmf::StretchDib,
                      {static_cast<int>(rop & 0xFFFF), static_cast<int>(rop >> 16), 0,
                       picture.Height(), picture.Width(), 0, 0, height, width, y, x},
                      dib);
    }

    // The whole file, with the placeable header when Placeable was called.
    std::vector<std::uint8_t> Bytes(int objects = 8) const {
        std::vector<std::uint8_t> out;
        if (mPlaceable) {
            Put32(out, 0x9AC6CDD7);
            Put16(out, 0);
            for (int v : {mBounds.left, mBounds.top, mBounds.right, mBounds.bottom}) {
                Put16(out, static_cast<std::uint16_t>(v));
            }
            Put16(out, static_cast<std::uint16_t>(mUnits));
            Put32(out, 0);
            std::uint16_t sum = 0;
            for (std::size_t i = 0; i < 20; i += 2) {
                sum ^= static_cast<std::uint16_t>(out[i] | out[i + 1] << 8);
            }
            Put16(out, sum);
        }
        const std::size_t words = 9 + mRecords.size() / 2 + 3;
        for (int w : {1, 9, 0x0300}) {
            Put16(out, static_cast<std::uint16_t>(w));
        }
        Put32(out, static_cast<std::uint32_t>(words));
        Put16(out, static_cast<std::uint16_t>(objects));
        Put32(out, 0);
        Put16(out, 0);
        out.insert(out.end(), mRecords.begin(), mRecords.end());
        Put32(out, 3);
        Put16(out, 0);
        return out;
    }
    WmfWriter& Placeable(Rect bounds, int unitsPerInch) {
        mPlaceable = true;
        mBounds = bounds;
        mUnits = unitsPerInch;
        return *this;
    }

private:
    static void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    static void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
        Put16(out, static_cast<std::uint16_t>(v));
        Put16(out, static_cast<std::uint16_t>(v >> 16));
    }

    std::vector<std::uint8_t> mRecords;
    bool mPlaceable = false;
    Rect mBounds;
    int mUnits = 0;
};

} // namespace pixmoth::test
