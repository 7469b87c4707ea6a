#include "imaging/dialogs/TFResample.h"

#include <memory>

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QToolButton>

#include "imaging/bitmap/Error.h"
#include "imaging/dialogs/BackgroundJob.h"
#include "imaging/dialogs/PictureView.h"
#include "imaging/dialogs/ResampleSizes.h"
#include "imaging/dialogs/SpeedButton.h"
#include "imaging/dialogs/SpinEdit.h"
#include "imaging/resample/Resample.h"
#include "platform/Interaction.h"

namespace pixmoth {

namespace {

// The client area inside the 320 x 310 window of the classic frame.
constexpr int kClientWidth = 312;
constexpr int kClientHeight = 283;
constexpr int kDefaultFilter = 3; // "Bell filter"

void AddLabel(QWidget* parent, const QString& text, QPoint at) {
    auto* label = new QLabel(text, parent);
    label->move(at);
    label->adjustSize();
}

// Drawn in the flat colour of dialog controls over the tiled background.
template <typename Widget>
Widget* Opaque(Widget* widget) {
    widget->setAutoFillBackground(true);
    return widget;
}

} // namespace

TFResample::TFResample(QWidget* parent)
    : QDialog(parent), mBmpImage(std::make_shared<const Bitmap>()),
      mRadioGroup1(new QButtonGroup(this)), mImage1(new PictureView(this)),
      mGroupBox2(Opaque(new QGroupBox(QStringLiteral("Percentage"), this))),
      mGroupBox1(Opaque(new QGroupBox(QStringLiteral("Size"), this))),
      mFilterCombo(new QComboBox(this)),
      mChbARatio(Opaque(new QCheckBox(QStringLiteral("Keep Aspect Ratio"), this))),
      mJob(new BackgroundJob(this)) {
    setObjectName(QStringLiteral("FResample"));
    setWindowTitle(QStringLiteral("Resample Image"));
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    resize(kClientWidth, kClientHeight);
    // Larger shows more background; smaller would only hide controls.
    setMinimumSize(kClientWidth, kClientHeight);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    auto* preferences = Opaque(new QGroupBox(QStringLiteral("Size preferences"), this));
    preferences->setObjectName(QStringLiteral("RadioGroup1"));
    preferences->setGeometry(8, 8, 145, 105);
    const QString items[] = {QStringLiteral("Percentage of original"), QStringLiteral("Size")};
    for (int i = 0; i < 2; ++i) {
        auto* item = new QRadioButton(items[i], preferences);
        item->setGeometry(6, 24 + 36 * i, 137, 22);
        constexpr int kIndicator = 24;
        item->setFont(FontFitting(item->font(), items[i], item->width() - kIndicator));
        mRadioGroup1->addButton(item, i);
    }
    mRadioGroup1->button(0)->setChecked(true);

    mImage1->setObjectName(QStringLiteral("Image1"));
    mImage1->setGeometry(8, 120, 145, 145);
    mImage1->SetStretch(true);

    mGroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    mGroupBox2->setGeometry(160, 8, 145, 81);
    mSpinEdit1 = NewSpinEdit(mGroupBox2, QStringLiteral("SpinEdit1"), {39, 16}, 100);
    mSpinEdit2 = NewSpinEdit(mGroupBox2, QStringLiteral("SpinEdit2"), {39, 51}, 100);

    mGroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    mGroupBox1->setGeometry(160, 96, 145, 89);
    mSEWidth = NewSpinEdit(mGroupBox1, QStringLiteral("SEWidth"), {38, 16}, 400);
    mSEHeight = NewSpinEdit(mGroupBox1, QStringLiteral("SEHeight"), {38, 51}, 300);

    mFilterCombo->setObjectName(QStringLiteral("FilterCombo"));
    mFilterCombo->setEditable(true);
    mFilterCombo->setInsertPolicy(QComboBox::NoInsert);
    for (const FilterEntry& entry : FilterTable) {
        mFilterCombo->addItem(QString::fromLatin1(entry.listText.data(),
                                                  static_cast<qsizetype>(entry.listText.size())));
    }
    mFilterCombo->setCurrentIndex(kDefaultFilter);
    mFilterCombo->setGeometry(160, 188, 145, mFilterCombo->sizeHint().height());

    mChbARatio->setObjectName(QStringLiteral("ChbARatio"));
    mChbARatio->setGeometry(160, 213, 145, 25);
    mChbARatio->setChecked(true);

    mSpeedButton2 = NewSpeedButton(this, QStringLiteral("SpeedButton2"), {160, 240, 65, 33},
                                   QString(), QIcon(QStringLiteral(":/dialogs/cancel.png")));
    mSpeedButton2->setToolTip(QStringLiteral("Cancel"));
    mSpeedButton2->setAccessibleName(QStringLiteral("Cancel"));
    mSpeedButton1 = NewSpeedButton(this, QStringLiteral("SpeedButton1"), {232, 240, 73, 33},
                                   QString(), QIcon(QStringLiteral(":/dialogs/ok.png")));
    mSpeedButton1->setToolTip(QStringLiteral("OK"));
    mSpeedButton1->setAccessibleName(QStringLiteral("OK"));

    connect(mRadioGroup1, &QButtonGroup::idClicked, this, &TFResample::RadioGroup1Click);
    connect(mSpinEdit1, &SpinEdit::Changed, this, &TFResample::SpinEdit1Change);
    connect(mSpinEdit1, &SpinEdit::KeyUp, this, &TFResample::SpinEdit1Change);
    connect(mSpinEdit2, &SpinEdit::KeyUp, this, &TFResample::SpinEdit2KeyUp);
    // The size boxes couple on keys and clicks into their text, not on their arrows.
    connect(mSEWidth, &SpinEdit::KeyUp, this, &TFResample::SEWidthKeyUp);
    connect(mSEWidth, &SpinEdit::Clicked, this, &TFResample::SEWidthKeyUp);
    connect(mSEHeight, &SpinEdit::KeyUp, this, &TFResample::SEHeightKeyUp);
    connect(mSEHeight, &SpinEdit::Clicked, this, &TFResample::SEHeightKeyUp);
    // Queued: a handler's error reaches the program's error report without
    // unwinding through the button's own code.
    connect(mSpeedButton1, &QToolButton::clicked, this, &TFResample::SpeedButton1Click,
            Qt::QueuedConnection);
    connect(mSpeedButton2, &QToolButton::clicked, this, &TFResample::SpeedButton2Click,
            Qt::QueuedConnection);
    // Coming back from another program refills the size boxes from the picture.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive && isVisible()) {
                    FormActivate();
                }
            });
}

