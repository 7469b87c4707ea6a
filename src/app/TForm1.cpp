#include "app/TForm1.h"

#include <QMdiArea>

namespace pixmoth {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), mMdiArea(new QMdiArea(this)) {
    setWindowTitle(QStringLiteral("Pixmoth - screenshots, picture editing and icons"));
    setCentralWidget(mMdiArea);
    setGeometry(10, 10, 590, 490);
}

} // namespace pixmoth
