#include "document/ToolCommands.h"

#include "imaging/Transforms.h"

namespace pixmoth {

const std::vector<ToolCommand>& ToolCommands() {
    static const std::vector<ToolCommand> commands = {
        {"Rotate 90\u00b0 (R)", "Rotate90R1Click", nullptr, RotateRight},
        {"Rotate 90\u00b0 (L)", "Rotate90L1Click", nullptr, RotateLeft},
        {"Flip Right", "FlipRight1Click", FlipRight},
        {"Flip Down", "FlipDown1Click", FlipDown},
        {"Mirror horizontal", "Mirror1Click", MirrorHorizontal},
        {"Mirror vertical", "Mirrorvertical1Click", MirrorVertical},
    };
    return commands;
}

} // namespace pixmoth
