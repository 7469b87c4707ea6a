#pragma once

#include <optional>
#include <string>

// Which x86 instruction sets the picture code may use. Every operation with
// vector paths gives the same bytes on each of them; what differs is speed.
namespace pixmoth {

// Each set includes the ones before it.
enum class InstructionSet { Plain, Ssse3, Avx2, Avx512 };

const char* InstructionSetName(InstructionSet set);

// The widest set this processor runs (AVX-512 meaning F, BW, DQ and VL).
InstructionSet ProcessorInstructionSet();

// The widest set the operations choose by themselves: the processor's,
// lowered by the environment variable PIXMOTH_ISA when it names a narrower one
// ("plain", "ssse3", "avx2" or "avx512", any case), so that the paths other
// machines take can be measured on this one. Read once, on first use.
InstructionSet ChosenInstructionSet();

// What PIXMOTH_ISA asks for: nullopt when it is unset or empty; `valid` is
// false (and the variable has no effect) when it names none of the sets.
struct InstructionSetRequest {
    std::string value;
    bool valid = false;
    InstructionSet set = InstructionSet::Plain;
};
std::optional<InstructionSetRequest> RequestedInstructionSet();

// The word of PIXMOTH_ISA, nullopt for anything else. For the tests.
std::optional<InstructionSet> ParseInstructionSet(const std::string& word);

} // namespace pixmoth