TFResample::~TFResample() = default;

SpinEdit* TFResample::NewSpinEdit(QGroupBox* box, const QString& name, QPoint at, int value) {
    auto* spin = new SpinEdit(1, 2000, value, box);
    spin->setObjectName(name);
    spin->setGeometry(at.x(), at.y(), 100, spin->sizeHint().height());
    spin->SetKeyFilter(&TFResample::SpinEdit1KeyDown);
    AddLabel(box,
             name == QLatin1String("SpinEdit1") || name == QLatin1String("SEWidth")
                 ? QStringLiteral("W")
                 : QStringLiteral("H"),
             {8, at.y() + 4});
    return spin;
}

void TFResample::SetBmpImage(const Bitmap& picture) {
    mBmpImage = std::make_shared<const Bitmap>(picture);
}

void TFResample::SetBackground(const QPixmap* background) {
    if (background != mBackground) {
        mBackground = background;
        update();
    }
}

bool TFResample::Busy() const {
    return mJob->Running();
}

void TFResample::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormActivate();
    }
}

void TFResample::FormActivate() {
    mImage1->SetPicture(mBmpImage);
    mSEWidth->SetValue(mBmpImage->Width());
    mSEHeight->SetValue(mBmpImage->Height());
    mAspectPercent = AspectPercentOf(mBmpImage->Width(), mBmpImage->Height());
}

