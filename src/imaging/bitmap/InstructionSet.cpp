#include "imaging/bitmap/InstructionSet.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace pixmoth {

const char* InstructionSetName(InstructionSet set) {
    switch (set) {
    case InstructionSet::Plain:
        return "plain";
    case InstructionSet::Ssse3:
        return "SSSE3";
    case InstructionSet::Avx2:
        return "AVX2";
    case InstructionSet::Avx512:
        return "AVX-512";
    }
    return "?";
}

InstructionSet ProcessorInstructionSet() {
#if defined(__x86_64__)
    __builtin_cpu_init(); // may run before the library's own initialisation
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl")) {
        return InstructionSet::Avx512;
    }
    if (__builtin_cpu_supports("avx2")) {
        return InstructionSet::Avx2;
    }
    if (__builtin_cpu_supports("ssse3")) {
        return InstructionSet::Ssse3;
    }
#endif
    return InstructionSet::Plain;
}

std::optional<InstructionSet> ParseInstructionSet(const std::string& word) {
    std::string lower = word;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "plain") {
        return InstructionSet::Plain;
    }
    if (lower == "ssse3") {
        return InstructionSet::Ssse3;
    }
    if (lower == "avx2") {
        return InstructionSet::Avx2;
    }
    if (lower == "avx512" || lower == "avx-512") {
        return InstructionSet::Avx512;
    }
    return std::nullopt;
}

std::optional<InstructionSetRequest> RequestedInstructionSet() {
    // A benchmark switch, not a setting: read straight from the process
    // environment, so every program built on the picture code honours it.
    const char* value = std::getenv("PIXMOTH_ISA");
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    InstructionSetRequest request{value};
    if (const auto set = ParseInstructionSet(value)) {
        request.valid = true;
        request.set = *set;
    }
    return request;
}

InstructionSet ChosenInstructionSet() {
    static const InstructionSet chosen = [] {
        const InstructionSet processor = ProcessorInstructionSet();
        const auto request = RequestedInstructionSet();
        return request && request->valid ? std::min(processor, request->set) : processor;
    }();
    return chosen;
}

} // namespace pixmoth
