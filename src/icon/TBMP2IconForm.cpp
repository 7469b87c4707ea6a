#include "icon/TBMP2IconForm.h"

#include <exception>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <unistd.h>

#include "document/ImageControl.h"
#include "icon/IconConversion.h"
#include "imaging/codecs/PictureFile.h"
#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "platform/Paths.h"
#include "platform/QtPaths.h"
#include "platform/WaitCursor.h"
#include "settings/IniStuff.h"

namespace pixmoth {

namespace {

const char* const kIconEditorSection = "Icon Editor";
const char* const kIconEditorKey = "Location";
const char* const kPictureFilter = "Bitmapts and Jpegs (*.bmp;*.jpg) (*.bmp *.jpg *.jpeg);;"
                                   "JPEG Image File (*.jpg) (*.jpg);;"
                                   "JPEG Image File (*.jpeg) (*.jpeg);;"
                                   "Bitmaps (*.bmp) (*.bmp)";
const char* const kSaveFilter = "Icons (*.ico);;Cursor(*.cur);;Glyph(*.bmp)";
constexpr int kGlyphFilter = 3;
const QColor kSilver(192, 192, 192);

// The icon as it shows over the window: its colour image where the mask is
// opaque, nothing where it is transparent.
QImage IconImage(const IconBitmaps& icon) {
    const int width = icon.color.Width();
    const int height = icon.color.Height();
    QImage image(width, height, QImage::Format_ARGB32);
    std::vector<std::uint8_t> colour(static_cast<std::size_t>(width) * 3);
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        icon.color.ReadRowBgr(y, 0, width, colour.data());
        icon.mask.ReadRowBgr(y, 0, width, mask.data());
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* c = &colour[3 * static_cast<std::size_t>(x)];
            const int alpha = mask[3 * static_cast<std::size_t>(x)] != 0 ? 0 : 255;
            out[x] = qRgba(c[2], c[1], c[0], alpha);
        }
    }
    return image;
}

QGroupBox* SilverGroup(const QString& title, const QString& name) {
    auto* group = new QGroupBox(title);
    group->setObjectName(name);
    QPalette palette = group->palette();
    palette.setColor(QPalette::Window, kSilver);
    group->setPalette(palette);
    group->setAutoFillBackground(true);
    return group;
}

bool IsProgram(const QString& path) {
    const std::string native = ToNative(path);
    return IsRegularFile(native) && ::access(native.c_str(), X_OK) == 0;
}

} // namespace

TBMP2IconForm::TBMP2IconForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Convert to Icon"));
    setObjectName(QStringLiteral("BMP2IconForm"));
    BuildControls();
    // 339 x 471 holds every control in small fonts; larger desktop fonts widen
    // the window rather than cut captions off.
    setFixedSize(layout()->minimumSize().expandedTo(QSize(339, 471)));
    if (const QScreen* desktop = screen()) {
        move(desktop->availableGeometry().center() - rect().center());
    }
    mImgPreview->SetPicture(&mPreview);
    ShowTransparentColor();
}

TBMP2IconForm::~TBMP2IconForm() = default;