void TFResample::paintEvent(QPaintEvent*) {
    // A background without pixels paints nothing; the window keeps its colour.
    if (mBackground != nullptr && !mBackground->isNull()) {
        QPainter painter(this);
        painter.drawTiledPixmap(rect(), *mBackground);
    }
}

void TFResample::RadioGroup1Click() {
    const bool percentage = mRadioGroup1->checkedId() == 0;
    mGroupBox1->setEnabled(!percentage);
    mGroupBox2->setEnabled(percentage);
}

void TFResample::SpinEdit1Change() {
    if (mChbARatio->isChecked()) {
        mSpinEdit2->SetValue(mSpinEdit1->Value());
    }
}

void TFResample::SpinEdit2KeyUp() {
    if (mChbARatio->isChecked()) {
        mSpinEdit1->SetValue(mSpinEdit2->Value());
    }
}

void TFResample::SEWidthKeyUp() {
    if (mChbARatio->isChecked()) {
        mSEHeight->SetValue(CoupledHeight(mSEWidth->Value(), mAspectPercent));
    }
}

void TFResample::SEHeightKeyUp() {
    if (mChbARatio->isChecked()) {
        mSEWidth->SetValue(CoupledWidth(mSEHeight->Value(), mAspectPercent));
    }
}

bool TFResample::SpinEdit1KeyDown(const QKeyEvent& event) {
    const int key = event.key();
    if (event.modifiers() & Qt::ControlModifier) {
        if (key == Qt::Key_C) {
            return true;
        }
        if (key == Qt::Key_V) {
            // Only integers may be pasted; with no text there is nothing to paste.
            const QMimeData* data = QGuiApplication::clipboard()->mimeData();
            if (data == nullptr || !data->hasText()) {
                return true;
            }
            bool integer = false;
            data->text().trimmed().toInt(&integer);
            return integer;
        }
        return false;
    }
    if (key == Qt::Key_Backspace || key == Qt::Key_Return || key == Qt::Key_Enter ||
        key == Qt::Key_Delete) {
        return true;
    }
    // Digits of the main block and of the keypad.
    return event.text().size() == 1 && event.text().front() >= QLatin1Char('0') &&
           event.text().front() <= QLatin1Char('9');
}

void TFResample::SpeedButton1Click() {
    if (Busy()) {
        return;
    }
    const TargetSize target = mRadioGroup1->checkedId() == 0
                                  ? PercentageTarget(mBmpImage->Width(), mBmpImage->Height(),
                                                     mSpinEdit1->Value(), mSpinEdit2->Value())
                                  : TargetSize{mSEWidth->Value(), mSEHeight->Value()};
    const int filterIndex = mFilterCombo->findText(mFilterCombo->currentText(), Qt::MatchExactly);
    const FilterEntry* filter = FilterByIndex(filterIndex);
    if (filter == nullptr) {
        CurrentInteraction().Tell(Interaction::Kind::Warning,
                                  QStringLiteral("Choose a filter from the list."));
        return;
    }
    try {
        CheckResampleTarget(target);
    } catch (const Error& error) {
        CurrentInteraction().Tell(Interaction::Kind::Warning, QString::fromUtf8(error.what()));
        return;
    }
    const auto width = static_cast<int>(target.width);
    const auto height = static_cast<int>(target.height);
    auto result = std::make_shared<Bitmap>();
    mJob->Start(
        QStringLiteral("Resampling to %1 x %2 pixels...").arg(width).arg(height),
        [source = mBmpImage, result, width, height, filter] {
            Bitmap destination(width, height);
            ResampleBitmap(*source, destination, filter->kernel, filter->support);
            *result = std::move(destination);
        },
        [this, result] {
            mBmpImage = result;
            done(mrOk);
        });
}

void TFResample::SpeedButton2Click() {
    mJob->Cancel();
    done(mrCancel);
}

void TFResample::reject() {
    SpeedButton2Click();
}

} // namespace pixmoth
