#pragma once

#include <string>

#include "imaging/bitmap/Bitmap.h"

// The function list of the image enhancement dialog: which effect each entry
// runs and how the dialog's factor reaches it.
namespace pixmoth {

constexpr int kEnhancementCount = 24;

// The list text of entry `index` (0 .. 23), exactly as the dialog shows it.
const std::string& EnhancementName(int index);

// Runs entry `index` with the factor box's value `factor`, as the dialog does:
// Solarize and Posterize read `sourceCopy` and write `work`, taking the factor
// with its sign (Posterize as factor x 10 + 1); every other entry works on
// `work` in place with the factor's absolute value, the noise, contrast,
// lightness and saturation entries times 10, the keep entries as a real number.
// An index outside 0 .. 23 runs nothing. Scaled factors beyond the 32-bit range
// saturate instead of wrapping.
void RunEnhancement(int index, int factor, Bitmap& sourceCopy, Bitmap& work);

} // namespace pixmoth
