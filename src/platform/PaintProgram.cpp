#include "platform/PaintProgram.h"

namespace pixmoth {

const std::vector<std::string>& PaintProgramNames() {
    static const std::vector<std::string> names = {"kolourpaint", "pinta", "mtpaint",
                                                   "drawing",     "gimp",  "krita"};
    return names;
}

ProgramCall PaintProgramCall(const Environment& environment, const std::string& file) {
    for (const std::string& name : PaintProgramNames()) {
        std::string program = environment.FindProgram(name);
        if (!program.empty()) {
            if (file.empty()) {
                return {program, {}};
            }
            return {program, {file}};
        }
    }
    if (file.empty()) {
        return {};
    }
    return DesktopOpenCall(file);
}

ProgramCall DesktopOpenCall(const std::string& file) {
    return {"xdg-open", {file}};
}

} // namespace pixmoth
