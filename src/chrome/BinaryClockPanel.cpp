#include "chrome/BinaryClockPanel.h"

#include <QGridLayout>
#include <QLabel>

#include "chrome/BinaryClock.h"

namespace pixmoth {

const QColor BinaryClockPanel::kLit(192, 192, 192);
const QColor BinaryClockPanel::kUnlit(0, 0, 128);

namespace {

constexpr int kRows = 6; // the most lamps a column has

void Paint(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

} // namespace

BinaryClockPanel::BinaryClockPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("ClockPanel"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);

    mWeights[Hours] = kHourWeights;
    mWeights[Minutes] = kMinuteWeights;
    mWeights[Seconds] = kSecondWeights;
    const char* const heads[3] = {"H", "M", "S"};
    for (int column = 0; column < 3; ++column) {
        auto* head = new QLabel(QString::fromLatin1(heads[column]));
        head->setAlignment(Qt::AlignCenter);
        Paint(head, QPalette::WindowText, kLit);
        grid->addWidget(head, 0, column);
        // Columns stand on a common bottom row: 1 is always the last lamp.
        const int firstRow = 1 + kRows - static_cast<int>(mWeights[column].size());
        for (const int weight : mWeights[column]) {
            auto* label = new QLabel(QString::number(weight));
            label->setAlignment(Qt::AlignCenter);
            label->setMinimumSize(22, 13);
            label->setAutoFillBackground(true);
            QFont small = label->font();
            small.setPixelSize(9);
            label->setFont(small);
            Paint(label, QPalette::WindowText, QColor(96, 112, 160));
            Paint(label, QPalette::Window, kUnlit);
            grid->addWidget(label, firstRow + static_cast<int>(mLamps[column].size()), column);
            mLamps[column].push_back(label);
        }
    }
}

void BinaryClockPanel::SetBackColor(const QColor& color) {
    Paint(this, QPalette::Window, color);
}

void BinaryClockPanel::ShowTime(const QTime& time) {
    const int values[3] = {time.hour(), time.minute(), time.second()};
    for (int column = 0; column < 3; ++column) {
        const std::vector<bool> lit = BinaryLamps(values[column], mWeights[column]);
        for (std::size_t i = 0; i < lit.size(); ++i) {
            Paint(mLamps[column][i], QPalette::Window, lit[i] ? kLit : kUnlit);
        }
    }
}

QColor BinaryClockPanel::LampColor(Column column, int weight) const {
    for (std::size_t i = 0; i < mWeights[column].size(); ++i) {
        if (mWeights[column][i] == weight) {
            return mLamps[column][i]->palette().color(QPalette::Window);
        }
    }
    return {};
}

} // namespace pixmoth
