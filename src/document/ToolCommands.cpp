#include "document/ToolCommands.h"

#include "imaging/effects/ColourEffects.h"
#include "imaging/effects/EdgeEffects.h"
#include "imaging/effects/Transforms.h"

namespace pixmoth {

const std::vector<ToolCommand>& ToolCommands() {
    static const std::vector<ToolCommand> commands = {
        {"Rotate 90\u00b0 (R)", "Rotate90R1Click", nullptr, RotateRight},
        {"Rotate 90\u00b0 (L)", "Rotate90L1Click", nullptr, RotateLeft},
        {"Flip Right", "FlipRight1Click", FlipRight},
        {"Flip Down", "FlipDown1Click", FlipDown},
        {"Mirror horizontal", "Mirror1Click", MirrorHorizontal},
        {"Mirror vertical", "Mirrorvertical1Click", MirrorVertical},
        {"Emboss", "Emboss1Click", Emboss},
        {"Shadow", "Shadow1Click", Shadow},
        {"Grey scale", "Greyscale1Click", GreyScale},
        {"Anti alias", "Antialias1Click", AntiAlias},
        {"Invert", "Invert1Click", Invert},
    };
    return commands;
}

} // namespace pixmoth
