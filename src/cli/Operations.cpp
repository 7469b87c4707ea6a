#include "cli/Operations.h"

namespace pixmoth::cli {

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
