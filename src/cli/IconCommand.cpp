#include <algorithm>
#include <cctype>
#include <string>

#include "cli/Commands.h"
#include "icon/IconConversion.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/IconFile.h"
#include "imaging/codecs/PictureFile.h"

namespace pixmoth::cli {

namespace {

enum class IconOutput { Icon, Glyph };

IconOutput OutputKind(const std::string& path) {
    const std::string extension = UpperExtension(path);
    if (extension == ".ICO" || extension == ".CUR") {
        return IconOutput::Icon;
    }
    if (extension == ".BMP") {
        return IconOutput::Glyph;
    }
    throw Error("Cannot write \"" + path + "\": the name must end in .ico, .cur or .bmp");
}

std::uint8_t DepthOption(const CommandLine& line) {
    const std::string text = line.Value("depth").value_or("8");
    static constexpr int bits[] = {32, 24, 8, 4, 1};
    const int value = ParseInt(text, "--depth");
    for (int choice = 0; choice < 5; ++choice) {
        if (bits[choice] == value) {
            return DepthCodeOfChoice(choice);
        }
    }
    throw Error("--depth must be 32, 24, 8, 4 or 1, not " + text);
}

// RRGGBB in hexadecimal, as colours are written on the web.
PaletteEntry ParseColour(const std::string& text) {
    const bool hex = text.size() == 6 && std::all_of(text.begin(), text.end(), [](unsigned char c) {
                         return std::isxdigit(c) != 0;
                     });
    if (!hex) {
        throw Error("--transparent must be a colour RRGGBB (such as ff00ff) or none, not " + text);
    }
    const unsigned long rgb = std::stoul(text, nullptr, 16);
    return PaletteEntry{static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8),
                        static_cast<std::uint8_t>(rgb >> 16), 0};
}

} // namespace

const char* const kIconUsage = "pixmoth-cli icon INPUT OUTPUT [--size N] [--depth 32|24|8|4|1] "
                               "[--filter NAME] [--no-aspect] [--transparent RRGGBB|none]";

void IconCommand(const CommandLine& line, Stopwatch& stopwatch) {
    line.ExpectPositional(2, 2, kIconUsage);
    const std::string& input = line.Positional()[0];
    const std::string& output = line.Positional()[1];
    IconSettings settings;
    if (const auto size = line.Value("size")) {
        settings.size = ParseInt(*size, "--size");
        if (settings.size < 1 || settings.size > 256) {
            throw Error("--size must lie between 1 and 256, not " + *size);
        }
    }
    settings.depth = DepthOption(line);
    if (const auto name = line.Value("filter")) {
        settings.filter = FindFilter(*name);
        if (settings.filter == nullptr) {
            std::string names;
            for (const FilterEntry& entry : FilterTable) {
                names += ' ';
                names += entry.name;
            }
            throw Error("Unknown filter \"" + *name + "\"; give an index 0..6 or a name:" + names);
        }
    }
    settings.keepAspect = !line.Flag("no-aspect");
    const std::string transparent = line.Value("transparent").value_or("");
    settings.useTransparent = transparent != "none";
    if (settings.useTransparent && !transparent.empty()) {
        settings.transparent = ParseColour(transparent);
    }
    const IconOutput kind = OutputKind(output);

    Bitmap picture = LoadPicture(input);
    stopwatch.Start();
    if (settings.useTransparent && transparent.empty()) {
        // As the converter window does: the preview's top-left pixel.
        const Bitmap preview = ScaleToBox(picture, *settings.filter, settings.keepAspect,
                                          kPreviewWidth, kPreviewHeight);
        settings.transparent = preview.PixelColor(0, 0);
    }
    const ConvertedIcon converted = ConvertToIcon(picture, settings);
    stopwatch.Stop();

    if (kind == IconOutput::Glyph) {
        SaveGlyph(converted.glyph, settings.depth, output);
        return;
    }
    std::string failure;
    if (WriteIconFile(output, converted.icon, settings.depth, &failure) != kIconWritten) {
        throw Error(failure);
    }
}

} // namespace pixmoth::cli
