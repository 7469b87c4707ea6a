#include "platform/Environment.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pixmoth {

namespace {

Environment* gEnvironment = nullptr;

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// The program and its arguments as execvp takes them; the strings stay in
// `text`.
std::vector<char*> Argv(std::vector<std::string>& text) {
    std::vector<char*> argv;
    for (std::string& a : text) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    return argv;
}

// Runs in a forked child: executes the program, or reports errno through the
// close-on-exec pipe `report` and exits. Only async-signal-safe calls: the
// parent may have threads.
[[noreturn]] void Exec(char* const* argv, int report) {
    ::execvp(argv[0], argv);
    const int error = errno;
    [[maybe_unused]] const ssize_t n = ::write(report, &error, sizeof error);
    ::_exit(127);
}

// Waits until the child has executed its program (end of file on the pipe) or
// failed to (errno on the pipe); true for the first.
bool Executed(int report) {
    int error = 0;
    ssize_t n;
    do {
        n = ::read(report, &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    ::close(report);
    return n == 0;
}

int WaitFor(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

} // namespace

std::optional<std::string> SystemEnvironment::Variable(const std::string& name) const {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

std::string SystemEnvironment::FindProgram(const std::string& name) const {
    if (name.empty()) {
        return {};
    }
    if (name.find('/') != std::string::npos) {
        return IsExecutableFile(name) ? name : std::string();
    }
    const std::string path = Variable("PATH").value_or("/usr/local/bin:/usr/bin:/bin");
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find(':', start), path.size());
        // An empty PATH entry means the current directory.
        std::string directory = path.substr(start, end - start);
        const std::string candidate = (directory.empty() ? "." : directory) + "/" + name;
        if (IsExecutableFile(candidate)) {
            return candidate;
        }
        start = end + 1;
    }
    return {};
}

bool SystemEnvironment::StartDetached(const std::string& program,
                                      const std::vector<std::string>& arguments) {
    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), arguments.begin(), arguments.end());
    const std::vector<char*> argv = Argv(argvText);

    // The grandchild reports a failed exec through this pipe; a successful exec
    // closes it (close-on-exec) and the read sees end of file.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            Exec(argv.data(), report[1]);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    ::close(report[1]);
    const int status = WaitFor(child);
    const bool executed = Executed(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && executed;
}

void SystemEnvironment::StartWatched(const std::string& program,
                                     const std::vector<std::string>& arguments,
                                     std::function<void(bool succeeded)> finished) {
    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), arguments.begin(), arguments.end());
    const std::vector<char*> argv = Argv(argvText);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        finished(false);
        return;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        Exec(argv.data(), report[1]);
    }
    ::close(report[1]);
    if (child < 0) {
        ::close(report[0]);
        finished(false);
        return;
    }
    // The program may run as long as it likes (xdg-open waits for a browser it
    // starts itself); a thread of its own waits for it.
    std::thread([child, report = report[0], finished = std::move(finished)] {
        const bool executed = Executed(report);
        const int status = WaitFor(child);
        finished(executed && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }).detach();
}

Environment& CurrentEnvironment() {
    static SystemEnvironment system;
    return gEnvironment != nullptr ? *gEnvironment : system;
}

void InstallEnvironment(Environment* environment) {
    gEnvironment = environment;
}

} // namespace pixmoth
