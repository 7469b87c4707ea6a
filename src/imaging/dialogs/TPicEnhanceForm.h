#pragma once

#include <memory>

#include <QDialog>

#include "imaging/bitmap/Bitmap.h"

class QComboBox;
class QFrame;
class QLabel;
class QToolButton;

namespace pixmoth {

class BackgroundJob;
class PictureView;
class SpinEdit;

// The modal "Image enhancements" dialog. It holds a copy of the document's
// picture, runs one of the 24 enhancement functions with a factor on a fresh
// copy for every Preview (so effects never pile up), shows the result in a
// small preview, and "to Image" hands the last preview back with the result
// Yes. Effects run off the user-interface thread; a preview replaces the
// previous one only when it is complete, so a failed or cancelled run leaves
// both the preview and the picture handed back as they were.
class TPicEnhanceForm : public QDialog {
    Q_OBJECT

public:
    // Modal results, with the values the caller knows them by.
    static constexpr int mrCancel = 2;
    static constexpr int mrYes = 6;

    explicit TPicEnhanceForm(QWidget* parent = nullptr);
    ~TPicEnhanceForm() override;

    // Copies the picture and records its size. Called before the dialog shows.
    void SetPicture(const Bitmap& graphic);
    // The picture; after "to Image", the last preview.
    const Bitmap& GetPicture() const { return *mPictureBitmap; }

    // The entry whose text the list shows, or -1 (nothing chosen, or typed text).
    int SelectedFunction() const;
    // The latest preview result.
    const Bitmap& WorkBitmap() const { return *mWorkBitmap; }
    // While a preview is being computed. Preview waits for it; "to Image"
    // hands it back once it is complete.
    bool Busy() const;
    BackgroundJob* Job() const { return mJob; }

    QComboBox* ImgFuncCbo() const { return mImgFuncCbo; }
    SpinEdit* SpinEdit1() const { return mSpinEdit1; }
    QFrame* Panel1() const { return mPanel1; }
    PictureView* Image1() const { return mImage1; }
    QToolButton* SpeedButton1() const { return mSpeedButton1; }
    QToolButton* SpeedButton2() const { return mSpeedButton2; }
    QToolButton* SpeedButton3() const { return mSpeedButton3; }

public slots:
    void SpeedButton2Click(); // Preview
    void SpeedButton1Click(); // to Image
    void SpeedButton3Click(); // Cancel
    // Toggles the preview between the whole picture squeezed into the panel
    // and the picture at actual size around the clicked point.
    void Image1MouseDown(QPoint position);
    void reject() override; // the close box and Escape cancel

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    // The pictures never change once made, so the copies the dialog is
    // described with are shared: with each other, with the preview and with
    // the run on the worker, which only reads them.
    std::shared_ptr<const Bitmap> mPictureBitmap;
    std::shared_ptr<const Bitmap> mSourceCopy;
    std::shared_ptr<const Bitmap> mWorkBitmap;
    bool mToImageWhenDone = false;
    int mRecordedWidth = 0;
    int mRecordedHeight = 0;

    QFrame* mPanel1;
    PictureView* mImage1;
    QComboBox* mImgFuncCbo;
    SpinEdit* mSpinEdit1;
    QToolButton* mSpeedButton1;
    QToolButton* mSpeedButton2;
    QToolButton* mSpeedButton3;
    BackgroundJob* mJob;
};

} // namespace pixmoth
