#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "capture/TEraseF.h"
#include "imaging/bitmap/Bitmap.h"

class QToolButton;

namespace pixmoth {

class TForm1;
class TShapedForm;

// The capture panel: a small camera-shaped window, always on top, from which
// capture runs are started (Start, Multi picture, Load Rect), the kept
// rectangle is saved and loaded, and Off returns to the main window with the
// last shot opened. `KeptRect` lives as long as the panel.
class TStartF : public QWidget {
    Q_OBJECT

public:
    explicit TStartF(TForm1* mainForm);
    ~TStartF() override;

    const Rect& KeptRect() const { return mKeptRect; }
    void SetKeptRect(const Rect& rect) { mKeptRect = rect; }
    const QString& IniName() const { return mIniName; }
    void SetIniName(const QString& name) { mIniName = name; }

    TShapedForm* Skin() const { return mSkin; }
    QToolButton* Button(int number) const;
    // The overlay of the current or last capture run, while it exists.
    TEraseF* Overlay() const { return mOverlay; }

    // Shows the panel again after `delayMs` (the overlay's way back).
    void ShowPanel(int delayMs);

public slots:
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void StartMultiPicture();
    void ShowResultsAndClose();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // However the panel is closed (Off, Ctrl + Alt + key, the window manager),
    // the main window comes back: the program must not go on running with no
    // window to reach it (and its pictures) by.
    void closeEvent(QCloseEvent* event) override;

private:
    QToolButton* AddButton(int number, const QString& caption, QRect geometry, const QString& hint);
    void StartCapture(bool singleShoot);
    void ShowOverlay(bool singleShoot);

    QPointer<TForm1> mMainForm;
    TShapedForm* mSkin;
    QPointer<TEraseF> mOverlay;
    Rect mKeptRect;
    QString mIniName;
};

} // namespace pixmoth
