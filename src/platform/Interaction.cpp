#include "platform/Interaction.h"

#include "platform/DialogInteraction.h"

namespace pixmoth {

namespace {

Interaction* gInteraction = nullptr;

} // namespace

Interaction& CurrentInteraction() {
    static DialogInteraction dialogs;
    return gInteraction != nullptr ? *gInteraction : dialogs;
}

void InstallInteraction(Interaction* interaction) {
    gInteraction = interaction;
}

void ShowErrorMessage(const QString& text) {
    CurrentInteraction().Tell(Interaction::Kind::Error, text);
}

} // namespace pixmoth
