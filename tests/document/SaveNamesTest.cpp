#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/SaveNames.h"

namespace pixmoth {
namespace {

TEST(SaveAsFileName, AppendsTheFiltersExtensionOnlyToNamesWithoutAPictureExtension) {
    struct Case {
        const char* meaning;
        const char* chosen;
        int filter;
        const char* written;
    };
    const std::vector<Case> cases = {
        {"bare name, JPEG filter", "/p/holiday", 1, "/p/holiday.jpg"},
        {"bare name, bitmap filter", "/p/holiday", 2, "/p/holiday.bmp"},
        {"bare name, PNG filter", "/p/holiday", 3, "/p/holiday.png"},
        {"foreign extension gets the filter's", "/p/holiday.gif", 1, "/p/holiday.gif.jpg"},
        {"foreign extension, bitmap filter", "/p/holiday.gif", 2, "/p/holiday.gif.bmp"},
        {"foreign extension, PNG filter", "/p/holiday.gif", 3, "/p/holiday.gif.png"},
        {".png is kept under the JPEG filter", "/p/holiday.png", 1, "/p/holiday.png"},
        {".jpg is kept under the bitmap filter", "/p/holiday.jpg", 2, "/p/holiday.jpg"},
        {".jpeg is kept", "/p/holiday.jpeg", 1, "/p/holiday.jpeg"},
        {".bmp is kept, no photo.bmp.bmp", "/p/photo.bmp", 2, "/p/photo.bmp"},
        {"upper-case extensions are kept", "/p/PHOTO.JPG", 2, "/p/PHOTO.JPG"},
        {"a dot in the directory is no extension", "/p/my.pics/holiday", 1,
         "/p/my.pics/holiday.jpg"},
        {"a filter index out of range means JPEG", "/p/a", 7, "/p/a.jpg"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SaveAsFileName(c.chosen, c.filter), c.written) << c.meaning;
    }
}

TEST(WritePictureFileName, KeepsPictureNamesAndMakesOtherNamesBitmaps) {
    struct Case {
        const char* meaning;
        const char* name;
        const char* written;
    };
    const std::vector<Case> cases = {
        {"JPEG", "/p/a.jpg", "/p/a.jpg"},
        {"JPEG in upper case, as cameras name them", "/p/IMG_1.JPG", "/p/IMG_1.JPG"},
        {"long JPEG extension", "/p/a.jpeg", "/p/a.jpeg"},
        {"bitmap", "/p/a.bmp", "/p/a.bmp"},
        {"bitmap in upper case", "/p/a.BMP", "/p/a.BMP"},
        {"PNG", "/p/a.Png", "/p/a.Png"},
        {"any other name becomes a bitmap", "/p/a.ico", "/p/a.ico.bmp"},
        {"no extension", "/p/a", "/p/a.bmp"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WritePictureFileName(c.name), c.written) << c.meaning;
    }
}

} // namespace
} // namespace pixmoth
