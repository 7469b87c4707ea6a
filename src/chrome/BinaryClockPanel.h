#pragma once

#include <span>
#include <vector>

#include <QColor>
#include <QFrame>
#include <QTime>

class QLabel;

namespace pixmoth {

// The about box's binary clock: columns "H", "M" and "S" of one lamp per bit,
// the lamp's weight written on it. A lit lamp is silver, an unlit one navy.
class BinaryClockPanel : public QFrame {
    Q_OBJECT

public:
    enum Column { Hours, Minutes, Seconds };

    explicit BinaryClockPanel(QWidget* parent = nullptr);

    void SetBackColor(const QColor& color);
    void ShowTime(const QTime& time);

    // The colour of the lamp of `weight` in `column`.
    QColor LampColor(Column column, int weight) const;

    static const QColor kLit;
    static const QColor kUnlit;

private:
    std::span<const int> mWeights[3];
    std::vector<QLabel*> mLamps[3]; // in the order of the weights
};

} // namespace pixmoth
