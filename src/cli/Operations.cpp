#include "cli/Operations.h"

namespace pixmoth::cli {

Operation InPlace(const std::string& name, void (*op)(Bitmap&)) {
    return {name, Operation::Value::None, [op](Bitmap& input, double) {
                op(input);
                return std::move(input);
            }};
}

Operation WithInteger(const std::string& name, void (*op)(Bitmap&, int)) {
    return {name, Operation::Value::Integer, [op](Bitmap& input, double value) {
                op(input, static_cast<int>(value));
                return std::move(input);
            }};
}

Operation WithReal(const std::string& name, void (*op)(Bitmap&, double)) {
    return {name, Operation::Value::Real, [op](Bitmap& input, double value) {
                op(input, value);
                return std::move(input);
            }};
}

Operation SourceToCopy(const std::string& name, void (*op)(Bitmap&, Bitmap&, int)) {
    return {name, Operation::Value::Integer,
            [op](Bitmap& input, double value) {
                Bitmap destination = input;
                op(input, destination, static_cast<int>(value));
                return destination;
            },
            true};
}

Operation Turn(const std::string& name, void (*op)(Bitmap&, Bitmap&),
               void (*onRows)(const PixelRows&, Bitmap&)) {
    return {name, Operation::Value::None,
            [op](Bitmap& input, double) {
                Bitmap output;
                op(input, output);
                return output;
            },
            true,
            [onRows](const PixelRows& input) {
                Bitmap output;
                onRows(input, output);
                return output;
            }};
}

const std::vector<Operation>& AllOperations() {
    static const std::vector<Operation> all = [] {
        std::vector<Operation> list;
        for (auto part : {TransformOperations, ColourOperations, NeighbourhoodOperations}) {
            for (Operation& op : part()) {
                list.push_back(std::move(op));
            }
        }
        return list;
    }();
    return all;
}

const Operation* FindOperation(const std::string& name) {
    for (const Operation& op : AllOperations()) {
        if (op.name == name) {
            return &op;
        }
    }
    return nullptr;
}

} // namespace pixmoth::cli
