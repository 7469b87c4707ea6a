#pragma once

#include <QLabel>

namespace pixmoth {

// A status bar panel of a given width that, unlike a fixed-width label, may
// still be squeezed: windows narrower than their panels keep their exact size.
class StatusPanel : public QLabel {
    Q_OBJECT

public:
    StatusPanel(int width, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    int mWidth;
};

} // namespace pixmoth
