#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include <QAction>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>

#include "FakeEnvironment.h"
#include "app/PixmothApplication.h"
#include "app/TForm1.h"
#include "document/TChild.h"
#include "imaging/bitmap/Bitmap.h"
#include "imaging/codecs/BmpCodec.h"
#include "platform/Interaction.h"

// Support for the widget tests: an interaction that answers from a script and
// records every box and dialog, a scratch program directory, and helpers that
// drive real widgets the way the event loop does.
namespace pixmoth::test {

class ScriptedInteraction : public Interaction {
public:
    struct Shown {
        QString what; // "ask", "tell", "open", "save" or "printer"
        Kind kind = Kind::Information;
        QString text; // the message, or the dialog's filter
        int filterIndex = 0;
        QString directory;
        FileDialog dialog; // for "open" and "save"
    };

    QList<Shown> shown;
    // What the printer setup dialog does to the printer when it is shown; it
    // is cancelled without one.
    std::function<bool(QPrinter&)> printerSetup;
    // Answers in order; unscripted questions are answered No and dialogs cancelled.
    std::deque<bool> answers;
    std::deque<QString> openAnswers;
    std::deque<std::optional<SaveChoice>> saveAnswers;

    bool Ask(Kind kind, const QString& text) override {
        shown.append({QStringLiteral("ask"), kind, text});
        return Next(answers, false);
    }
    void Tell(Kind kind, const QString& text) override {
        shown.append({QStringLiteral("tell"), kind, text});
    }
    QString OpenFileName(const FileDialog& dialog) override {
        shown.append({QStringLiteral("open"), Kind::Information, dialog.filter, 0, dialog.directory,
                      dialog});
        return Next(openAnswers, QString());
    }
    std::optional<SaveChoice> SaveFileName(const FileDialog& dialog) override {
        shown.append({QStringLiteral("save"), Kind::Information, dialog.filter, dialog.filterIndex,
                      dialog.directory, dialog});
        return Next(saveAnswers, std::optional<SaveChoice>());
    }

    bool PrinterSetup(QPrinter& printer) override {
        shown.append({QStringLiteral("printer"), Kind::Information, QString()});
        return printerSetup ? printerSetup(printer) : false;
    }

    QStringList Texts(const QString& what) const {
        QStringList texts;
        for (const Shown& s : shown) {
            if (s.what == what) {
                texts << s.text;
            }
        }
        return texts;
    }

private:
    template <typename T>
    static T Next(std::deque<T>& queue, T otherwise) {
        if (queue.empty()) {
            return otherwise;
        }
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

// A program directory and home directory of their own for each test, with the
// scripted interaction and a fake environment installed.
class ProgramSandbox {
public:
    ProgramSandbox() {
        QDir(mRoot.path()).mkpath(QStringLiteral("home"));
        QDir(mRoot.path()).mkpath(QStringLiteral("program"));
        environment.variables = {{"PIXMOTH_HOME", (mRoot.path() + "/program").toStdString()},
                                 {"HOME", (mRoot.path() + "/home").toStdString()}};
        InstallEnvironment(&environment);
        InstallInteraction(&interaction);
    }
    ~ProgramSandbox() {
        InstallInteraction(nullptr);
        InstallEnvironment(nullptr);
    }
    ProgramSandbox(const ProgramSandbox&) = delete;
    ProgramSandbox& operator=(const ProgramSandbox&) = delete;

    QString Root() const { return mRoot.path() + "/"; }
    QString ProgramDir() const { return Root() + "program/"; }
    QString Home() const { return Root() + "home/"; }
    QString IniFile() const { return ProgramDir() + "Pixmoth.ini"; }
    // A BMP file of the picture in the sandbox; its path.
    QString WritePicture(const QString& name, const Bitmap& bitmap) const {
        const QString path = Root() + name;
        SaveBmp(bitmap, path.toStdString());
        return path;
    }

    FakeEnvironment environment;
    ScriptedInteraction interaction;

private:
    QTemporaryDir mRoot;
};

// A started main window, shown large enough for several document windows;
// null when it was not shown.
inline std::unique_ptr<TForm1> ShowMainWindow() {
    auto form = std::make_unique<TForm1>();
    form->FormCreate();
    form->resize(1400, 1000);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) {
        return nullptr;
    }
    return form;
}

// Deletes the document windows without their questions, then the main window.
inline void DeleteMainWindow(std::unique_ptr<TForm1>& form) {
    for (TChild* child : form->Documents()) {
        delete child;
    }
    form.reset();
}

// Runs a command the way a menu click does: queued, then delivered by the
// event loop (through the application's error report).
inline void Trigger(QAction* action) {
    QVERIFY2(action != nullptr, "no such command");
    QVERIFY2(action->isVisible(), "the command is not shown");
    action->trigger();
    QCoreApplication::sendPostedEvents();
}

// A mouse event as the window system delivers it, through the application.
inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, buttons,
                      modifiers);
    QCoreApplication::sendEvent(widget, &event);
}

// A 24-bit picture whose pixel (x, y) is (x, y, x ^ y) as blue, green, red.
inline Bitmap GradientBitmap(int width, int height) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(x);
            row[3 * x + 1] = static_cast<std::uint8_t>(y);
            row[3 * x + 2] = static_cast<std::uint8_t>(x ^ y);
        }
    }
    return bitmap;
}

// Same size and the same colour at every pixel, whatever the pixel formats.
inline bool SamePixels(const Bitmap& a, const Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) {
        return false;
    }
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (!(a.PixelColor(x, y) == b.PixelColor(x, y))) {
                return false;
            }
        }
    }
    return true;
}

// The offscreen platform warns that it cannot pass size hints to a window
// manager it does not have, once for every window shown. Call it from
// initTestCase, after Qt Test has installed its own message handler.
inline void SilenceOffscreenNoise() {
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (message.contains(QStringLiteral("does not support propagateSizeHints"))) {
                return;
            }
            previous(type, context, message);
        });
}

} // namespace pixmoth::test

// A Qt Test main that runs the test object under the program's own
// application object, so errors take the program's path to the error box.
#define PIXMOTH_WIDGET_TEST_MAIN(TestObject)                                                       \
    int main(int argc, char** argv) {                                                              \
        pixmoth::PixmothApplication app(argc, argv);                                               \
        TestObject test;                                                                           \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
