#include <iostream>
#include <string>

#include "cli/Commands.h"
#include "imaging/bitmap/InstructionSet.h"

namespace pixmoth::cli {

void IsaCommand(const CommandLine& line, Stopwatch&) {
    line.ExpectPositional(0, 0, "pixmoth-cli isa");
    std::string text = std::string("instruction set: ") +
                       InstructionSetName(ChosenInstructionSet()) +
                       " (processor: " + InstructionSetName(ProcessorInstructionSet());
    if (const auto request = RequestedInstructionSet()) {
        text += "; PIXMOTH_ISA=" + request->value;
        if (!request->valid) {
            text += " names none of plain, ssse3, avx2, avx512 and is ignored";
        }
    }
    std::cout << text << ")\n";
}

} // namespace pixmoth::cli
