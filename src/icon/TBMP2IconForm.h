#pragma once

#include <QDialog>
#include <QPixmap>
#include <QString>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/codecs/IconFile.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QSlider;
class QToolButton;

namespace pixmoth {

class ImageControl;

// The modal dialog "Convert to Icon": a JPEG or BMP picture, resampled into a
// preview, becomes a square icon of 16 to 48 pixels at a chosen depth, with a
// transparent colour picked by a click on the preview; it is saved as an icon,
// a cursor (the same bytes) or a glyph bitmap, and the user's icon editor can
// be started on the saved file.
//
// Every activation (also the return from its own message boxes and file
// dialogs) drops the converted icon and, when the source picture exists,
// refreshes the preview, which resets the transparent colour to the preview's
// top-left pixel.
class TBMP2IconForm : public QDialog {
    Q_OBJECT

public:
    explicit TBMP2IconForm(QWidget* parent = nullptr);
    ~TBMP2IconForm() override;

    const QString& PicName() const { return mPicName; }
    void SetPicName(const QString& path) { mPicName = path; }
    // The picture handed over by the main window; it becomes PicName at every
    // activation when it is not empty.
    const QString& StartPicName() const { return mStartPicName; }
    void SetStartPicName(const QString& path) { mStartPicName = path; }
    // The tile the window's background is painted with.
    void SetBackground(const QPixmap& tile);
    // The settings file, where the icon editor's location is kept.
    void SetIniName(const QString& path) { mIniName = path; }

    bool HasIcon() const { return mHasIcon; }
    const IconBitmaps& Icon() const { return mIcon; }
    // What a glyph save writes: the scaled picture at the chosen depth.
    const Bitmap& Glyph() const { return mGlyph; }
    const Bitmap& Preview() const { return mPreview; }
    PaletteEntry TransparentColor() const { return mTransparent; }
    const QString& SavedIconPath() const { return mSavedIconPath; }

    QComboBox* FilterCombo() const { return mFilterCombo; }
    QCheckBox* ChbARatio() const { return mChbARatio; }
    QCheckBox* CbTrans() const { return mCbTrans; }
    QSlider* TrackBar1() const { return mTrackBar1; }
    // The chosen colour depth: 0 .. 4 for 32, 24, 8, 4 and 1 bits.
    int RGColorIndex() const;
    void SetRGColorIndex(int index);
    ImageControl* ImgPreview() const { return mImgPreview; }
    QLabel* Label3() const { return mLabel3; }
    QLabel* Label5() const { return mLabel5; }
    QLabel* ImgIcon() const { return mImgIcon; }
    QLabel* ImgSavedIcon() const { return mImgSavedIcon; }
    QFrame* PnlTransCol() const { return mPnlTransCol; }

public slots:
    void FormActivate();
    void BtnbrowseClick();
    void FilterComboChange();
    void ChbARatioClick();
    void TrackBar1Change();
    void ImgPreviewMouseDown(QPoint position);
    void ConvertButClick();
    void SaveButClick();
    void browsebutClick();
    void OpenEditClick();
    void SpeedButton1Click();
    void RefreshPreview();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildControls();
    void ShowPicturePath();
    void ShowTransparentColor();
    void ShowIcon();
    void LoadSavedIcon();
    void Tell(const QString& text);

    QString mPicName;
    QString mStartPicName;
    QString mIniName;
    QPixmap mBackground;
    Bitmap mPreview;
    Bitmap mGlyph;
    IconBitmaps mIcon;
    bool mHasIcon = false;
    PaletteEntry mTransparent{};
    QString mSavedIconPath;
    // The picture whose preview failed, reported once: the activation that
    // follows the report's own message box does not report it again.
    QString mFailedPreview;

    QLabel* mLabel3;
    QCheckBox* mChbARatio;
    QComboBox* mFilterCombo;
    ImageControl* mImgPreview;
    QButtonGroup* mRGColor;
    QLabel* mLabel5;
    QSlider* mTrackBar1;
    QCheckBox* mCbTrans;
    QFrame* mPnlTransCol;
    QLabel* mImgIcon;
    QLabel* mImgSavedIcon;
};

} // namespace pixmoth
