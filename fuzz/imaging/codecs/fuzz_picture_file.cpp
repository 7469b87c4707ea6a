// The picture files as the program and pixmoth-cli open them: arbitrary bytes
// written to a real file named by what they start like (.bmp, .png, .ico,
// else .jpg), opened by extension as a document window opens it, the size
// read ahead with ReadPictureSize, and small pictures saved in every format
// and opened again. A JPEG is also opened as the thumbnail list and the
// resampling command open it: shrunk while decoding, and row by row.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>

#include "FuzzFolder.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/IconReader.h"
#include "imaging/codecs/JpegCodec.h"
#include "imaging/codecs/PictureFile.h"

namespace {

using pixmoth::fuzz::Folder;

// Legal pictures this large are correct and slow: skipped, as their claims
// are checked by the readers' own limits before any of this.
constexpr std::uint64_t kMaxPixels = 4'000'000;
constexpr std::uint64_t kMaxRoundTripPixels = 65'536;

bool SameSize(const pixmoth::Bitmap& a, const pixmoth::Bitmap& b) {
    return a.Width() == b.Width() && a.Height() == b.Height();
}

// Rows taken three at a time, so the decoder's batches cross the receiver's.
class ChunkedRows : public pixmoth::RowReceiver {
public:
    void Begin(int width, int height) override {
        picture.Reset(width, height, pixmoth::PixelFormat::Bit24);
    }
    int Room() override { return std::min(3, picture.Height() - mNext); }
    std::uint8_t* Row(int k) override { return picture.ScanLine(mNext + k); }
    void Commit(int rows) override { mNext += rows; }
    pixmoth::Bitmap picture;

private:
    int mNext = 0;
};

void CheckOtherJpegReaders(const std::string& path, const pixmoth::Bitmap& picture) {
    const pixmoth::Bitmap thumb = pixmoth::LoadJpegAtLeast(path, 91, 91);
    Require(thumb.Width() <= picture.Width() && thumb.Height() <= picture.Height(),
            "a thumbnail source is never larger than the picture");
    ChunkedRows rows;
    if (!pixmoth::LoadJpegRows(path, rows)) {
        return; // turned by its Exif orientation
    }
    Require(SameSize(rows.picture, picture), "rows come at the picture's size");
    for (int y = 0; y < picture.Height(); ++y) {
        Require(std::memcmp(rows.picture.ScanLine(y), picture.ScanLine(y),
                            static_cast<std::size_t>(picture.Width()) * 3) == 0,
                "rows one by one are the picture's rows");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto startsWith = [&](std::initializer_list<std::uint8_t> head) {
        return size >= head.size() && std::equal(head.begin(), head.end(), data);
    };
    const char* extension = startsWith({'B', 'M'})                                 ? ".bmp"
                            : startsWith({0x89, 'P', 'N', 'G'})                    ? ".png"
                            : startsWith({0, 0, 1, 0}) || startsWith({0, 0, 2, 0}) ? ".ico"
                                                                                   : ".jpg";
    const std::string path = Folder() + "/in" + extension;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const bool icon = extension[1] == 'i';
    const std::optional<pixmoth::PictureSize> claimed =
        icon ? std::nullopt : pixmoth::ReadPictureSize(path);
    if (claimed && std::uint64_t(claimed->width) * std::uint64_t(claimed->height) > kMaxPixels) {
        return 0;
    }
    pixmoth::Bitmap picture;
    try {
        picture = icon ? pixmoth::LoadIcon(path) : pixmoth::LoadPicture(path);
    } catch (const pixmoth::Error&) {
        return 0;
    }
    Require(!picture.Empty(), "a picture that opens has pixels");
    if (claimed) {
        Require(claimed->width == picture.Width() && claimed->height == picture.Height(),
                "the size read ahead is the size opened");
    }
    if (extension[1] == 'j') {
        CheckOtherJpegReaders(path, picture);
    }
    if (std::uint64_t(picture.Width()) * std::uint64_t(picture.Height()) <= kMaxRoundTripPixels) {
        for (const char* name : {"/out.bmp", "/out.png", "/out.jpg"}) {
            const std::string out = Folder() + name;
            pixmoth::SavePicture(picture, out);
            const pixmoth::Bitmap again = pixmoth::LoadPicture(out);
            Require(SameSize(again, picture), "a saved picture opens at its size");
            if (name[5] != 'j') { // BMP and PNG are lossless
                Require(again.Format() == picture.Format() || name[5] == 'p',
                        "BMP keeps the pixel format");
                for (int y = 0; y < picture.Height(); ++y) {
                    for (int x = 0; x < picture.Width(); ++x) {
                        Require(again.PixelColor(x, y) == picture.PixelColor(x, y),
                                "lossless files keep every pixel");
                    }
                }
            }
        }
    }
    return 0;
}
