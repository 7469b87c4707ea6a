#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Environment.h"

namespace pixmoth::test {

// An environment with chosen variables and programs that records what the
// program would start instead of starting it.
class FakeEnvironment : public Environment {
public:
    struct Start {
        std::string program;
        std::vector<std::string> arguments;
    };

    std::map<std::string, std::string> variables;
    // Names found on PATH, each at "/fake/bin/" + name.
    std::set<std::string> programs;
    std::vector<Start> started;
    // Whether started programs start (StartDetached) and end well (StartWatched,
    // Run), unless `results` answers for them.
    bool programsSucceed = true;
    // What a program that is run or watched leaves behind, by its call.
    std::function<ProgramResult(const Start&)> results;

    std::optional<std::string> Variable(const std::string& name) const override {
        const auto found = variables.find(name);
        if (found == variables.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    std::string FindProgram(const std::string& name) const override {
        return programs.count(name) != 0 ? "/fake/bin/" + name : std::string();
    }
    bool StartDetached(const std::string& program,
                       const std::vector<std::string>& arguments) override {
        started.push_back({program, arguments});
        return programsSucceed;
    }
    void StartWatched(const std::string& program, const std::vector<std::string>& arguments,
                      std::function<void(int exitStatus)> finished) override {
        finished(Run(program, arguments).exitStatus);
    }
    ProgramResult Run(const std::string& program,
                      const std::vector<std::string>& arguments) override {
        started.push_back({program, arguments});
        if (results) {
            return results(started.back());
        }
        ProgramResult result;
        result.started = programsSucceed;
        result.exitStatus = programsSucceed ? 0 : 1;
        return result;
    }
};

} // namespace pixmoth::test
