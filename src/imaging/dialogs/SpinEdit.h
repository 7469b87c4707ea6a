#pragma once

#include <functional>

#include <QAbstractSpinBox>

class QKeyEvent;

namespace pixmoth {

// An integer spin box whose text is its value, as the classic spin edit has it:
//  - Value() parses the text; text that is not an integer reads as Minimum().
//  - The arrow buttons, Up and Down step by 1 within the bounds; SetValue
//    clamps into them.
//  - A typed value outside the bounds stays until the box loses the focus, so
//    code reading it while the box has the focus (the dialogs' buttons never
//    take it) sees the value as typed.
//  - Typing takes digits, "+", "-", the decimal separator and control keys other
//    than Enter; other characters beep and are dropped. Pasted text is not
//    checked.
// A key filter set by the owner runs first and may drop a key's character.
class SpinEdit : public QAbstractSpinBox {
    Q_OBJECT

public:
    SpinEdit(int minimum, int maximum, int value, QWidget* parent = nullptr);

    int Minimum() const { return mMinimum; }
    int Maximum() const { return mMaximum; }
    int Value() const;
    void SetValue(long long value);

    // Returns false for a key whose character must not reach the text. Keys
    // that make no character (arrows, Home, Tab, Escape) are never filtered.
    void SetKeyFilter(std::function<bool(const QKeyEvent&)> filter) {
        mKeyFilter = std::move(filter);
    }

    // Whether a key press types a character or a control character into the text.
    static bool MakesCharacter(const QKeyEvent& event);

signals:
    // Any change of the text: typing, pasting, arrows, SetValue.
    void Changed();
    void KeyUp(const QKeyEvent& event);
    // A click into the text, not on the arrows.
    void Clicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void stepBy(int steps) override;
    StepEnabled stepEnabled() const override;

private:
    void EditingFinished();
    bool TypeableCharacter(const QKeyEvent& event) const;

    int mMinimum;
    int mMaximum;
    std::function<bool(const QKeyEvent&)> mKeyFilter;
};

} // namespace pixmoth
