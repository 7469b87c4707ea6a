#include "imaging/effects/ColourKernels.h"

namespace pixmoth::colour {

const Kernels& FastestKernels() {
    static const Kernels& kernels = []() -> const Kernels& {
        if (const Kernels* k = Avx512Kernels()) {
            return *k;
        }
        if (const Kernels* k = Avx2Kernels()) {
            return *k;
        }
        return PlainKernels();
    }();
    return kernels;
}

} // namespace pixmoth::colour
