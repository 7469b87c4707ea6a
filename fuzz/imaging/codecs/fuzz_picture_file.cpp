// The picture files as the program and pixmoth-cli open them: arbitrary bytes
// written to a real file named .jpg or .bmp, opened with LoadPicture, its size
// read ahead with ReadPictureSize, and small pictures saved and opened again.
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>

#include "FuzzFolder.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/PictureFile.h"

namespace {

using pixmoth::fuzz::Folder;
using pixmoth::fuzz::Require;

// Legal pictures this large are correct and slow: skipped, as their claims
// are checked by the readers' own limits before any of this.
constexpr std::uint64_t kMaxPixels = 4'000'000;
constexpr std::uint64_t kMaxRoundTripPixels = 65'536;

bool SameSize(const pixmoth::Bitmap& a, const pixmoth::Bitmap& b) {
    return a.Width() == b.Width() && a.Height() == b.Height();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // JPEG unless the data starts like a BMP file.
    const bool bmp = size >= 2 && data[0] == 'B' && data[1] == 'M';
    const std::string path = Folder() + (bmp ? "/in.bmp" : "/in.jpg");
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const std::optional<pixmoth::PictureSize> claimed = pixmoth::ReadPictureSize(path);
    if (claimed && std::uint64_t(claimed->width) * std::uint64_t(claimed->height) > kMaxPixels) {
        return 0;
    }
    pixmoth::Bitmap picture;
    try {
        picture = pixmoth::LoadPicture(path);
    } catch (const pixmoth::Error&) {
        return 0;
    }
    Require(!picture.Empty(), "a picture that opens has pixels");
    if (claimed) {
        Require(claimed->width == picture.Width() && claimed->height == picture.Height(),
                "the size read ahead is the size opened");
    }
    if (std::uint64_t(picture.Width()) * std::uint64_t(picture.Height()) <= kMaxRoundTripPixels) {
        for (const char* name : {"/out.bmp", "/out.jpg"}) {
            const std::string out = Folder() + name;
            pixmoth::SavePicture(picture, out);
            const pixmoth::Bitmap again = pixmoth::LoadPicture(out);
            Require(SameSize(again, picture), "a saved picture opens at its size");
            if (name[5] == 'b') {
                Require(again.Format() == picture.Format(), "BMP keeps the pixel format");
                for (int y = 0; y < picture.Height(); ++y) {
                    for (int x = 0; x < picture.Width(); ++x) {
                        Require(again.PixelColor(x, y) == picture.PixelColor(x, y),
                                "BMP keeps every pixel");
                    }
                }
            }
        }
    }
    return 0;
}
