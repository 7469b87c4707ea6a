// Expanding a folder of many sub-folders in the directory tree, from the click
// to the expanded level painted: reading and sorting the folder, probing every
// sub-folder for an expand button, the new nodes and one paint. Against the
// disk work alone in the same run: reading the folder and opening each
// sub-folder up to its first entry, as the probes do.
//   bench_dirtree_expand [FOLDERS] [RUNS]      (defaults 5000 and 9)
// Half the sub-folders hold a folder of their own, so half the probes find one.
// Prints the medians in milliseconds and their ratio. Runs offscreen unless
// QT_QPA_PLATFORM says otherwise.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>

#include <dirent.h>

#include "BenchMedian.h"
#include "browse/TDirTree.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

using pixmoth::bench::Median;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// What the tree must read from disk: every entry of the folder, and the
// entries of each sub-folder until the first folder.
std::size_t DiskWork(const std::string& folder) {
    std::size_t seen = 0;
    DIR* dir = ::opendir(folder.c_str());
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        DIR* sub = ::opendir((folder + entry->d_name).c_str());
        while (const dirent* inner = ::readdir(sub)) {
            if (inner->d_type == DT_DIR && inner->d_name[0] != '.') {
                ++seen;
                break;
            }
        }
        ::closedir(sub);
        ++seen;
    }
    ::closedir(dir);
    return seen;
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    const int folders = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;

    char pattern[] = "/tmp/pixmoth-tree-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::fprintf(stderr, "cannot make a scratch folder\n");
        return 1;
    }
    const std::string root = pattern;
    const std::string big = root + "/big/";
    for (int i = 0; i < folders; ++i) {
        const std::string name = big + "Folder " + std::to_string(i * 7919 % folders);
        fs::create_directories(i % 2 == 0 ? name + "/inner" : name);
    }

    std::vector<double> expand;
    std::vector<double> disk;
    std::size_t nodes = 0;
    for (int run = 0; run < runs; ++run) {
        auto start = Clock::now();
        const std::size_t seen = DiskWork(big);
        disk.push_back(MillisecondsSince(start));

        pixmoth::TDirTree tree;
        tree.resize(300, 600);
        tree.SetInitialDirectory(QString::fromStdString(root + "/"));
        tree.Loaded();
        tree.show();
        QCoreApplication::processEvents();
        pixmoth::TDirTreeNode* node = tree.FindNodeByPath(QString::fromStdString(big));
        if (node == nullptr || seen == 0) {
            std::fprintf(stderr, "the folder is not in the tree\n");
            return 1;
        }
        start = Clock::now();
        node->setExpanded(true);
        tree.scrollToItem(node->ChildNode(node->childCount() / 2));
        tree.viewport()->repaint();
        expand.push_back(MillisecondsSince(start));
        nodes = static_cast<std::size_t>(node->childCount());
    }
    fs::remove_all(root);

    const double ours = Median(expand);
    const double baseline = Median(disk);
    std::printf("folders: %zu\nexpand: %.1f ms\ndisk work: %.1f ms\nratio: %.2f\n", nodes, ours,
                baseline, ours / baseline);
    return nodes == static_cast<std::size_t>(folders) ? 0 : 1;
}
