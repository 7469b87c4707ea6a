#include "app/PixmothApplication.h"

#include <exception>

#include "platform/Interaction.h"

namespace pixmoth {

PixmothApplication::PixmothApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Pixmoth"));
}

bool PixmothApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowErrorMessage(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowErrorMessage(QStringLiteral("Unknown error"));
    }
    return false;
}

} // namespace pixmoth
