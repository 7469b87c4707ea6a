#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/resample/ResampleFilters.h"

namespace pixmoth {
namespace {

struct KernelPoint {
    const char* what;
    FilterKernel kernel;
    float x;
    float expected;
    float tolerance; // 0: the single-precision value is exact
};

// Values worked out by hand; where single precision rounds, the tolerance says
// how far the rounded value may lie from the exact one.
const std::vector<KernelPoint> kKernelPoints = {
    {"Box is 1 at +0.5", BoxFilter, 0.5f, 1.0f, 0},
    {"Box is 0 at -0.5", BoxFilter, -0.5f, 0.0f, 0},
    {"Box is 1 just inside -0.5", BoxFilter, -0.4999f, 1.0f, 0},
    {"Box is 0 just past +0.5", BoxFilter, 0.5001f, 0.0f, 0},
    {"Triangle at 0", TriangleFilter, 0.0f, 1.0f, 0},
    {"Triangle at -0.75", TriangleFilter, -0.75f, 0.25f, 0},
    {"Triangle ends at 1", TriangleFilter, 1.0f, 0.0f, 0},
    {"Hermite at 0.5", HermiteFilter, 0.5f, 0.5f, 0},
    {"Hermite at 0.25: -2.5 x 0.0625 + 1", HermiteFilter, 0.25f, 0.84375f, 0},
    {"Hermite at -0.75: -1.5 x 0.5625 + 1", HermiteFilter, -0.75f, 0.15625f, 0},
    {"Hermite ends at 1", HermiteFilter, 1.0f, 0.0f, 0},
    {"Bell at 0", BellFilter, 0.0f, 0.75f, 0},
    {"Bell at 0.25: 0.75 - 0.0625", BellFilter, 0.25f, 0.6875f, 0},
    {"Bell at 0.5 switches to the outer piece", BellFilter, 0.5f, 0.5f, 0},
    {"Bell at -1", BellFilter, -1.0f, 0.125f, 0},
    {"Bell at 1.25: 0.5 x 0.0625", BellFilter, 1.25f, 0.03125f, 0},
    {"Bell ends at 1.5", BellFilter, 1.5f, 0.0f, 0},
    {"B-Spline at 0 is 2/3", BSplineFilter, 0.0f, 2.0f / 3.0f, 0},
    {"B-Spline at 1 is 1/6", BSplineFilter, 1.0f, 1.0f / 6.0f, 0},
    {"B-Spline at 0.5: 1/16 - 1/4 + 2/3", BSplineFilter, 0.5f, 0.4791666667f, 3e-8f},
    {"B-Spline at -1.5: (1/8) / 6", BSplineFilter, -1.5f, 0.125f / 6.0f, 0},
    {"B-Spline ends at 2", BSplineFilter, 2.0f, 0.0f, 0},
    {"Lanczos3 at 0", Lanczos3Filter, 0.0f, 1.0f, 0},
    {"Lanczos3 at 0.5 is 6 / pi^2", Lanczos3Filter, 0.5f, 0.6079271019f, 2e-7f},
    {"Lanczos3 at -1.5 is -4 / (3 pi^2)", Lanczos3Filter, -1.5f, -0.1350949115f, 2e-7f},
    {"Lanczos3 ends at 3", Lanczos3Filter, 3.0f, 0.0f, 0},
    {"Mitchell at 0 is 8/9", MitchellFilter, 0.0f, 0.8888888889f, 1e-7f},
    {"Mitchell at 0.5: (7/8 - 3 + 16/3) / 6", MitchellFilter, 0.5f, 0.5347222222f, 1e-7f},
    {"Mitchell at 1 is 1/18", MitchellFilter, 1.0f, 0.0555555556f, 2e-7f},
    {"Mitchell at -1.5: (-7/3 x 27/8 + 27 - 30 + 32/3) / 6", MitchellFilter, -1.5f, -0.0347222222f,
     2e-7f},
    {"Mitchell ends at 2", MitchellFilter, 2.0f, 0.0f, 0},
};

TEST(FilterKernels, HaveTheirValuesAtChosenPoints) {
    for (const KernelPoint& p : kKernelPoints) {
        const float value = p.kernel(p.x);
        if (p.tolerance == 0) {
            EXPECT_EQ(value, p.expected) << p.what;
        } else {
            EXPECT_NEAR(value, p.expected, p.tolerance) << p.what;
        }
    }
}

TEST(FilterKernels, AreZeroFromTheirSupportOnAndSymmetricExceptBox) {
    for (const FilterEntry& entry : FilterTable) {
        const std::string name(entry.name);
        for (float x : {entry.support + 0.25f, 10.0f, 1e9f}) {
            EXPECT_EQ(entry.kernel(x), 0.0f) << name << " at " << x;
            EXPECT_EQ(entry.kernel(-x), 0.0f) << name << " at " << -x;
        }
        EXPECT_EQ(entry.kernel(-entry.support), 0.0f) << name;
        if (entry.kernel == BoxFilter) {
            continue; // 1 at +0.5: the half-open interval
        }
        EXPECT_EQ(entry.kernel(entry.support), 0.0f) << name;
        for (float x = 0.0f; x < entry.support; x += 0.0625f) {
            EXPECT_EQ(entry.kernel(x), entry.kernel(-x)) << name << " at " << x;
        }
    }
}

TEST(FilterKernels, Lanczos3IsTinyButNotZeroAtWholeDistances) {
    // sin(pi rounded to single) is not 0, so these weights are stored, not skipped.
    for (float x : {1.0f, 2.0f, -1.0f, -2.0f}) {
        EXPECT_NE(Lanczos3Filter(x), 0.0f) << x;
        EXPECT_LT(std::fabs(Lanczos3Filter(x)), 1e-7f) << x;
    }
}

TEST(FilterKernels, SplinesSumToOneOverWholeSteps) {
    // The cubic splines interpolate a constant exactly (up to rounding).
    EXPECT_NEAR(BSplineFilter(0) + 2 * BSplineFilter(1), 1.0f, 1e-7f);
    EXPECT_NEAR(MitchellFilter(0) + 2 * MitchellFilter(1), 1.0f, 5e-7f);
    EXPECT_NEAR(MitchellFilter(0.25f) + MitchellFilter(0.75f) + MitchellFilter(1.25f) +
                    MitchellFilter(1.75f),
                1.0f, 5e-7f);
}

TEST(FilterTable, ListsTheSevenFiltersInDropDownOrder) {
    const char* listTexts[] = {"Box filter",     "Triangle filter", "Hermite filter",
                               "Bell filter",    "B-Spline filter", "Lanczos3 filter",
                               "Mitchell filter"};
    const char* names[] = {"Box",      "Triangle", "Hermite", "Bell",
                           "B-Spline", "Lanczos3", "Mitchell"};
    const float supports[] = {0.5f, 1.0f, 1.0f, 1.5f, 2.0f, 3.0f, 2.0f};
    const FilterKernel kernels[] = {BoxFilter,     TriangleFilter, HermiteFilter, BellFilter,
                                    BSplineFilter, Lanczos3Filter, MitchellFilter};
    ASSERT_EQ(FilterTable.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(FilterTable[i].listText, listTexts[i]) << i;
        EXPECT_EQ(FilterTable[i].name, names[i]) << i;
        EXPECT_EQ(FilterTable[i].support, supports[i]) << i;
        EXPECT_EQ(FilterTable[i].kernel, kernels[i]) << i;
    }
}

TEST(FilterTable, FindsEntriesByIndexOrNameWithoutRegardToCase) {
    struct Case {
        const char* text;
        int expectedIndex; // -1: no entry
    };
    const Case cases[] = {
        {"0", 0},        {"6", 6},        {"7", -1},         {"-1", -1},      {"Box", 0},
        {"lanczos3", 5}, {"MITCHELL", 6}, {"b-spline", 4},   {"BSpline", -1}, {"Bell filter", -1},
        {"", -1},        {"Bel", -1},     {"Triangle ", -1}, {"12", -1},
    };
    for (const Case& c : cases) {
        const FilterEntry* entry = FindFilter(c.text);
        if (c.expectedIndex < 0) {
            EXPECT_EQ(entry, nullptr) << '"' << c.text << '"';
        } else {
            EXPECT_EQ(entry, &FilterTable[c.expectedIndex]) << '"' << c.text << '"';
        }
    }
    EXPECT_EQ(FilterByIndex(3), &FilterTable[3]);
    EXPECT_EQ(FilterByIndex(-1), nullptr);
    EXPECT_EQ(FilterByIndex(7), nullptr);
}

} // namespace
} // namespace pixmoth
