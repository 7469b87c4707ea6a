#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

class QObject;

namespace pixmoth {

// The desktop's standard keys for the program's commands, found by their
// handler names; the first is the one a menu shows. Empty for a command
// without keys. Plain keys appear only where a window takes no typed text.
QList<QKeySequence> StandardShortcuts(const QString& handler);

// Gives the commands owned by `owner` (its direct child actions) their keys, or
// takes them away. A window whose commands share keys with another's takes
// them while it is the one the user works in, so no key is ever claimed twice.
void SetStandardShortcuts(QObject* owner, bool enabled);

} // namespace pixmoth
