#pragma once

#include <QApplication>

namespace pixmoth {

// The application object. It is the one place where errors end: an exception
// that leaves an event handler or a (queued) slot is shown in an error box with
// its text, and the program goes on with the next event.
class PixmothApplication : public QApplication {
    Q_OBJECT

public:
    PixmothApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace pixmoth
