#pragma once

#include "platform/Interaction.h"

namespace pixmoth {

// The real interaction: QMessageBox, QFileDialog and QPrintDialog over the
// active window.
class DialogInteraction : public Interaction {
public:
    bool Ask(Kind kind, const QString& text) override;
    void Tell(Kind kind, const QString& text) override;
    QString OpenFileName(const FileDialog& dialog) override;
    std::optional<SaveChoice> SaveFileName(const FileDialog& dialog) override;
    bool PrinterSetup(QPrinter& printer) override;
};

} // namespace pixmoth
