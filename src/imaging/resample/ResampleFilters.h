#pragma once

#include <array>
#include <string_view>

// The seven reconstruction filters that resampling offers, in the order both
// the resample dialog and the icon converter list them.
namespace pixmoth {

// A filter kernel: single precision in and out, zero outside its support.
using FilterKernel = float (*)(float x);

// The kernels. Their arithmetic is single precision throughout (see the .cpp
// for where each intermediate is rounded): resampled pixels depend on every bit.
float BoxFilter(float x);
float TriangleFilter(float x);
float HermiteFilter(float x);
float BellFilter(float x);
float BSplineFilter(float x);
float Lanczos3Filter(float x);
float MitchellFilter(float x);

struct FilterEntry {
    std::string_view listText; // what the filter drop-down lists show
    std::string_view name;
    FilterKernel kernel;
    float support; // the kernel is zero for |x| beyond this
};

inline constexpr std::array<FilterEntry, 7> FilterTable = {{
    {"Box filter", "Box", BoxFilter, 0.5f},
    {"Triangle filter", "Triangle", TriangleFilter, 1.0f},
    {"Hermite filter", "Hermite", HermiteFilter, 1.0f},
    {"Bell filter", "Bell", BellFilter, 1.5f},
    {"B-Spline filter", "B-Spline", BSplineFilter, 2.0f},
    {"Lanczos3 filter", "Lanczos3", Lanczos3Filter, 3.0f},
    {"Mitchell filter", "Mitchell", MitchellFilter, 2.0f},
}};

// The entry at a drop-down index; null for an index outside 0 .. 6 (such as
// the -1 of a list with nothing selected).
const FilterEntry* FilterByIndex(int index);

// An entry by its index written in decimal ("5") or by its name, compared
// without regard to case ("lanczos3"); null when nothing matches.
const FilterEntry* FindFilter(std::string_view text);

} // namespace pixmoth
