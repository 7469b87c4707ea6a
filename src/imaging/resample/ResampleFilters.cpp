#include "imaging/resample/ResampleFilters.h"

#include <cmath>
#include <cstddef>

namespace pixmoth {

namespace {

// sin(a) / a with a = pi * x rounded to single first. The product is formed in
// double and rounded once; sin is taken in double and rounded to single, which
// is the correctly rounded single sine and so the same on every libm.
float Sinc(float x) {
    if (x == 0.0f) {
        return 1.0f;
    }
    constexpr double kPi = 3.14159265358979323846;
    const auto a = static_cast<float>(kPi * static_cast<double>(x));
    const auto sine = static_cast<float>(std::sin(static_cast<double>(a)));
    return sine / a;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

// Box is 1 on the half-open interval (-0.5, 0.5], so a centre exactly halfway
// between two pixels takes the left-hand (or upper) one.
float BoxFilter(float x) {
    return (x > -0.5f && x <= 0.5f) ? 1.0f : 0.0f;
}

float TriangleFilter(float x) {
    const float t = std::fabs(x);
    return t < 1.0f ? 1.0f - t : 0.0f;
}

float HermiteFilter(float x) {
    const float t = std::fabs(x);
    if (t < 1.0f) {
        return (2.0f * t - 3.0f) * (t * t) + 1.0f;
    }
    return 0.0f;
}

float BellFilter(float x) {
    const float t = std::fabs(x);
    if (t < 0.5f) {
        return 0.75f - t * t;
    }
    if (t < 1.5f) {
        const float u = t - 1.5f;
        return 0.5f * (u * u);
    }
    return 0.0f;
}

float BSplineFilter(float x) {
    const float t = std::fabs(x);
    if (t < 1.0f) {
        const float tt = t * t;
        return 0.5f * tt * t - tt + 2.0f / 3.0f;
    }
    if (t < 2.0f) {
        const float u = 2.0f - t;
        return u * u * u / 6.0f;
    }
    return 0.0f;
}

float Lanczos3Filter(float x) {
    const float t = std::fabs(x);
    if (t < 3.0f) {
        return Sinc(t) * Sinc(t / 3.0f);
    }
    return 0.0f;
}

// The cubic with B = C = 1/3. Every step is a single-precision operation, so
// t^2 and the polynomial are singles before the division by 6.
float MitchellFilter(float x) {
    const float t = std::fabs(x);
    const float tt = t * t;
    if (t < 1.0f) {
        const float p = 7.0f * (t * tt) - 12.0f * tt + 16.0f / 3.0f;
        return p / 6.0f;
    }
    if (t < 2.0f) {
        const float p = -7.0f / 3.0f * (t * tt) + 12.0f * tt - 20.0f * t + 32.0f / 3.0f;
        return p / 6.0f;
    }
    return 0.0f;
}

const FilterEntry* FilterByIndex(int index) {
    if (index < 0 || index >= static_cast<int>(FilterTable.size())) {
        return nullptr;
    }
    return &FilterTable[static_cast<std::size_t>(index)];
}

const FilterEntry* FindFilter(std::string_view text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') {
        return FilterByIndex(text[0] - '0');
    }
    for (const FilterEntry& entry : FilterTable) {
        if (SameText(text, entry.name)) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace pixmoth
