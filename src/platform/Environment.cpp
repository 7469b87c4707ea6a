#include "platform/Environment.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
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

// A pipe whose ends close with it; both ends are close-on-exec.
struct Pipe {
    int read = -1;
    int write = -1;
    Pipe() = default;
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    ~Pipe() {
        CloseWrite();
        if (read >= 0) {
            ::close(read);
        }
    }
    bool Open() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            return false;
        }
        read = ends[0];
        write = ends[1];
        return true;
    }
    void CloseWrite() {
        if (write >= 0) {
            ::close(write);
            write = -1;
        }
    }
};

// Appends what `descriptor` holds now without waiting for more; false once the
// writing end is closed and everything was read.
bool ReadAvailable(int descriptor, std::string& text) {
    char buffer[4096];
    for (;;) {
        pollfd ready{descriptor, POLLIN, 0};
        if (::poll(&ready, 1, 0) <= 0 || (ready.revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
            return true;
        }
        const ssize_t n = ::read(descriptor, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
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
                                     std::function<void(int exitStatus)> finished) {
    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), arguments.begin(), arguments.end());
    const std::vector<char*> argv = Argv(argvText);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        finished(-1);
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
        finished(-1);
        return;
    }
    // The program may run as long as it likes (xdg-open waits for a browser it
    // starts itself); a thread of its own waits for it.
    std::thread([child, report = report[0], finished = std::move(finished)] {
        const bool executed = Executed(report);
        const int status = WaitFor(child);
        finished(executed && WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }).detach();
}

ProgramResult SystemEnvironment::Run(const std::string& program,
                                     const std::vector<std::string>& arguments) {
    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), arguments.begin(), arguments.end());
    const std::vector<char*> argv = Argv(argvText);
    ProgramResult result;
    Pipe report;
    Pipe output;
    Pipe errors;
    const int input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (!report.Open() || !output.Open() || !errors.Open() || input < 0) {
        if (input >= 0) {
            ::close(input);
        }
        result.errors = std::strerror(errno);
        return result;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(input, STDIN_FILENO);
        ::dup2(output.write, STDOUT_FILENO);
        ::dup2(errors.write, STDERR_FILENO);
        Exec(argv.data(), report.write);
    }
    ::close(input);
    report.CloseWrite();
    output.CloseWrite();
    errors.CloseWrite();
    if (child < 0) {
        result.errors = std::strerror(errno);
        return result;
    }
    result.started = Executed(report.read);
    report.read = -1;

    // Both pipes are read while the program runs, so neither fills up and
    // blocks it. Reading ends when the program has ended, not at the pipes'
    // end: a helper it leaves running may hold them open.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kRunLimitSeconds);
    int status = 0;
    bool ended = false;
    bool killed = false;
    bool outputOpen = true;
    bool errorsOpen = true;
    while (!ended) {
        // A negative descriptor is left out of the poll.
        pollfd watched[2] = {{outputOpen ? output.read : -1, POLLIN, 0},
                             {errorsOpen ? errors.read : -1, POLLIN, 0}};
        ::poll(watched, 2, 20);
        outputOpen = outputOpen && ReadAvailable(output.read, result.output);
        errorsOpen = errorsOpen && ReadAvailable(errors.read, result.errors);
        ended = ::waitpid(child, &status, WNOHANG) == child;
        if (!ended && std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            status = WaitFor(child);
            ended = killed = true;
        }
    }
    if (outputOpen) {
        ReadAvailable(output.read, result.output);
    }
    if (errorsOpen) {
        ReadAvailable(errors.read, result.errors);
    }
    if (killed) {
        result.errors += "it did not finish within " + std::to_string(kRunLimitSeconds) +
                         " seconds and was stopped";
    }
    result.exitStatus = result.started && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

Environment& CurrentEnvironment() {
    static SystemEnvironment system;
    return gEnvironment != nullptr ? *gEnvironment : system;
}

void InstallEnvironment(Environment* environment) {
    gEnvironment = environment;
}

} // namespace pixmoth
