#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

#include "chrome/SplitterButton.h"
#include "chrome/TSplitter.h"

namespace pixmoth {

// A splitter with a button in the middle of the bar. A click on the button
// collapses the neighbour to MinSize (the bar is then `Maximized`) or gives it
// back `RestoreSize`; both go through the splitter's own drag, so OnCanResize
// is asked and AutoSnap applies as for a drag by hand. A press that moves more
// than a few pixels across the bar is a drag, not a click; dragging the
// neighbour down to MinSize collapses it too, and dragging it wider restores it
// and remembers the new size. The arrows point to the neighbour, or away from
// it while collapsed. Without a neighbour nothing happens.
class TRestoreSplitter : public TSplitter {
    Q_OBJECT

public:
    explicit TRestoreSplitter(QWidget* parent = nullptr);

    QString Version() const { return QStringLiteral("TRestoreSplitter v1.10"); }

    // False: no dragging and no highlight on moves, but the button still works.
    bool AllowDrag() const { return mAllowDrag; }
    void SetAllowDrag(bool allow);
    TButtonWidthType ButtonWidthType() const { return mButtonWidthType; }
    void SetButtonWidthType(TButtonWidthType type);
    // Pixels, or a percentage of the bar's length (at most 100); never below 0.
    int ButtonWidth() const { return mButtonWidth; }
    void SetButtonWidth(int width);
    bool ShowButton() const { return mShowButton; }
    void SetShowButton(bool show);

    QColor ButtonColor() const { return mButtonColor; }
    void SetButtonColor(const QColor& color) { SetColor(mButtonColor, color); }
    QColor ArrowColor() const { return mArrowColor; }
    void SetArrowColor(const QColor& color) { SetColor(mArrowColor, color); }
    QColor ButtonHighlightColor() const { return mButtonHighlightColor; }
    void SetButtonHighlightColor(const QColor& color) { SetColor(mButtonHighlightColor, color); }
    QColor TextureColor1() const { return mTextureColor1; }
    void SetTextureColor1(const QColor& color) { SetColor(mTextureColor1, color); }
    QColor TextureColor2() const { return mTextureColor2; }
    void SetTextureColor2(const QColor& color) { SetColor(mTextureColor2, color); }
    // True: the highlight follows the desktop's colours at every paint.
    bool AutoHighlightColor() const { return mAutoHighlightColor; }
    void SetAutoHighlightColor(bool automatic);

    bool Maximized() const { return mMaximized; }
    void SetMaximized(bool maximized);
    // The neighbour's size to restore; -1 until one is known.
    int RestoreSize() const { return mRestoreSize; }
    void SetRestoreSize(int size) { mRestoreSize = size; }

    // Where the button is drawn, in client coordinates; empty when none is.
    QRect ButtonRect() const;

signals:
    void OnMaximize(QObject* Sender);
    void OnRestore(QObject* Sender);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetColor(QColor& member, const QColor& color);
    bool ButtonHitTest(QPoint at);
    void DrawButton(bool hot);
    void SetNeighbourSize(int size);
    void LearnRestoreSize();

    bool mAllowDrag = true;
    TButtonWidthType mButtonWidthType = TButtonWidthType::btwPixels;
    int mButtonWidth = 100;
    bool mShowButton = true;
    QColor mButtonColor;
    QColor mArrowColor{0, 0, 128};
    QColor mButtonHighlightColor{207, 207, 255};
    QColor mTextureColor1{255, 255, 255};
    QColor mTextureColor2{0, 0, 128};
    bool mAutoHighlightColor = false;

    bool mMaximized = false;
    int mRestoreSize = -1;
    bool mHot = false;
    bool mPressed = false;
    QPoint mPressPos; // screen coordinates of the press on the button
};

} // namespace pixmoth
