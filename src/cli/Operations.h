#pragma once

#include <functional>
#include <string>
#include <vector>

#include "imaging/Bitmap.h"

// The picture operations `pixmoth-cli apply` can run, by function name.
namespace pixmoth::cli {

struct Operation {
    enum class Value { None, Integer, Real };

    std::string name;
    Value value = Value::None;
    // Runs the operation on `input` (which it may change, as the program's own
    // callers pass a private copy) and returns the result. `value` is the
    // VALUE argument, already checked to be whole for Integer operations.
    std::function<Bitmap(Bitmap& input, double value)> run;
};

// One list per subsystem, each in its own file.
std::vector<Operation> TransformOperations();
std::vector<Operation> ColourOperations();
std::vector<Operation> NeighbourhoodOperations();

// Every operation, in the order the lists above are given.
const std::vector<Operation>& AllOperations();
const Operation* FindOperation(const std::string& name);

} // namespace pixmoth::cli
