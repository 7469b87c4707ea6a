#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pixmoth {

// A program to start and its arguments.
struct ProgramCall {
    std::string program;
    std::vector<std::string> arguments;
    friend bool operator==(const ProgramCall&, const ProgramCall&) = default;
};

// What a program that was run to its end left behind.
struct ProgramResult {
    bool started = false; // false: not found, or it could not be executed
    int exitStatus = -1;  // its exit code; -1 when it was not started or was killed
    std::string output;   // its standard output
    std::string errors;   // its standard error
};

// The program's one door to its environment: environment variables, programs on
// the search path and the programs it starts (the paint program, xdg-open,
// xdg-email, the desktop's settings tools). Tests install their own to see what
// would be run without a desktop.
class Environment {
public:
    virtual ~Environment() = default;

    // Unset variables give nullopt; set but empty ones give "".
    virtual std::optional<std::string> Variable(const std::string& name) const = 0;
    // Full path of an executable found on PATH, or "" when there is none.
    virtual std::string FindProgram(const std::string& name) const = 0;
    // Starts `program` with `arguments` without waiting for it; false when it
    // could not be started.
    virtual bool StartDetached(const std::string& program,
                               const std::vector<std::string>& arguments) = 0;
    // Starts `program` without waiting for it and calls `finished` with its exit
    // code once it has ended; -1 when it could not be started or was killed.
    // `finished` may run on another thread.
    virtual void StartWatched(const std::string& program, const std::vector<std::string>& arguments,
                              std::function<void(int exitStatus)> finished) = 0;
    // Runs `program` to its end and collects what it wrote. Meant for short
    // tools: one still running after kRunLimitSeconds is killed.
    virtual ProgramResult Run(const std::string& program,
                              const std::vector<std::string>& arguments) = 0;

    static constexpr int kRunLimitSeconds = 30;
};

// The real one: the process environment, PATH, and programs started in their
// own session so they outlive the program and leave no zombie behind.
class SystemEnvironment : public Environment {
public:
    std::optional<std::string> Variable(const std::string& name) const override;
    std::string FindProgram(const std::string& name) const override;
    bool StartDetached(const std::string& program,
                       const std::vector<std::string>& arguments) override;
    void StartWatched(const std::string& program, const std::vector<std::string>& arguments,
                      std::function<void(int exitStatus)> finished) override;
    ProgramResult Run(const std::string& program,
                      const std::vector<std::string>& arguments) override;
};

// The environment in use: a SystemEnvironment unless a test installed another.
Environment& CurrentEnvironment();
// Not owned; nullptr puts the SystemEnvironment back.
void InstallEnvironment(Environment* environment);

} // namespace pixmoth
