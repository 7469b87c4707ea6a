// The thumbnail list on a folder of JPEGs, in process, against libjpeg-turbo's
// own 1/8-scaled decode of the same files. Each mode prints one line: its
// name and the median milliseconds of RUNS runs; list and decode add the
// median processor time of the process (all threads), the steadier figure
// when other work shares the cores.
//   bench_thumblist list DIR [RUNS]     a new list until every thumbnail is made
//   bench_thumblist decode DIR [RUNS]   read and decode every file at 1/8, one thread
//   bench_thumblist make DIR [RUNS]     every thumbnail made as the list's workers do, one thread
//   bench_thumblist first DIR [RUNS]    from the listing to the first thumbnail painted
//   bench_thumblist refill DIR [RUNS]   listing the listed folder again, nothing changed
//   bench_thumblist return DIR [RUNS]   back to the folder after another one (from memory)
// Runs offscreen unless QT_QPA_PLATFORM says otherwise.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <time.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

#include <csetjmp>
#include <jpeglib.h>

#include "BenchMedian.h"
#include "browse/TThumbListView.h"
#include "browse/thumbnails/PictureListing.h"
#include "browse/thumbnails/ThumbnailSource.h"
#include "imaging/codecs/FileIO.h"

namespace {

using namespace pixmoth;
using Clock = std::chrono::steady_clock;

using pixmoth::bench::Median;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double ProcessorMilliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Timing {
    double wall;
    double processor;
};

template <typename Work>
Timing Time(Work work) {
    const double processor = ProcessorMilliseconds();
    const Clock::time_point start = Clock::now();
    work();
    return Timing{MillisecondsSince(start), ProcessorMilliseconds() - processor};
}

// Runs the event loop until `done` holds, sleeping while no event comes (the
// overload with a time limit would spin and take a core from the workers).
template <typename Done>
void RunUntil(Done done) {
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

std::unique_ptr<TThumbListView> NewList() {
    auto list = std::make_unique<TThumbListView>();
    list->setViewMode(QListView::IconMode);
    list->resize(222, 300);
    list->show();
    return list;
}

Timing ListAll(const QString& dir) {
    const auto list = NewList();
    return Time([&] {
        list->ListThumbItems(dir);
        RunUntil([&] { return !list->ThumbnailsPending(); });
    });
}

// Notes the first paint of the list's viewport after a thumbnail was set.
class FirstPaint : public QObject {
public:
    bool painted = false;
    bool thumbnail = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && thumbnail) {
            painted = true;
        }
        return false;
    }
};

double FirstThumbnail(const QString& dir) {
    const auto list = NewList();
    QCoreApplication::processEvents();
    FirstPaint watch;
    list->viewport()->installEventFilter(&watch);
    QObject::connect(list->model(), &QAbstractItemModel::dataChanged,
                     [&] { watch.thumbnail = true; });
    const Clock::time_point start = Clock::now();
    list->ListThumbItems(dir);
    RunUntil([&] { return watch.painted; });
    const double ms = MillisecondsSince(start);
    list->viewport()->removeEventFilter(&watch);
    return ms;
}

// libjpeg-turbo on its own: each file read whole and decoded at 1/8.
struct ErrorJump {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void Jump(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}

void DecodeEighth(const std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& row) {
    jpeg_decompress_struct info{};
    ErrorJump error{};
    info.err = jpeg_std_error(&error.base);
    error.base.error_exit = Jump;
    if (setjmp(error.jump) == 0) {
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
        jpeg_read_header(&info, TRUE);
        info.scale_num = 1;
        info.scale_denom = 8;
        jpeg_start_decompress(&info);
        row.resize(static_cast<std::size_t>(info.output_width) * info.output_components);
        JSAMPROW rows[1] = {row.data()};
        while (info.output_scanline < info.output_height) {
            jpeg_read_scanlines(&info, rows, 1);
        }
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
}

Timing DecodeAll(const std::string& dir) {
    return Time([&] {
        std::vector<std::uint8_t> row;
        for (const PictureEntry& entry : CollectPictureFiles(dir)) {
            DecodeEighth(ReadFileBytes(entry.path), row);
        }
    });
}

// The workers' part of the list alone: read, decode, stretch into the frame.
Timing MakeAll(const std::string& dir) {
    return Time([&] {
        for (const PictureEntry& entry : CollectPictureFiles(dir)) {
            MakeThumbnail(entry.path, nullptr);
        }
    });
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s list|decode|make|first|refill|return DIR [RUNS]\n",
                     argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const std::string mode = argv[1];
    const std::string dir = argv[2];
    const QString qdir = QString::fromStdString(dir);
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    std::vector<double> times;
    std::vector<double> processor;
    if (mode == "refill" || mode == "return") {
        const auto list = NewList();
        list->ListThumbItems(qdir);
        RunUntil([&] { return !list->ThumbnailsPending(); });
        const QString other =
            QString::fromStdString(std::filesystem::path(dir).parent_path().string());
        for (int i = 0; i < runs; ++i) {
            if (mode == "return") {
                list->ListThumbItems(other);
                RunUntil([&] { return !list->ThumbnailsPending(); });
            }
            const Clock::time_point start = Clock::now();
            list->ListThumbItems(qdir);
            list->repaint();
            times.push_back(MillisecondsSince(start));
            RunUntil([&] { return !list->ThumbnailsPending(); });
        }
    } else {
        for (int i = 0; i < runs; ++i) {
            if (mode == "list" || mode == "decode" || mode == "make") {
                const Timing timing = mode == "list"     ? ListAll(qdir)
                                      : mode == "decode" ? DecodeAll(dir)
                                                         : MakeAll(dir);
                times.push_back(timing.wall);
                processor.push_back(timing.processor);
            } else if (mode == "first") {
                times.push_back(FirstThumbnail(qdir));
            } else {
                std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
                return 2;
            }
        }
    }
    if (processor.empty()) {
        std::printf("%s %.3f\n", mode.c_str(), Median(times));
    } else {
        std::printf("%s %.3f %.3f\n", mode.c_str(), Median(times), Median(processor));
    }
    return 0;
}
