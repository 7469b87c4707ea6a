#include "imaging/effects/ColourKernels.h"

#include "imaging/bitmap/InstructionSet.h"

namespace pixmoth::colour {

const Kernels& FastestKernels() {
    static const Kernels& kernels = []() -> const Kernels& {
        const InstructionSet allowed = ChosenInstructionSet();
        if (const Kernels* k = Avx512Kernels(); k && allowed >= InstructionSet::Avx512) {
            return *k;
        }
        if (const Kernels* k = Avx2Kernels(); k && allowed >= InstructionSet::Avx2) {
            return *k;
        }
        return PlainKernels();
    }();
    return kernels;
}

} // namespace pixmoth::colour
