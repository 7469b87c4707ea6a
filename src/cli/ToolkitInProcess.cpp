#include "cli/Commands.h"

namespace pixmoth::cli {

// This program has the toolkit's commands itself, or no program has them.
void HandOverToToolkit(const std::vector<std::string>&) {}

} // namespace pixmoth::cli
