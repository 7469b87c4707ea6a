#include "imaging/dialogs/TPicEnhanceForm.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QToolButton>

#include "imaging/dialogs/BackgroundJob.h"
#include "imaging/dialogs/PictureView.h"
#include "imaging/dialogs/SpeedButton.h"
#include "imaging/dialogs/SpinEdit.h"
#include "imaging/effects/EnhancementTable.h"

namespace pixmoth {

namespace {

// Where a picture shown at actual size goes on one axis after a click at
// `click` on the squeezed view: the clicked point in the middle of the panel,
// but no space shown beyond the picture's far edge (a picture smaller than the
// panel ends at the panel's far edge). The click maps through the panel's
// outer size, as the squeezed view nearly fills it.
int ActualSizeOffset(int click, int recordedSize, int panelSize) {
    const auto point = static_cast<int>(static_cast<long long>(click) * recordedSize / panelSize);
    int offset = panelSize / 2 - point;
    if (offset < panelSize - recordedSize) {
        offset = panelSize - recordedSize;
    } else if (offset > 0) {
        offset = 0;
    }
    return offset;
}

// "HeightMap (Size of Map Seg.        ->)" names its effect before the bracket.
QString EffectName(int index) {
    const QString text = QString::fromStdString(EnhancementName(index));
    return text.left(text.indexOf(QLatin1String(" ("))).trimmed();
}

QLabel* NewLabel(QWidget* parent, const QString& text, QPoint at) {
    auto* label = new QLabel(text, parent);
    label->move(at);
    label->adjustSize();
    return label;
}

} // namespace

TPicEnhanceForm::TPicEnhanceForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      mPictureBitmap(std::make_shared<const Bitmap>()), mSourceCopy(mPictureBitmap),
      mWorkBitmap(mPictureBitmap), mPanel1(new QFrame(this)), mImage1(new PictureView(mPanel1)),
      mImgFuncCbo(new QComboBox(this)), mSpinEdit1(new SpinEdit(1, 255, 1, this)),
      mJob(new BackgroundJob(this)) {
    setObjectName(QStringLiteral("PicEnhanceForm"));
    setWindowTitle(QStringLiteral("Image enhancements"));
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    setFixedSize(328, 165);
    move(237, 107);

    NewLabel(this, QStringLiteral("Preview Window"), {8, 8});
    mPanel1->setObjectName(QStringLiteral("Panel1"));
    mPanel1->setGeometry(8, 32, 121, 105);
    // Lowered outer and inner bevel.
    mPanel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    mPanel1->setLineWidth(2);
    mImage1->setObjectName(QStringLiteral("Image1"));
    mImage1->setGeometry(0, 0, 121, 105);
    mImage1->setCursor(Qt::PointingHandCursor);
    connect(mImage1, &PictureView::MousePressed, this,
            [this](QPoint position, Qt::MouseButton) { Image1MouseDown(position); });

    NewLabel(this, QStringLiteral("Image processing functions"), {143, 8});
    mImgFuncCbo->setObjectName(QStringLiteral("ImgFuncCbo"));
    mImgFuncCbo->setEditable(true);
    mImgFuncCbo->setInsertPolicy(QComboBox::NoInsert);
    for (int i = 0; i < kEnhancementCount; ++i) {
        mImgFuncCbo->addItem(QString::fromStdString(EnhancementName(i)));
    }
    mImgFuncCbo->setCurrentIndex(-1);
    mImgFuncCbo->setEditText(QStringLiteral("Select Function"));
    mImgFuncCbo->setGeometry(143, 24, 145, mImgFuncCbo->sizeHint().height());
    // The list is wider than the box: its texts run to 45 characters.
    mImgFuncCbo->view()->setMinimumWidth(mImgFuncCbo->view()->sizeHintForColumn(0) + 8);

    NewLabel(this, QStringLiteral("Apply certein factor"), {143, 48});
    mSpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    mSpinEdit1->setGeometry(143, 64, 81, mSpinEdit1->sizeHint().height());

    mSpeedButton2 =
        NewSpeedButton(this, QStringLiteral("SpeedButton2"), {143, 96, 49, 49},
                       QStringLiteral("Preview"), QIcon(QStringLiteral(":/dialogs/preview.png")));
    mSpeedButton1 =
        NewSpeedButton(this, QStringLiteral("SpeedButton1"), {207, 96, 49, 49},
                       QStringLiteral("to Image"), QIcon(QStringLiteral(":/dialogs/to-image.png")));
    mSpeedButton3 =
        NewSpeedButton(this, QStringLiteral("SpeedButton3"), {271, 96, 49, 49},
                       QStringLiteral("Cancel"), QIcon(QStringLiteral(":/dialogs/cancel.png")));
    // Queued: a handler's error reaches the program's error report without
    // unwinding through the button's own code.
    connect(mSpeedButton2, &QToolButton::clicked, this, &TPicEnhanceForm::SpeedButton2Click,
            Qt::QueuedConnection);
    connect(mSpeedButton1, &QToolButton::clicked, this, &TPicEnhanceForm::SpeedButton1Click,
            Qt::QueuedConnection);
    connect(mSpeedButton3, &QToolButton::clicked, this, &TPicEnhanceForm::SpeedButton3Click,
            Qt::QueuedConnection);
    mSpinEdit1->setFocus();
}

TPicEnhanceForm::~TPicEnhanceForm() = default;

void TPicEnhanceForm::SetPicture(const Bitmap& graphic) {
    mPictureBitmap = std::make_shared<const Bitmap>(graphic);
    mRecordedHeight = mPictureBitmap->Height();
    mRecordedWidth = mPictureBitmap->Width();
}

void TPicEnhanceForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TPicEnhanceForm::FormShow() {
    mImage1->SetPicture(mPictureBitmap);
    mSourceCopy = mPictureBitmap;
    mWorkBitmap = mPictureBitmap;
}

int TPicEnhanceForm::SelectedFunction() const {
    // Typed text selects the entry it spells exactly, anything else none.
    return mImgFuncCbo->findText(mImgFuncCbo->currentText(), Qt::MatchExactly);
}

bool TPicEnhanceForm::Busy() const {
    return mJob->Running();
}

void TPicEnhanceForm::SpeedButton2Click() {
    if (Busy()) {
        return;
    }
    mToImageWhenDone = false;
    const int index = SelectedFunction();
    if (index < 0 || index >= kEnhancementCount) {
        mWorkBitmap = mSourceCopy;
        mImage1->SetPicture(mWorkBitmap);
        return;
    }
    const int factor = mSpinEdit1->Value();
    auto result = std::make_shared<Bitmap>();
    mJob->Start(
        QStringLiteral("Previewing %1...").arg(EffectName(index)),
        [source = mSourceCopy, result, index, factor] {
            // Solarize and Posterize may read the picture they write, so one
            // copy serves every entry.
            *result = *source;
            RunEnhancement(index, factor, *result, *result);
        },
        [this, result] {
            mWorkBitmap = result;
            mImage1->SetPicture(mWorkBitmap);
            if (mToImageWhenDone) {
                SpeedButton1Click();
            }
        });
}

void TPicEnhanceForm::SpeedButton1Click() {
    if (Busy()) {
        // Pressed right after Preview: the preview being made is handed back.
        mToImageWhenDone = true;
        return;
    }
    mPictureBitmap = mWorkBitmap;
    mRecordedHeight = mPictureBitmap->Height();
    mRecordedWidth = mPictureBitmap->Width();
    done(mrYes);
}

void TPicEnhanceForm::SpeedButton3Click() {
    mJob->Cancel();
    done(mrCancel);
}

void TPicEnhanceForm::reject() {
    SpeedButton3Click();
}

void TPicEnhanceForm::Image1MouseDown(QPoint position) {
    if (!mImage1->Stretch()) {
        mImage1->SetAutoSize(false);
        mImage1->SetStretch(true);
        // Fills the panel inside its bevel, then keeps that size from the corner.
        mImage1->setGeometry(0, 0, mPanel1->contentsRect().width(),
                             mPanel1->contentsRect().height());
        return;
    }
    mImage1->SetStretch(false);
    mImage1->SetAutoSize(true);
    const int left = ActualSizeOffset(position.x(), mRecordedWidth, mPanel1->width());
    const int top = ActualSizeOffset(position.y(), mRecordedHeight, mPanel1->height());
    mImage1->move(left, top);
}

} // namespace pixmoth
