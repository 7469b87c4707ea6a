#include <QApplication>

#include "app/TForm1.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pixmoth"));
    pixmoth::TForm1 form;
    form.show();
    return QApplication::exec();
}
