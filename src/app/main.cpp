#include <exception>
#include <string>

#include <QByteArray>
#include <QMetaObject>
#include <QStringList>

#include "app/PixmothApplication.h"
#include "app/TForm1.h"
#include "platform/DisplayPlatform.h"
#include "platform/Environment.h"
#include "platform/Interaction.h"

int main(int argc, char* argv[]) {
    // Chosen before the application object connects to the display.
    const std::string platform = pixmoth::ForcedQtPlatform(pixmoth::CurrentEnvironment());
    if (!platform.empty()) {
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
    }
    pixmoth::PixmothApplication app(argc, argv);
    pixmoth::TForm1 form;
    try {
        form.FormCreate();
    } catch (const std::exception& error) {
        pixmoth::ShowErrorMessage(QString::fromUtf8(error.what()));
    }
    form.show();
    // Pictures named on the command line (file managers' "Open with") open
    // once the window is up, as if they had been dropped on it.
    const QStringList arguments = QApplication::arguments().mid(1);
    QMetaObject::invokeMethod(
        &form, [&form, arguments] { form.OpenCommandLine(arguments); }, Qt::QueuedConnection);
    return QApplication::exec();
}
