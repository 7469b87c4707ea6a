#pragma once

#include <memory>

#include <QDialog>

#include "imaging/bitmap/Bitmap.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QPixmap;
class QToolButton;

namespace pixmoth {

class BackgroundJob;
class PictureView;
class SpinEdit;

// The modal "Resample Image" dialog: the new size as percentages of the
// picture's or in pixels, optionally keeping the aspect ratio, and a filter of
// FilterTable. OK resamples BmpImage off the user-interface thread and closes
// with the result OK once the new picture is complete; a size that cannot be
// made, no filter, an error or a cancelled run leave the dialog open and
// BmpImage as it was.
class TFResample : public QDialog {
    Q_OBJECT

public:
    static constexpr int mrOk = 1;
    static constexpr int mrCancel = 2;

    explicit TFResample(QWidget* parent = nullptr);
    ~TFResample() override;

    // The dialog's own picture: the document's before, the result after OK.
    const Bitmap& BmpImage() const { return *mBmpImage; }
    void SetBmpImage(const Bitmap& picture);
    // Tiled behind the controls; owned by the caller, never freed here.
    void SetBackground(const QPixmap* background);
    int AspectPercent() const { return mAspectPercent; }
    bool Busy() const;
    BackgroundJob* Job() const { return mJob; }

    QButtonGroup* RadioGroup1() const { return mRadioGroup1; }
    QGroupBox* GroupBox1() const { return mGroupBox1; }
    QGroupBox* GroupBox2() const { return mGroupBox2; }
    SpinEdit* SpinEdit1() const { return mSpinEdit1; }
    SpinEdit* SpinEdit2() const { return mSpinEdit2; }
    SpinEdit* SEWidth() const { return mSEWidth; }
    SpinEdit* SEHeight() const { return mSEHeight; }
    QComboBox* FilterCombo() const { return mFilterCombo; }
    QCheckBox* ChbARatio() const { return mChbARatio; }
    PictureView* Image1() const { return mImage1; }
    QToolButton* SpeedButton1() const { return mSpeedButton1; }
    QToolButton* SpeedButton2() const { return mSpeedButton2; }

public slots:
    // Refills the preview, the size boxes and AspectPercent from BmpImage;
    // runs when the dialog shows and when the program becomes active again.
    void FormActivate();
    void RadioGroup1Click();
    void SpinEdit1Change();
    void SpinEdit2KeyUp();
    void SEWidthKeyUp();
    void SEHeightKeyUp();
    void SpeedButton1Click(); // OK
    void SpeedButton2Click(); // Cancel
    void reject() override;   // the close box and Escape cancel

public:
    // The key filter of the four spin boxes: false drops the key's character.
    // Ctrl allows only C, and V when the clipboard holds no text or an
    // integer; without Ctrl only digits, Backspace, Enter and Delete pass.
    static bool SpinEdit1KeyDown(const QKeyEvent& event);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    SpinEdit* NewSpinEdit(QGroupBox* box, const QString& name, QPoint at, int value);

    // Shared with the preview and with a run on the worker, never changed:
    // OK puts a new picture in its place.
    std::shared_ptr<const Bitmap> mBmpImage;
    const QPixmap* mBackground = nullptr;
    int mAspectPercent = 0;

    QButtonGroup* mRadioGroup1;
    PictureView* mImage1;
    QGroupBox* mGroupBox2;
    SpinEdit* mSpinEdit1;
    SpinEdit* mSpinEdit2;
    QGroupBox* mGroupBox1;
    SpinEdit* mSEWidth;
    SpinEdit* mSEHeight;
    QComboBox* mFilterCombo;
    QCheckBox* mChbARatio;
    QToolButton* mSpeedButton2;
    QToolButton* mSpeedButton1;
    BackgroundJob* mJob;
};

} // namespace pixmoth
