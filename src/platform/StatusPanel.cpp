#include "platform/StatusPanel.h"

namespace pixmoth {

StatusPanel::StatusPanel(int width, QWidget* parent) : QLabel(parent), mWidth(width) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setTextFormat(Qt::PlainText);
}

QSize StatusPanel::sizeHint() const {
    return {mWidth, QLabel::sizeHint().height()};
}

QSize StatusPanel::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

} // namespace pixmoth
