// A small tool for the end-to-end capture test: makes the known desktop
// picture, finds pictures on screenshots and compares shots with the screen.
//
//   capture_probe picture WIDTH HEIGHT OUT.png
//   capture_probe find SCREEN.png PICTURE [SCALE [WIDTH HEIGHT]]
//       prints "X Y" of the best match of PICTURE (or its top-left WIDTH x HEIGHT
//       part) shown SCALE times enlarged
//   capture_probe compare SHOT.jpg SCREEN.png LEFT TOP WIDTH HEIGHT
//
// Exit status 0 on success, 1 when nothing matches, 2 on bad use.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include <QImage>

#include "imaging/codecs/JpegCodec.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: capture_probe picture W H OUT.png | find SCREEN PICTURE [SCALE]"
                         " | compare SHOT.jpg SCREEN.png LEFT TOP WIDTH HEIGHT\n");
    return 2;
}

// Smooth ramps (so JPEG stays close) with a coarse checkerboard in blue (so
// every place on the screen looks different from its neighbours).
int MakePicture(int width, int height, const char* out) {
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<uchar>(x * 255 / width);
            row[3 * x + 1] = static_cast<uchar>(y * 255 / height);
            row[3 * x + 2] = static_cast<uchar>(((x / 48 + y / 48) % 2) * 90 + 40 + (x + y) % 64);
        }
    }
    return picture.save(QString::fromLocal8Bit(out)) ? 0 : 1;
}

QImage Load(const char* path) {
    const std::string name(path);
    if (name.size() > 4 && name.substr(name.size() - 4) == ".jpg") {
        // Decoded as the program decodes it, so it matches a document window.
        const pixmoth::Bitmap bitmap = pixmoth::LoadJpeg(name);
        QImage image(bitmap.Bits(), bitmap.Width(), bitmap.Height(), bitmap.Stride(),
                     QImage::Format_BGR888);
        return image.convertToFormat(QImage::Format_ARGB32);
    }
    return QImage(QString::fromLocal8Bit(path)).convertToFormat(QImage::Format_ARGB32);
}

// Mean channel difference of `picture` placed at (left, top) on `screen`,
// over the picture's opaque pixels; gives up early once above `limit`.
double Difference(const QImage& screen, const QImage& picture, int left, int top, double limit) {
    long long sum = 0;
    long long count = 0;
    const long long total = static_cast<long long>(picture.width()) * picture.height();
    for (int y = 0; y < picture.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        const auto* s = reinterpret_cast<const QRgb*>(screen.constScanLine(top + y)) + left;
        for (int x = 0; x < picture.width(); ++x) {
            if (qAlpha(p[x]) < 255) {
                continue;
            }
            sum += std::abs(qRed(p[x]) - qRed(s[x])) + std::abs(qGreen(p[x]) - qGreen(s[x])) +
                   std::abs(qBlue(p[x]) - qBlue(s[x]));
            ++count;
        }
        // A true match is close everywhere: give up as soon as the rows so far
        // are well off, or the whole could no longer come under the limit.
        if (sum > limit * 3 * total || (count > 0 && sum > 2 * limit * 3 * count + 3 * 255)) {
            return std::numeric_limits<double>::infinity();
        }
    }
    return count == 0 ? std::numeric_limits<double>::infinity()
                      : static_cast<double>(sum) / (3.0 * count);
}

int Find(const char* screenPath, const char* picturePath, double scale, QSize part) {
    const QImage screen = Load(screenPath);
    QImage picture = Load(picturePath);
    if (screen.isNull() || picture.isNull()) {
        return Usage();
    }
    if (part.isValid()) {
        picture = picture.copy(QRect(QPoint(0, 0), part));
    }
    if (scale != 1.0) {
        picture = picture.scaled(qRound(picture.width() * scale), qRound(picture.height() * scale),
                                 Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    double best = 12.0; // mean difference a match may have at most
    int bestX = -1;
    int bestY = -1;
    for (int y = 0; y + picture.height() <= screen.height(); ++y) {
        for (int x = 0; x + picture.width() <= screen.width(); ++x) {
            const double d = Difference(screen, picture, x, y, best);
            if (d < best) {
                best = d;
                bestX = x;
                bestY = y;
            }
        }
    }
    if (bestX < 0) {
        std::fprintf(stderr, "%s not found on %s\n", picturePath, screenPath);
        return 1;
    }
    std::printf("%d %d\n", bestX, bestY);
    std::fprintf(stderr, "found at %d,%d, mean difference %.2f\n", bestX, bestY, best);
    return 0;
}

int Compare(const char* shotPath, const char* screenPath, int left, int top, int width,
            int height) {
    const QImage shot = Load(shotPath);
    const QImage screen = Load(screenPath);
    if (shot.isNull() || screen.isNull()) {
        return Usage();
    }
    if (shot.width() != width || shot.height() != height) {
        std::fprintf(stderr, "%s is %dx%d, expected %dx%d\n", shotPath, shot.width(), shot.height(),
                     width, height);
        return 1;
    }
    if (left < 0 || top < 0 || left + width > screen.width() || top + height > screen.height()) {
        std::fprintf(stderr, "the area lies off the screen picture\n");
        return 1;
    }
    // JPEG at quality 90 keeps this picture within about 3 levels on average,
    // and the area must fit better here than one pixel off in any direction.
    const double here = Difference(screen, shot, left, top, 1e9);
    std::fprintf(stderr, "%s against %s at %d,%d: mean difference %.2f\n", shotPath, screenPath,
                 left, top, here);
    if (here >= 3.5) {
        return 1;
    }
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int x = left + dx;
            const int y = top + dy;
            if ((dx == 0 && dy == 0) || x < 0 || y < 0 || x + width > screen.width() ||
                y + height > screen.height()) {
                continue;
            }
            const double there = Difference(screen, shot, x, y, 1e9);
            if (there <= here) {
                std::fprintf(stderr, "it fits as well at %d,%d (%.2f)\n", x, y, there);
                return 1;
            }
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "picture" && argc == 5) {
        return MakePicture(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
    }
    if (command == "find" && (argc == 4 || argc == 5 || argc == 7)) {
        return Find(argv[2], argv[3], argc >= 5 ? std::atof(argv[4]) : 1.0,
                    argc == 7 ? QSize(std::atoi(argv[5]), std::atoi(argv[6])) : QSize());
    }
    if (command == "compare" && argc == 8) {
        return Compare(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]),
                       std::atoi(argv[7]));
    }
    return Usage();
}
