#include "document/Selection.h"

#include <algorithm>

namespace pixmoth {

Selection& SharedSelection() {
    static Selection selection;
    return selection;
}

Rect NormalizeRect(const Rect& rect) {
    return Rect{std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
                std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)};
}

} // namespace pixmoth
