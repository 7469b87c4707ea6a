#include "capture/RectFile.h"

#include "settings/IniStuff.h"

namespace pixmoth {

namespace {
const char* const kSection = "Rectangle";
}

void SaveRectFile(const std::string& path, const Rect& rect) {
    IniWriteInteger(path, kSection, "Right", rect.right);
    IniWriteInteger(path, kSection, "Left", rect.left);
    IniWriteInteger(path, kSection, "Top", rect.top);
    IniWriteInteger(path, kSection, "Bottom", rect.bottom);
}

Rect LoadRectFile(const std::string& path) {
    Rect rect;
    rect.right = IniReadInteger(path, kSection, "Right", 0);
    rect.left = IniReadInteger(path, kSection, "Left", 0);
    rect.top = IniReadInteger(path, kSection, "Top", 0);
    rect.bottom = IniReadInteger(path, kSection, "Bottom", 0);
    return rect;
}

} // namespace pixmoth
