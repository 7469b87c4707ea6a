#include <algorithm>
#include <cctype>
#include <iostream>
#include <mutex>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "browse/thumbnails/PictureListing.h"
#include "browse/thumbnails/ThumbnailBatch.h"
#include "browse/thumbnails/ThumbnailDrawing.h"
#include "cli/Commands.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/PictureFile.h"

namespace pixmoth::cli {

const char* const kThumbsUsage = "pixmoth-cli thumbs DIR [--out STRIP.bmp]";

namespace {

bool IsMetafile(const PictureEntry& entry) {
    // Listed names end in a four-character extension.
    std::string extension = entry.name.substr(entry.name.size() - 4);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".wmf";
}

} // namespace

void ThumbsCommand(const CommandLine& line, Stopwatch& stopwatch) {
    line.ExpectPositional(1, 1, kThumbsUsage);
    const std::string& dir = line.Positional()[0];
    struct stat info {};
    if (::stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        throw Error("Cannot list \"" + dir + "\": it is not a directory");
    }
    const std::optional<std::string> out = line.Value("out");
    if (out) {
        CheckOutputName(*out);
    }
    const std::vector<PictureEntry> entries = CollectPictureFiles(dir);
    if (out && entries.empty()) {
        throw Error("\"" + dir + "\" holds no pictures: nothing to write to \"" + *out + "\"");
    }

    std::vector<std::string> paths;
    for (const PictureEntry& entry : entries) {
        paths.push_back(entry.path);
    }
    std::vector<Thumbnail> thumbnails(entries.size());
    const auto makeAll = [&](const WmfRenderer& renderer) {
        stopwatch.Start();
        ThumbnailBatch batch(paths, renderer, [&](std::size_t index, Thumbnail thumbnail) {
            thumbnails[index] = std::move(thumbnail); // each index is written by one worker only
        });
        batch.Wait();
        stopwatch.Stop();
    };
    if (std::any_of(entries.begin(), entries.end(), IsMetafile)) {
        WithMetafileRenderer(makeAll);
    } else {
        makeAll(nullptr);
    }

    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::cout << entries[i].name << "\n";
        if (!thumbnails[i].error.empty()) {
            std::cerr << "pixmoth-cli: " << thumbnails[i].error << " (blank thumbnail)\n";
        }
    }
    if (out) {
        Bitmap strip(kThumbSize * static_cast<int>(entries.size()), kThumbSize);
        for (std::size_t i = 0; i < thumbnails.size(); ++i) {
            strip.Draw(kThumbSize * static_cast<int>(i), 0, thumbnails[i].image);
        }
        SavePicture(strip, *out);
    }
}

} // namespace pixmoth::cli
