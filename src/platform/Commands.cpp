#include "platform/Commands.h"

#include <QMenu>

namespace pixmoth {

QAction* NewCommand(QObject* owner, QMenu* menu, const QString& caption, const QString& handler,
                    const QString& hint) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(handler);
    action->setStatusTip(hint);
    if (menu != nullptr) {
        menu->addAction(action);
    }
    return action;
}

} // namespace pixmoth
