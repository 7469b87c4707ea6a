#pragma once

#include <QMainWindow>

class QMdiArea;

namespace pixmoth {

// The multiple-document main window.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);

private:
    QMdiArea* mMdiArea = nullptr;
};

} // namespace pixmoth
