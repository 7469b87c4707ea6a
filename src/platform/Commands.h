#pragma once

#include <QAction>

namespace pixmoth {

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
