#include "chrome/BinaryClock.h"

namespace pixmoth {

std::vector<bool> BinaryLamps(int value, std::span<const int> weights) {
    std::vector<bool> lit;
    lit.reserve(weights.size());
    for (const int weight : weights) {
        lit.push_back(weight <= value);
        if (weight <= value) {
            value -= weight;
        }
    }
    return lit;
}

} // namespace pixmoth