// The layout, top to bottom: the source picture; the picture settings (with
// the icon size) beside the preview; the colour depth beside Convert and Save;
// Close beside the icon editor's buttons.
void TBMP2IconForm::BuildControls() {
    // Buttons run their handler from the event queue, as menu commands do, so
    // an error travels to the program's error report, not through the button.
    const auto button = [this](const QString& name, const QString& text,
                               QStyle::StandardPixmap icon, void (TBMP2IconForm::*slot)()) {
        // Tool buttons: a picture and a caption without the width push buttons take.
        auto* b = new QToolButton;
        b->setObjectName(name);
        b->setIcon(style()->standardIcon(icon));
        b->setText(text);
        b->setToolButtonStyle(text.isEmpty() ? Qt::ToolButtonIconOnly
                                             : Qt::ToolButtonTextBesideIcon);
        b->setMinimumHeight(26);
        connect(b, &QToolButton::clicked, this, slot, Qt::QueuedConnection);
        return b;
    };
    const auto tight = [](QLayout* layout) {
        layout->setContentsMargins(6, 1, 6, 3);
        layout->setSpacing(2);
    };

    auto* browse =
        SilverGroup(QStringLiteral("Browse for Image (JPG or BMP)"), QStringLiteral("GroupBox1"));
    mLabel3 = new QLabel;
    mLabel3->setObjectName(QStringLiteral("Label3"));
    mLabel3->setWordWrap(true);
    mLabel3->setFixedSize(261, 43);
    auto* browseLayout = new QHBoxLayout(browse);
    tight(browseLayout);
    browseLayout->setSpacing(6);
    browseLayout->addWidget(button(QStringLiteral("Btnbrowse"), QString(),
                                   QStyle::SP_DialogOpenButton, &TBMP2IconForm::BtnbrowseClick));
    browseLayout->addWidget(mLabel3, 1);

    mChbARatio = new QCheckBox(QStringLiteral("Keep Aspect Ratio"));
    mChbARatio->setObjectName(QStringLiteral("ChbARatio"));
    mChbARatio->setChecked(true);
    connect(mChbARatio, &QCheckBox::clicked, this, &TBMP2IconForm::ChbARatioClick,
            Qt::QueuedConnection);
    auto* filterLabel = new QLabel(QStringLiteral("Filter"));
    filterLabel->setObjectName(QStringLiteral("Label1"));
    mFilterCombo = new QComboBox;
    mFilterCombo->setObjectName(QStringLiteral("FilterCombo"));
    mFilterCombo->setEditable(true);
    mFilterCombo->setInsertPolicy(QComboBox::NoInsert);
    for (const FilterEntry& entry : FilterTable) {
        mFilterCombo->addItem(QString::fromUtf8(entry.listText.data(),
                                                static_cast<qsizetype>(entry.listText.size())));
    }
    mFilterCombo->setCurrentIndex(kDefaultFilterIndex);
    connect(mFilterCombo, &QComboBox::activated, this, &TBMP2IconForm::FilterComboChange,
            Qt::QueuedConnection);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(mFilterCombo, 1);

    auto* size = SilverGroup(QStringLiteral("Icon Size"), QStringLiteral("GroupBox3"));
    mLabel5 = new QLabel(QStringLiteral("32 * 32"));
    mLabel5->setObjectName(QStringLiteral("Label5"));
    mLabel5->setAlignment(Qt::AlignCenter);
    mTrackBar1 = new QSlider(Qt::Horizontal);
    mTrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    mTrackBar1->setRange(kMinIconSize, kMaxIconSize);
    mTrackBar1->setSingleStep(1);
    mTrackBar1->setPageStep(4);
    mTrackBar1->setValue(kDefaultIconSize);
    connect(mTrackBar1, &QSlider::valueChanged, this, &TBMP2IconForm::TrackBar1Change);
    auto* sizeLayout = new QVBoxLayout(size);
    tight(sizeLayout);
    sizeLayout->setSpacing(0);
    sizeLayout->addWidget(mLabel5);
    sizeLayout->addWidget(mTrackBar1);

    mCbTrans = new QCheckBox(QStringLiteral("Use transparent color"));
    mCbTrans->setObjectName(QStringLiteral("cbTrans"));
    mCbTrans->setChecked(true);
    mPnlTransCol = new QFrame;
    mPnlTransCol->setObjectName(QStringLiteral("PnlTransCol"));
    mPnlTransCol->setFrameShape(QFrame::Panel);
    mPnlTransCol->setFrameShadow(QFrame::Sunken);
    mPnlTransCol->setFixedSize(36, 18);
    mPnlTransCol->setAutoFillBackground(true);
    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(mPnlTransCol);
    colourRow->addWidget(new QLabel(QStringLiteral("Transparent Color")), 1);

    auto* settings = new QVBoxLayout;
    settings->setSpacing(2);
    settings->addWidget(mChbARatio);
    settings->addLayout(filterRow);
    settings->addWidget(size);
    settings->addStretch(1);
    settings->addWidget(mCbTrans);
    settings->addLayout(colourRow);

    auto* previewLabel = new QLabel(QStringLiteral("Image Preview"));
    previewLabel->setObjectName(QStringLiteral("Label2"));
    auto* previewPanel = new QFrame;
    previewPanel->setFrameShape(QFrame::Panel);
    previewPanel->setFrameShadow(QFrame::Sunken);
    mImgPreview = new ImageControl(previewPanel);
    mImgPreview->setObjectName(QStringLiteral("ImgPreview"));
    mImgPreview->setAttribute(Qt::WA_OpaquePaintEvent, false);
    mImgPreview->setCursor(Qt::CrossCursor);
    mImgPreview->setFixedSize(kPreviewWidth, kPreviewHeight);
    connect(
        mImgPreview, &ImageControl::MousePressed, this,
        [this](QPoint at, Qt::MouseButtons, Qt::KeyboardModifiers) { ImgPreviewMouseDown(at); });
    auto* previewBox = new QVBoxLayout(previewPanel);
    previewBox->setContentsMargins(1, 1, 1, 1);
    previewBox->addWidget(mImgPreview);
    auto* previewColumn = new QVBoxLayout;
    previewColumn->setSpacing(0);
    previewColumn->addWidget(previewLabel);
    previewColumn->addWidget(previewPanel);

    auto* picture = SilverGroup(QString(), QStringLiteral("GroupBox4"));
    auto* pictureLayout = new QHBoxLayout(picture);
    tight(pictureLayout);
    pictureLayout->setContentsMargins(6, 3, 6, 3);
    pictureLayout->setSpacing(6);
    pictureLayout->addLayout(settings, 1);
    pictureLayout->addLayout(previewColumn);

    auto* depth =
        SilverGroup(QStringLiteral("Icon color in bit (color depth)"), QStringLiteral("RGColor"));
    mRGColor = new QButtonGroup(this);
    auto* depthLayout = new QVBoxLayout(depth);
    tight(depthLayout);
    depthLayout->setSpacing(0);
    const char* const depths[] = {"32 bit (True Colors)", "24 bit (16 mil Colors)",
                                  "8 bit   (256 Colors)", "4 bit   (16 Colors)",
                                  "1 bit   (2 Colors)"};
    for (int i = 0; i < 5; ++i) {
        auto* radio = new QRadioButton(QString::fromLatin1(depths[i]));
        mRGColor->addButton(radio, i);
        depthLayout->addWidget(radio);
    }
    SetRGColorIndex(2);

    auto* make =
        SilverGroup(QStringLiteral("Create Icon,  Save Icon"), QStringLiteral("GroupBox2"));
    mImgIcon = new QLabel;
    mImgIcon->setObjectName(QStringLiteral("ImgIcon"));
    mImgSavedIcon = new QLabel;
    mImgSavedIcon->setObjectName(QStringLiteral("ImgSavedIcon"));
    auto* makeLayout = new QGridLayout(make);
    tight(makeLayout);
    makeLayout->setHorizontalSpacing(6);
    const struct {
        QToolButton* button;
        QLabel* image;
    } rows[] = {{button(QStringLiteral("ConvertBut"), QStringLiteral("&Convert"),
                        QStyle::SP_ArrowRight, &TBMP2IconForm::ConvertButClick),
                 mImgIcon},
                {button(QStringLiteral("SaveBut"), QStringLiteral("&Save"),
                        QStyle::SP_DialogSaveButton, &TBMP2IconForm::SaveButClick),
                 mImgSavedIcon}};
    for (int row = 0; row < 2; ++row) {
        rows[row].image->setFixedSize(32, 32);
        rows[row].image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        makeLayout->addWidget(rows[row].button, row, 0);
        // Room for the largest icon, so the buttons stay put.
        makeLayout->addWidget(rows[row].image, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
        makeLayout->setRowMinimumHeight(row, kMaxIconSize);
    }
    makeLayout->setColumnMinimumWidth(1, kMaxIconSize);

    auto* editor =
        SilverGroup(QStringLiteral("Browse for / open Icon Editor"), QStringLiteral("GroupBox5"));
    auto* editorLayout = new QHBoxLayout(editor);
    tight(editorLayout);
    editorLayout->setSpacing(6);
    editorLayout->addWidget(button(QStringLiteral("browsebut"), QStringLiteral("&Browse"),
                                   QStyle::SP_DirOpenIcon, &TBMP2IconForm::browsebutClick));
    editorLayout->addWidget(button(QStringLiteral("OpenEdit"), QStringLiteral("&Open"),
                                   QStyle::SP_FileDialogContentsView,
                                   &TBMP2IconForm::OpenEditClick));

    auto* middle = new QHBoxLayout;
    middle->addWidget(depth, 1);
    middle->addWidget(make);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(button(QStringLiteral("SpeedButton1"), QStringLiteral("Clos&e"),
                             QStyle::SP_DialogCloseButton, &TBMP2IconForm::SpeedButton1Click),
                      0, Qt::AlignLeft | Qt::AlignBottom);
    bottom->addStretch(1);
    bottom->addWidget(editor);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(5);
    layout->addWidget(browse);
    layout->addWidget(picture);
    layout->addLayout(middle);
    layout->addLayout(bottom);
}

void TBMP2IconForm::SetBackground(const QPixmap& tile) {
    mBackground = tile;
    update();
}

int TBMP2IconForm::RGColorIndex() const {
    return mRGColor->checkedId();
}

void TBMP2IconForm::SetRGColorIndex(int index) {
    if (QAbstractButton* radio = mRGColor->button(index)) {
        radio->setChecked(true);
    }
}

bool TBMP2IconForm::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    }
    return handled;
}

