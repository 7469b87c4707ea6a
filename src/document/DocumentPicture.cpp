#include "document/DocumentPicture.h"

#include <algorithm>
#include <cctype>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/IconReader.h"
#include "imaging/codecs/PictureFile.h"
#include "platform/Paths.h"
#include "platform/WmfPicture.h"

namespace pixmoth {

Bitmap LoadDocumentPicture(const std::string& path) {
    if (PictureKindOf(path) != PictureKind::Other) {
        return LoadPicture(path);
    }
    const std::string name = FileNamePart(path);
    const auto dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".ico" || extension == ".cur") {
        return LoadIcon(path);
    }
    if (extension == ".wmf") {
        Bitmap picture = LoadWmfPicture(path);
        if (picture.Empty()) {
            throw Error("Metafile \"" + path + "\" draws nothing: there is no picture to show");
        }
        return picture;
    }
    return Bitmap();
}

} // namespace pixmoth
