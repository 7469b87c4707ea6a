#pragma once

#include <optional>
#include <string>

#include "imaging/bitmap/Bitmap.h"

// Picture files chosen by extension, compared without regard to case.
namespace pixmoth {

enum class PictureKind { Jpeg, Bmp, Png, Other };

// The extension from the last '.' of the file name, in upper case (".JPG");
// empty when the name has none.
std::string UpperExtension(const std::string& path);

// ".jpg" and ".jpeg" are JPEG, ".bmp" is BMP, ".png" is PNG, anything else
// is Other.
PictureKind PictureKindOf(const std::string& path);

// Decodes a JPEG, BMP or PNG file; any other extension throws an Error naming it.
Bitmap LoadPicture(const std::string& path);

// The width and height LoadPicture would give, from the file's headers alone;
// nullopt when they cannot be read there (the file is damaged, or a JPEG keeps
// its frame header unusually far in). For callers that prepare for the
// picture while it loads.
struct PictureSize {
    int width = 0;
    int height = 0;
};
std::optional<PictureSize> ReadPictureSize(const std::string& path);

// Writes JPEG (quality 90) for a ".jpg"/".jpeg" name, PNG for a ".png" name and
// BMP otherwise, atomically.
void SavePicture(const Bitmap& bitmap, const std::string& path);
// Throws the Error SavePicture would give for a 24-bit picture of this size
// that the file's format cannot hold ("Cannot write file \"PATH\": ..."), for
// callers that check a size before making the picture.
void CheckPictureSize(int width, int height, const std::string& path);

} // namespace pixmoth