void TBMP2IconForm::paintEvent(QPaintEvent*) {
    if (mBackground.width() * mBackground.height() > 0) {
        QPainter painter(this);
        painter.drawTiledPixmap(rect(), mBackground);
    }
}

void TBMP2IconForm::Tell(const QString& text) {
    CurrentInteraction().Tell(Interaction::Kind::Information, text);
}

void TBMP2IconForm::ShowPicturePath() {
    mLabel3->setText(mPicName);
}

void TBMP2IconForm::ShowTransparentColor() {
    QPalette palette = mPnlTransCol->palette();
    palette.setColor(QPalette::Window,
                     QColor(mTransparent.red, mTransparent.green, mTransparent.blue));
    mPnlTransCol->setPalette(palette);
}

void TBMP2IconForm::ShowIcon() {
    mImgIcon->clear();
    if (mHasIcon) {
        const QPixmap pixmap = QPixmap::fromImage(IconImage(mIcon));
        mImgIcon->setFixedSize(pixmap.size());
        mImgIcon->setPixmap(pixmap);
    }
}

void TBMP2IconForm::LoadSavedIcon() {
    // A file that does not load leaves the picture as it was.
    QImage image;
    if (!mSavedIconPath.isEmpty() && image.load(mSavedIconPath)) {
        mImgSavedIcon->setFixedSize(image.size().boundedTo(QSize(kMaxIconSize, kMaxIconSize)));
        mImgSavedIcon->setPixmap(QPixmap::fromImage(image));
    }
}

