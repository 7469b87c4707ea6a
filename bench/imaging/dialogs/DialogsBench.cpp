// The two dialogs' speed, in process, on one picture, each figure the median
// of the runs in milliseconds:
//   preview:ENTRY  Preview until the dialog's preview has painted the result
//   op:ENTRY       the entry's function alone, on copies made beforehand
//   resample       OK (Lanczos3, 20 %) until the dialog has closed with the result
//   op:resample    ResampleBitmap alone, to the same size
//   copy           one copy of the picture
// Entries: Darken 1, GaussianBlur 1, Contrast 5.
//   bench_dialogs PICTURE [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>

#include "BenchMedian.h"
#include "imaging/codecs/PictureFile.h"
#include "imaging/dialogs/PictureView.h"
#include "imaging/dialogs/SpinEdit.h"
#include "imaging/dialogs/TFResample.h"
#include "imaging/dialogs/TPicEnhanceForm.h"
#include "imaging/effects/EnhancementTable.h"
#include "imaging/resample/Resample.h"

namespace {

using Clock = std::chrono::steady_clock;

double Time(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

using pixmoth::bench::Median;

// Notes paints of a preview control.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && qobject_cast<pixmoth::PictureView*>(watched)) {
            painted = true;
        }
        return false;
    }
};

// Runs the event loop until `done` holds.
void Until(const std::function<bool()>& done) {
    QElapsedTimer timeout;
    timeout.start();
    while (!done()) {
        if (timeout.elapsed() > 60000) {
            std::fprintf(stderr, "timed out\n");
            std::exit(1);
        }
        // Sleeps until something happens: a busy loop would take a core from the work.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_dialogs PICTURE [RUNS]\n");
        return 1;
    }
    const pixmoth::Bitmap picture = pixmoth::LoadPicture(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    PaintWatch watch;
    app.installEventFilter(&watch);

    const struct {
        const char* name;
        int index;
        int factor;
    } entries[] = {{"Darken", 12, 1}, {"GaussianBlur", 18, 1}, {"Contrast", 21, 5}};
    std::vector<std::vector<double>> preview(std::size(entries));
    std::vector<std::vector<double>> operation(std::size(entries));
    std::vector<double> resample;
    std::vector<double> resampleAlone;
    std::vector<double> copy;
    const int width = picture.Width() / 5;
    const int height = picture.Height() / 5;
    const pixmoth::FilterEntry& lanczos = pixmoth::FilterTable[5];

    for (int run = 0; run < runs; ++run) {
        copy.push_back(Time([&] { pixmoth::Bitmap c(picture); }));
        {
            pixmoth::TPicEnhanceForm dialog;
            dialog.SetPicture(picture);
            dialog.show();
            Until([&] { return dialog.isVisible(); });
            for (std::size_t e = 0; e < std::size(entries); ++e) {
                dialog.ImgFuncCbo()->setCurrentIndex(entries[e].index);
                dialog.SpinEdit1()->SetValue(entries[e].factor);
                QCoreApplication::processEvents();
                watch.painted = false;
                preview[e].push_back(Time([&] {
                    dialog.SpeedButton2Click();
                    Until([&] { return !dialog.Busy() && watch.painted; });
                }));
                pixmoth::Bitmap source(picture);
                pixmoth::Bitmap work(picture);
                operation[e].push_back(Time([&] {
                    pixmoth::RunEnhancement(entries[e].index, entries[e].factor, source, work);
                }));
            }
        }
        {
            pixmoth::TFResample dialog;
            dialog.SetBmpImage(picture);
            dialog.show();
            Until([&] { return dialog.isVisible(); });
            dialog.FilterCombo()->setCurrentIndex(5);
            dialog.SpinEdit1()->SetValue(20);
            QCoreApplication::processEvents();
            resample.push_back(Time([&] {
                dialog.SpeedButton1Click();
                Until([&] { return dialog.result() == pixmoth::TFResample::mrOk; });
            }));
            if (dialog.BmpImage().Width() != width || dialog.BmpImage().Height() != height) {
                std::fprintf(stderr, "resampled to the wrong size\n");
                return 1;
            }
            pixmoth::Bitmap source(picture);
            pixmoth::Bitmap destination(width, height);
            resampleAlone.push_back(Time([&] {
                pixmoth::ResampleBitmap(source, destination, lanczos.kernel, lanczos.support);
            }));
        }
    }
    std::printf("copy %.2f\n", Median(copy));
    for (std::size_t e = 0; e < std::size(entries); ++e) {
        std::printf("preview:%s %.1f\nop:%s %.1f\n", entries[e].name, Median(preview[e]),
                    entries[e].name, Median(operation[e]));
    }
    std::printf("resample %.1f\nop:resample %.1f\n", Median(resample), Median(resampleAlone));
    return 0;
}
