#pragma once

#include <functional>
#include <string>
#include <vector>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/bitmap/PixelRows.h"

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
    // Whether the result is a second picture of about the input's size, so
    // that its memory can be made ready while the input loads.
    bool newPicture = false;
    // The same operation reading rows that are not a Bitmap (a mapped file),
    // for operations that only read their input; empty for the others.
    std::function<Bitmap(const PixelRows& input)> runOnRows;
};

// Entries for the usual shapes of image functions. In-place functions change
// the input and return it; the value is passed as given, sign included.
Operation InPlace(const std::string& name, void (*op)(Bitmap&));
Operation WithInteger(const std::string& name, void (*op)(Bitmap&, int));
Operation WithReal(const std::string& name, void (*op)(Bitmap&, double));
// Source-and-destination functions as the enhancement dialog calls them: the
// picture is the source and a copy of it the destination.
Operation SourceToCopy(const std::string& name, void (*op)(Bitmap&, Bitmap&, int));
// A turn writes a new picture from the input, which it also reads as rows.
Operation Turn(const std::string& name, void (*op)(Bitmap&, Bitmap&),
               void (*onRows)(const PixelRows&, Bitmap&));

// One list per subsystem, each in its own file.
std::vector<Operation> TransformOperations();
std::vector<Operation> ColourOperations();
std::vector<Operation> NeighbourhoodOperations();

// Every operation, in the order the lists above are given.
const std::vector<Operation>& AllOperations();
const Operation* FindOperation(const std::string& name);

} // namespace pixmoth::cli
