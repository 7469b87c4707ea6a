#pragma once

#include <string>

#include "imaging/bitmap/Bitmap.h"

// The picture a document window opens for a file.
namespace pixmoth {

// Chosen by the file's extension, in any case: JPEG, BMP and PNG pictures;
// icons and cursors (".ico", ".cur"), their largest picture as it shows on
// white; metafiles (".wmf") drawn at their own size. Any other file gives an
// empty picture: the document then has nothing to show or save. A file that
// cannot be read, or a metafile that draws nothing, throws an Error that names
// the file.
Bitmap LoadDocumentPicture(const std::string& path);

} // namespace pixmoth
