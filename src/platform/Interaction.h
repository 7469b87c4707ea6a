#pragma once

#include <optional>

#include <QString>

class QPrinter;

namespace pixmoth {

// Every message box, file dialog and printer dialog of the program goes through here, so the
// widget tests can answer them. Texts are the program's own, passed exactly
// (line breaks as "\r\n" where the program writes them so).
class Interaction {
public:
    enum class Kind { Information, Warning, Error, Confirmation };

    struct SaveChoice {
        QString fileName;
        int filterIndex = 1; // 1-based, as the filter list is given
    };

    // A file dialog as the program sets it up.
    struct FileDialog {
        QString title;  // empty: the toolkit's own ("Open", "Save As")
        QString filter; // Qt's form: "Name (*.a *.b);;Other (*.c)"
        int filterIndex = 1;
        QString directory;
        QString defaultSuffix;            // added to a name typed without an extension
        bool suffixFollowsFilter = false; // save: that suffix is the chosen filter's first one
        bool mustExist = true;            // open: only an existing file can be chosen
        bool confirmOverwrite = true;     // save: asks before replacing a file
    };

    virtual ~Interaction() = default;

    // A box with Yes and No; true for Yes.
    virtual bool Ask(Kind kind, const QString& text) = 0;
    // A box with an OK button.
    virtual void Tell(Kind kind, const QString& text) = 0;
    // Empty when cancelled.
    virtual QString OpenFileName(const FileDialog& dialog) = 0;
    // nullopt when cancelled.
    virtual std::optional<SaveChoice> SaveFileName(const FileDialog& dialog) = 0;
    // The printer setup dialog on `printer`: the printer and settings chosen
    // there go into it. False when cancelled.
    virtual bool PrinterSetup(QPrinter& printer) = 0;
};

// The interaction in use: message boxes and file dialogs unless a test
// installed another.
Interaction& CurrentInteraction();
// Not owned; nullptr puts the dialogs back.
void InstallInteraction(Interaction* interaction);

// Tell from the event loop: for news that arrives on another thread.
void TellLater(Interaction::Kind kind, const QString& text);

// The program's error report: one error box with the text, after which the
// program goes on.
void ShowErrorMessage(const QString& text);

} // namespace pixmoth
