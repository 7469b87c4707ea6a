#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <QString>

#include "FakeEnvironment.h"
#include "TempDir.h"
#include "browse/TDirTree.h"

namespace pixmoth::test {

namespace fs = std::filesystem;

// A scratch folder open to others (the tests may run as nobody), with HOME and
// XDG_DATA_HOME inside it, and the folder `list` holding b, A, C, a hidden
// folder and a file.
class Sandbox {
public:
    Sandbox() {
        fs::permissions(mRoot.Path(),
                        fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
        for (const char* folder :
             {"home", "data", "list/b", "list/A/deeper", "list/C/sub", "list/.hidden"}) {
            fs::create_directories(mRoot / folder);
        }
        WriteTextFile(mRoot / "list/file.jpg", "x");
        environment.variables = {{"HOME", mRoot / "home"}, {"XDG_DATA_HOME", mRoot / "data"}};
        InstallEnvironment(&environment);
    }
    ~Sandbox() { InstallEnvironment(nullptr); }

    QString Path(const char* name = "") const { return QString::fromStdString(mRoot / name); }
    std::string Native(const char* name = "") const { return mRoot / name; }

    // A tree with the drives read; `configure` sets properties before loading.
    // Shares are read from shares/ in the sandbox.
    std::unique_ptr<TDirTree> Tree(const std::function<void(TDirTree&)>& configure = {}) {
        auto tree = std::make_unique<TDirTree>(nullptr, drives,
                                               ShareSources{Native("shares/usershares"),
                                                            Native("shares/exports"),
                                                            Native("shares/exports.d")});
        if (configure) {
            configure(*tree);
        }
        tree->Loaded();
        return tree;
    }

    FakeEnvironment environment;
    DriveSources drives;

private:
    TempDir mRoot;
};

} // namespace pixmoth::test