void TBMP2IconForm::FormActivate() {
    mHasIcon = false;
    mIcon = IconBitmaps();
    ShowIcon();
    if (!mStartPicName.isEmpty()) {
        mPicName = mStartPicName;
    }
    if (IsRegularFile(ToNative(mPicName))) {
        ShowPicturePath();
        if (mPicName != mFailedPreview) {
            RefreshPreview();
        }
    }
}

void TBMP2IconForm::RefreshPreview() {
    const FilterEntry* filter = FilterByIndex(mFilterCombo->findText(mFilterCombo->currentText()));
    if (filter == nullptr || mPicName.isEmpty()) {
        return;
    }
    try {
        const WaitCursor wait;
        Bitmap source = LoadPicture(ToNative(mPicName));
        mPreview =
            ScaleToBox(source, *filter, mChbARatio->isChecked(), kPreviewWidth, kPreviewHeight);
        mFailedPreview.clear();
    } catch (const std::exception&) {
        mFailedPreview = mPicName;
        Tell(QStringLiteral("Couldn't load ") + mPicName);
        return;
    }
    mImgPreview->PictureChanged();
    mTransparent = mPreview.PixelColor(0, 0);
    ShowTransparentColor();
}

void TBMP2IconForm::BtnbrowseClick() {
    Interaction::FileDialog dialog;
    dialog.filter = QString::fromLatin1(kPictureFilter);
    dialog.directory = FromNative(DirectoryPart(ToNative(mPicName)));
    const QString chosen = CurrentInteraction().OpenFileName(dialog);
    if (chosen.isEmpty()) {
        return;
    }
    // A new choice is reported again even when it is the picture that failed.
    mPicName = chosen;
    mFailedPreview.clear();
    ShowPicturePath();
    RefreshPreview();
}

void TBMP2IconForm::FilterComboChange() {
    RefreshPreview();
}

void TBMP2IconForm::ChbARatioClick() {
    RefreshPreview();
}

