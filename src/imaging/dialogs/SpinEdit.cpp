#include "imaging/dialogs/SpinEdit.h"

#include <algorithm>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>

namespace pixmoth {

SpinEdit::SpinEdit(int minimum, int maximum, int value, QWidget* parent)
    : QAbstractSpinBox(parent), mMinimum(minimum), mMaximum(maximum) {
    // Held arrows repeat, as the classic buttons do.
    setAccelerated(false);
    setKeyboardTracking(true);
    SetValue(value);
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::Changed);
    connect(this, &QAbstractSpinBox::editingFinished, this, &SpinEdit::EditingFinished);
    lineEdit()->installEventFilter(this);
}

int SpinEdit::Value() const {
    bool ok = false;
    const int value = text().trimmed().toInt(&ok);
    return ok ? value : mMinimum;
}

void SpinEdit::SetValue(long long value) {
    const auto clamped = static_cast<int>(std::clamp<long long>(value, mMinimum, mMaximum));
    const QString shown = QString::number(clamped);
    if (lineEdit()->text() != shown) {
        lineEdit()->setText(shown);
    }
}

// The focus left the box: an integer outside the bounds is brought into them.
// Text that is no integer stays as it is and keeps reading as the minimum.
void SpinEdit::EditingFinished() {
    const int value = Value();
    if (value < mMinimum || value > mMaximum) {
        SetValue(value);
    }
}

void SpinEdit::stepBy(int steps) {
    SetValue(static_cast<long long>(Value()) + steps);
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const {
    return StepUpEnabled | StepDownEnabled;
}

bool SpinEdit::MakesCharacter(const QKeyEvent& event) {
    if (!event.text().isEmpty()) {
        return true;
    }
    // Some platforms give no text for Ctrl combinations that still act on the text.
    return (event.modifiers() & Qt::ControlModifier) && event.key() >= Qt::Key_Space &&
           event.key() <= Qt::Key_AsciiTilde;
}

bool SpinEdit::TypeableCharacter(const QKeyEvent& event) const {
    if (event.modifiers() & Qt::ControlModifier) {
        return true; // editing commands, not characters
    }
    const QString text = event.text();
    if (text.size() != 1) {
        return true;
    }
    const QChar c = text.front();
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
        return false;
    }
    if (c.category() == QChar::Other_Control) {
        return true;
    }
    return c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-') ||
           text == locale().decimalPoint();
}

void SpinEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool passes = key == Qt::Key_Escape || key == Qt::Key_Tab || key == Qt::Key_Backtab;
    if (!passes && MakesCharacter(*event)) {
        if (mKeyFilter && !mKeyFilter(*event)) {
            event->accept();
            return;
        }
        if (!TypeableCharacter(*event)) {
            QApplication::beep();
            event->accept();
            return;
        }
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void SpinEdit::keyReleaseEvent(QKeyEvent* event) {
    QAbstractSpinBox::keyReleaseEvent(event);
    emit KeyUp(*event);
}

bool SpinEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        lineEdit()->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        emit Clicked();
    }
    return QAbstractSpinBox::eventFilter(watched, event);
}

} // namespace pixmoth
