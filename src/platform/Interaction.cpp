#include "platform/Interaction.h"

#include <QCoreApplication>

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

void TellLater(Interaction::Kind kind, const QString& text) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [kind, text] { CurrentInteraction().Tell(kind, text); },
        Qt::QueuedConnection);
}

void ShowErrorMessage(const QString& text) {
    CurrentInteraction().Tell(Interaction::Kind::Error, text);
}

} // namespace pixmoth
