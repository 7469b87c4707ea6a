#include "document/SaveNames.h"

#include "imaging/codecs/PictureFile.h"

namespace pixmoth {

std::string SaveAsFileName(const std::string& chosen, int filterIndex) {
    if (PictureKindOf(chosen) != PictureKind::Other) {
        return chosen;
    }
    switch (filterIndex) {
    case kSaveFilterBitmap:
        return chosen + ".bmp";
    case kSaveFilterPng:
        return chosen + ".png";
    default:
        return chosen + ".jpg";
    }
}

std::string WritePictureFileName(const std::string& name) {
    if (PictureKindOf(name) != PictureKind::Other) {
        return name;
    }
    return name + ".bmp";
}

} // namespace pixmoth
