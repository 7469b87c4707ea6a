// The program's own speed, in process, on one picture:
//   open   OpenPicture until the new document window has painted its picture
//   decode the picture's decoding alone
//   COMMAND  a Tools command until the window has painted the result
//   op     the command's operation alone, on a copy
//   copy   one copy of the picture
// Each figure is the median of the runs, in milliseconds. The program's
// directory is $PIXMOTH_HOME (the script sets a scratch one).
//   bench_program PICTURE.jpg [RUNS] [HANDLER...]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <QAction>
#include <QElapsedTimer>
#include <QTest>

#include "BenchMedian.h"
#include "app/PixmothApplication.h"
#include "app/TForm1.h"
#include "document/ImageControl.h"
#include "document/TChild.h"
#include "document/ToolCommands.h"
#include "imaging/codecs/PictureFile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

using pixmoth::bench::Median;

// Notes the first paint of a document's picture.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && qobject_cast<pixmoth::ImageControl*>(watched)) {
            painted = true;
        }
        return false;
    }
    // Runs the event loop until the picture was painted.
    void Wait() {
        QElapsedTimer timeout;
        timeout.start();
        while (!painted && timeout.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        if (!painted) {
            std::fprintf(stderr, "the picture was never painted\n");
            std::exit(1);
        }
    }
};

double Time(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return Milliseconds(Clock::now() - start);
}

} // namespace

int main(int argc, char** argv) {
    pixmoth::PixmothApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_program PICTURE [RUNS] [HANDLER...]\n");
        return 1;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    std::vector<std::string> handlers;
    for (int i = 3; i < argc; ++i) {
        handlers.emplace_back(argv[i]);
    }
    if (handlers.empty()) {
        handlers = {"Rotate90R1Click", "FlipDown1Click"};
    }

    pixmoth::TForm1 form;
    form.FormCreate();
    form.setGeometry(0, 0, 1280, 1000);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    PaintWatch watch;
    app.installEventFilter(&watch);

    std::vector<double> open;
    std::vector<double> decode;
    std::vector<double> copy;
    std::vector<std::vector<double>> command(handlers.size());
    std::vector<std::vector<double>> operation(handlers.size());
    for (int run = 0; run < runs; ++run) {
        decode.push_back(Time([&] { pixmoth::LoadPicture(path.toStdString()); }));

        watch.painted = false;
        open.push_back(Time([&] {
            form.OpenPicture(path);
            watch.Wait();
        }));
        pixmoth::TChild* child = form.ActiveDocument();
        const pixmoth::Bitmap original = child->Picture();
        copy.push_back(Time([&] { pixmoth::Bitmap c(original); }));

        for (std::size_t h = 0; h < handlers.size(); ++h) {
            QAction* action = child->Command(QString::fromStdString(handlers[h]));
            const auto found = std::find_if(
                pixmoth::ToolCommands().begin(), pixmoth::ToolCommands().end(),
                [&](const pixmoth::ToolCommand& c) { return handlers[h] == c.handler; });
            if (action == nullptr || found == pixmoth::ToolCommands().end()) {
                std::fprintf(stderr, "no command %s\n", handlers[h].c_str());
                return 1;
            }
            watch.painted = false;
            command[h].push_back(Time([&] {
                action->trigger();
                watch.Wait();
            }));
            pixmoth::Bitmap work(original);
            pixmoth::Bitmap destination;
            operation[h].push_back(Time([&] {
                if (found->into != nullptr) {
                    found->into(work, destination);
                } else {
                    found->inPlace(work);
                }
            }));
        }
        delete child;
        QCoreApplication::processEvents();
    }

    std::printf("open %.1f\ndecode %.1f\ncopy %.2f\n", Median(open), Median(decode), Median(copy));
    for (std::size_t h = 0; h < handlers.size(); ++h) {
        std::printf("%s %.1f\nop:%s %.1f\n", handlers[h].c_str(), Median(command[h]),
                    handlers[h].c_str(), Median(operation[h]));
    }
    return 0;
}