void TBMP2IconForm::TrackBar1Change() {
    const QString side = QString::number(mTrackBar1->value());
    mLabel5->setText(side + QStringLiteral(" * ") + side);
}

void TBMP2IconForm::ImgPreviewMouseDown(QPoint position) {
    if (position.x() < 0 || position.y() < 0 || position.x() >= mPreview.Width() ||
        position.y() >= mPreview.Height()) {
        return; // beside the picture: no colour there
    }
    mTransparent = mPreview.PixelColor(position.x(), position.y());
    ShowTransparentColor();
}

void TBMP2IconForm::ConvertButClick() {
    if (mPicName.isEmpty() || !IsRegularFile(ToNative(mPicName))) {
        Tell(QStringLiteral("You must load a picture first!"));
        return;
    }
    IconSettings settings;
    settings.size = mTrackBar1->value();
    // Text typed into the filter box names no filter: Mitchell, the default, then.
    if (const FilterEntry* filter =
            FilterByIndex(mFilterCombo->findText(mFilterCombo->currentText()))) {
        settings.filter = filter;
    }
    settings.keepAspect = mChbARatio->isChecked();
    settings.depth = DepthCodeOfChoice(RGColorIndex());
    settings.useTransparent = mCbTrans->isChecked();
    settings.transparent = mTransparent;
    mImgIcon->clear();
    try {
        const WaitCursor wait;
        Bitmap source = LoadPicture(ToNative(mPicName));
        ConvertedIcon converted = ConvertToIcon(source, settings);
        mGlyph = std::move(converted.glyph);
        mIcon = std::move(converted.icon);
        mHasIcon = true;
    } catch (const std::exception&) {
        Tell(QStringLiteral("Couldn't convert ") + mPicName);
        return;
    }
    ShowIcon();
}

void TBMP2IconForm::SaveButClick() {
    if (!mHasIcon) {
        Tell(QStringLiteral("First you must convert a picture into an Icon!"));
        return;
    }
    Interaction::FileDialog dialog;
    dialog.filter = QString::fromLatin1(kSaveFilter);
    dialog.defaultSuffix = QStringLiteral("ico");
    dialog.suffixFollowsFilter = true;
    dialog.directory =
        FromNative(DirectoryPart(ToNative(mSavedIconPath.isEmpty() ? mPicName : mSavedIconPath)));
    const std::optional<Interaction::SaveChoice> choice = CurrentInteraction().SaveFileName(dialog);
    if (choice) {
        const std::string name = ToNative(choice->fileName);
        const std::uint8_t depth = DepthCodeOfChoice(RGColorIndex());
        std::string failure;
        if (choice->filterIndex == kGlyphFilter) {
            try {
                const WaitCursor wait;
                SaveGlyph(mGlyph, depth, name);
            } catch (const std::exception& error) {
                failure = error.what();
            }
        } else {
            WriteIconFile(name, mIcon, depth, &failure);
        }
        mSavedIconPath = choice->fileName;
        if (!failure.empty()) {
            ShowErrorMessage(FromNative(failure));
        }
    }
    LoadSavedIcon();
}

void TBMP2IconForm::browsebutClick() {
    Interaction::FileDialog dialog;
    dialog.filter = QStringLiteral("Executable (*)");
    dialog.directory = QStringLiteral("/usr/bin/");
    const QString chosen = CurrentInteraction().OpenFileName(dialog);
    if (chosen.isEmpty()) {
        return;
    }
    if (!IsProgram(chosen)) {
        Tell(chosen + QStringLiteral(" is not a program that can be started."));
        return;
    }
    IniWriteString(ToNative(mIniName), kIconEditorSection, kIconEditorKey, ToNative(chosen));
}

void TBMP2IconForm::OpenEditClick() {
    const std::string editor =
        IniReadString(ToNative(mIniName), kIconEditorSection, kIconEditorKey, "");
    if (editor.empty()) {
        Tell(QStringLiteral("Choose the icon editor first (Browse)."));
        return;
    }
    std::vector<std::string> arguments;
    const std::string saved = ToNative(mSavedIconPath);
    if (IsRegularFile(saved)) {
        arguments.push_back(saved);
    }
    if (!CurrentEnvironment().StartDetached(editor, arguments)) {
        Tell(QStringLiteral("Couldn't start ") + FromNative(editor));
    }
}

void TBMP2IconForm::SpeedButton1Click() {
    close();
}

} // namespace pixmoth
