#pragma once

#include <QAction>
#include <QString>

class QMenu;

namespace pixmoth {

// A command of `owner`, which owns it and finds it by its handler name (the
// object name), with its status-bar hint; added to `menu` when one is given.
QAction* NewCommand(QObject* owner, QMenu* menu, const QString& caption, const QString& handler,
                    const QString& hint = QString());

// Commands run from the event queue, not inside the menu, tool button or
// shortcut that triggered them: an error a command throws then travels only
// through QObject::event back to the application's error report, never through
// the widgets' own code, which is not written for exceptions. It also lets the
// menu close before a long command starts.
template <typename Receiver, typename Slot>
void ConnectCommand(QAction* action, Receiver* receiver, Slot slot) {
    QObject::connect(action, &QAction::triggered, receiver, slot, Qt::QueuedConnection);
}

} // namespace pixmoth
