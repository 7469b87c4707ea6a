#include "platform/Shortcuts.h"

#include <QAction>

namespace pixmoth {

namespace {

struct ShortcutEntry {
    const char* handler;
    QKeySequence::StandardKey standard;
    // Where the desktop in use has no binding for `standard` (a session
    // without GNOME or KDE has no Save As or Quit key).
    const char* fallback;
    // Kept in addition to the desktop's keys.
    const char* extra;
};

const ShortcutEntry kShortcuts[] = {
    {"Open1Click", QKeySequence::Open, nullptr, nullptr},
    // The program has no plain Save; Ctrl+S asks where to save as well.
    {"SaveAs1Click", QKeySequence::SaveAs, "Ctrl+Shift+S", "Ctrl+S"},
    {"Close1Click", QKeySequence::Close, nullptr, nullptr},
    {"Exit1Click", QKeySequence::Quit, "Ctrl+Q", nullptr},
    {"actUndo", QKeySequence::Undo, nullptr, nullptr},
    {"actRedo", QKeySequence::Redo, nullptr, nullptr},
    {"actSelectAll", QKeySequence::SelectAll, nullptr, nullptr},
    {"actCopyToClipboard", QKeySequence::Copy, nullptr, nullptr},
    {"PasteAction", QKeySequence::Paste, nullptr, "Ctrl+X"},
    {"Print1Click", QKeySequence::Print, nullptr, nullptr},
    // The zoom buttons "+", "-" and "0" answer their own keys too.
    {"ToolButton1", QKeySequence::ZoomIn, nullptr, "+"},
    {"ToolButton2", QKeySequence::ZoomOut, nullptr, "-"},
    {"ToolButton3", QKeySequence::UnknownKey, "Ctrl+0", "0"},
    {"Help2Click", QKeySequence::HelpContents, nullptr, nullptr},
};

} // namespace

QList<QKeySequence> StandardShortcuts(const QString& handler) {
    for (const ShortcutEntry& entry : kShortcuts) {
        if (handler != QLatin1String(entry.handler)) {
            continue;
        }
        QList<QKeySequence> keys = QKeySequence::keyBindings(entry.standard);
        if (keys.isEmpty() && entry.fallback != nullptr) {
            keys << QKeySequence(QString::fromLatin1(entry.fallback), QKeySequence::PortableText);
        }
        if (entry.extra != nullptr) {
            keys << QKeySequence(QString::fromLatin1(entry.extra), QKeySequence::PortableText);
        }
        return keys;
    }
    return {};
}

void SetStandardShortcuts(QObject* owner, bool enabled) {
    for (QAction* action : owner->findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) {
        action->setShortcuts(enabled ? StandardShortcuts(action->objectName())
                                     : QList<QKeySequence>());
    }
}

} // namespace pixmoth
