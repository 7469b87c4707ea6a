#pragma once

#include <string>

// The file-name rules of saving a document picture.
namespace pixmoth {

// The filters of the Save As dialog, by their 1-based index.
constexpr int kSaveFilterJpeg = 1;
constexpr int kSaveFilterBitmap = 2;
constexpr int kSaveFilterPng = 3;

// The name Save As writes to: a name whose extension (from its last '.') is
// ".jpg", ".jpeg", ".bmp" or ".png" in any case is kept; any other name gets
// ".bmp" appended with the bitmap filter, ".png" with the PNG filter and ".jpg"
// with any other filter.
std::string SaveAsFileName(const std::string& chosen, int filterIndex);

// The file WritePicture writes: ".jpg" and ".jpeg" names (any case) as JPEG,
// ".png" names as PNG, ".bmp" names as BMP, and any other name as BMP with
// ".bmp" appended, so a picture is never written in a format its name does
// not announce.
std::string WritePictureFileName(const std::string& name);

} // namespace pixmoth
