#include "chrome/TAboutBox.h"

#include <algorithm>
#include <vector>

#include <QButtonGroup>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QStorageInfo>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include "chrome/AboutLinks.h"
#include "chrome/BinaryClockPanel.h"
#include "chrome/FileVersion.h"
#include "chrome/SystemFacts.h"
#include "chrome/TMovieScroll.h"
#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "platform/PaintProgram.h"
#include "platform/QtPaths.h"

namespace pixmoth {

namespace {

constexpr int kAboutPageHeight = 160;
constexpr int kWebPageHeight = 320;

QString ExecutableBaseName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

// The locale's time with seconds, without the time zone its long format adds.
QString TimeText(const QTime& time) {
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    return QLocale().toString(time, format.trimmed());
}

QLabel* NewLabel(const QString& name, const QString& text = QString()) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    return label;
}

QToolButton* NewToolButton(QToolBar* bar, const QString& name, const QString& caption) {
    auto* button = new QToolButton;
    button->setObjectName(name);
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(button);
    return button;
}

// The free space of the mounted file systems, "/" first, then by mount point.
// File systems that cannot be asked are left out.
std::vector<DriveSpace> MountedDrives() {
    std::vector<DriveSpace> drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady()) {
            drives.push_back(
                {ToNative(volume.rootPath()), static_cast<std::uint64_t>(volume.bytesAvailable())});
        }
    }
    std::sort(drives.begin(), drives.end(),
              [](const DriveSpace& a, const DriveSpace& b) { return a.name < b.name; });
    return drives;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setFixedSize(440, 395);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->setSpacing(4);

    auto* toolBar = new QToolBar;
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    QToolButton* aboutPage =
        NewToolButton(toolBar, QStringLiteral("AboutPageButton"), QStringLiteral("About "));
    QToolButton* webPage =
        NewToolButton(toolBar, QStringLiteral("WebPageButton"), QString::fromLatin1(kMakerSite));
    // The button of the page on show stays down.
    auto* pageButtons = new QButtonGroup(this);
    for (QToolButton* button : {aboutPage, webPage}) {
        button->setCheckable(true);
        pageButtons->addButton(button);
    }
    aboutPage->setChecked(true);
    connect(aboutPage, &QToolButton::clicked, this, &TAboutBox::AboutPageClick);
    connect(webPage, &QToolButton::clicked, this, &TAboutBox::WebPageClick);
    layout->addWidget(toolBar);

    mPages = new QStackedWidget;
    mPages->setObjectName(QStringLiteral("PageControl1"));
    mPages->addWidget(BuildAboutPage());
    mPages->addWidget(BuildWebPage());
    mPages->setFixedHeight(kAboutPageHeight);
    layout->addWidget(mPages);

    mMiddle = new QWidget;
    auto* middle = new QVBoxLayout(mMiddle);
    middle->setContentsMargins(8, 0, 8, 0);
    middle->setSpacing(4);
    middle->addWidget(BuildCommentsPanel(), 1);
    QLabel* dragHint = NewLabel(QStringLiteral("DragHint"),
                                QStringLiteral("Left mouse click on text to drag window!"));
    QLabel* suggestions = NewLabel(QStringLiteral("Suggestions"),
                                   QStringLiteral("Suggestions are welcome: mail us or visit %1")
                                       .arg(QString::fromLatin1(kMakerSite)));
    for (QLabel* label : {dragHint, suggestions}) {
        label->setAlignment(Qt::AlignCenter);
        label->installEventFilter(this);
        middle->addWidget(label);
    }
    layout->addWidget(mMiddle, 1);

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(8, 0, 8, 0);
    QLabel* mail =
        NewLabel(QStringLiteral("MailLink"), QStringLiteral("<a href=\"mail\">Mail me!</a>"));
    connect(mail, &QLabel::linkActivated, this, &TAboutBox::MailClick);
    QLabel* home =
        NewLabel(QStringLiteral("HomePageLink"),
                 QStringLiteral("<a href=\"home\">%1</a>").arg(QString::fromLatin1(kHomePage)));
    connect(home, &QLabel::linkActivated, this, &TAboutBox::HomePageClick);
    auto* info = new QPushButton(QStringLiteral("System..."));
    info->setObjectName(QStringLiteral("SysInfoButton"));
    info->setToolTip(QStringLiteral("show hardisk preferences"));
    info->setAutoDefault(false);
    connect(info, &QPushButton::clicked, this, &TAboutBox::SysInfoClick);
    auto* close = new QPushButton(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setToolTip(QStringLiteral("Close About Box"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    bottom->addWidget(mail);
    bottom->addSpacing(12);
    bottom->addWidget(home);
    bottom->addStretch(1);
    bottom->addWidget(info);
    bottom->addWidget(close);
    layout->addLayout(bottom);

    mTimer1.setInterval(1000);
    connect(&mTimer1, &QTimer::timeout, this, &TAboutBox::Timer1Timer);

    const FileVersion version = ProgramFileVersion();
    mRelease->setText(QStringLiteral("Release: %1").arg(version.release));
    mBuild->setText(QStringLiteral("Build: %1").arg(version.build));
}

QWidget* TAboutBox::BuildAboutPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    mHeader = NewLabel(QStringLiteral("Header"));
    mHeader->setPixmap(QPixmap(QStringLiteral(":/about/header.png")));
    mHeader->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    layout->addWidget(mHeader);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(12, 6, 12, 4);
    row->setSpacing(12);
    mProgramIcon = NewLabel(QStringLiteral("ProgramIcon"));
    mProgramIcon->setFixedSize(48, 48);
    row->addWidget(mProgramIcon, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    mProductName = NewLabel(QStringLiteral("ProductName"));
    QFont big = mProductName->font();
    big.setPixelSize(18);
    big.setBold(true);
    mProductName->setFont(big);
    mVersion = NewLabel(QStringLiteral("Version"));
    mRelease = NewLabel(QStringLiteral("Release"));
    mBuild = NewLabel(QStringLiteral("Build"));
    mCopyright = NewLabel(QStringLiteral("Copyright"));
    auto* numbers = new QHBoxLayout;
    numbers->setSpacing(16);
    numbers->addWidget(mRelease);
    numbers->addWidget(mBuild);
    numbers->addStretch(1);
    auto* copyright = new QHBoxLayout;
    copyright->setSpacing(4);
    QLabel* sign = NewLabel(QStringLiteral("Sign"), QStringLiteral("©"));
    copyright->addWidget(sign);
    copyright->addWidget(mCopyright, 1);
    texts->addWidget(mProductName);
    texts->addWidget(mVersion);
    texts->addLayout(numbers);
    texts->addLayout(copyright);
    texts->addStretch(1);
    row->addLayout(texts, 1);

    mClock = new BinaryClockPanel;
    row->addWidget(mClock, 0, Qt::AlignTop);
    layout->addLayout(row, 1);

    // Dragging these moves the window, as the line below the credits says.
    for (QLabel* label : {mHeader, mProductName, mVersion, mRelease, mBuild, mCopyright, sign}) {
        label->installEventFilter(this);
    }
    return page;
}

QWidget* TAboutBox::BuildWebPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QToolBar;
    bar->setObjectName(QStringLiteral("ToolBar2"));
    mBackButton = NewToolButton(bar, QStringLiteral("BackButton"), QStringLiteral("<"));
    QToolButton* update = NewToolButton(bar, QStringLiteral("UpdateListButton"),
                                        QStringLiteral("   Update List        "));
    mForwardButton = NewToolButton(bar, QStringLiteral("ForwardButton"), QStringLiteral(">"));
    mBackButton->setEnabled(false);
    mForwardButton->setEnabled(false);
    connect(mBackButton, &QToolButton::clicked, this, &TAboutBox::BackClick);
    connect(update, &QToolButton::clicked, this, &TAboutBox::UpdateListClick);
    connect(mForwardButton, &QToolButton::clicked, this, &TAboutBox::ForwardClick);
    layout->addWidget(bar);

    mBrowser = new QTextBrowser;
    mBrowser->setObjectName(QStringLiteral("WebBrowser1"));
    // Local pages open here; anything else goes to the desktop's browser.
    mBrowser->setOpenLinks(false);
    connect(mBrowser, &QTextBrowser::anchorClicked, this, &TAboutBox::BrowserLinkClicked);
    connect(mBrowser, &QTextBrowser::backwardAvailable, mBackButton, &QWidget::setEnabled);
    connect(mBrowser, &QTextBrowser::forwardAvailable, mForwardButton, &QWidget::setEnabled);
    layout->addWidget(mBrowser, 1);
    return page;
}

QWidget* TAboutBox::BuildCommentsPanel() {
    mCommentsPanel = new QWidget;
    mCommentsPanel->setObjectName(QStringLiteral("CommentsPanel"));
    mComments = NewLabel(QStringLiteral("Comments"), QStringLiteral("Comments"));
    mComments->setParent(mCommentsPanel);
    mComments->setWordWrap(true);
    mComments->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    mComments->setToolTip(QStringLiteral("Drag to scroll"));
    mComments->installEventFilter(this);
    mCommentsPanel->installEventFilter(this);
    return mCommentsPanel;
}

void TAboutBox::SetUseBackBMP(bool use) {
    mUseBackBMP = use;
    update();
}

void TAboutBox::SetBackBMP(const QPixmap& picture) {
    mBackBMP = picture;
    update();
}

void TAboutBox::SetProductName(const QString& name) {
    mProductName->setText(name);
}

void TAboutBox::SetVersion(const QString& version) {
    mVersion->setText(QStringLiteral("Version %1").arg(version));
}

void TAboutBox::SetCopyright(const QString& copyright) {
    mCopyright->setText(copyright);
}

void TAboutBox::SetComments(const QString& text) {
    mComments->setText(text);
    FitComments();
}

void TAboutBox::SetProgramIcon(const QIcon& icon) {
    mProgramIcon->setPixmap(icon.pixmap(48, 48));
}

void TAboutBox::PlaceScroller(TMovieScroll* scroller) {
    auto* middle = static_cast<QVBoxLayout*>(mMiddle->layout());
    middle->replaceWidget(mCommentsPanel, scroller);
    middle->setStretchFactor(scroller, 1);
    mCommentsPanel->hide();
    scroller->show();
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!mActivated) {
        mActivated = true;
        FormActivate();
    }
}

void TAboutBox::FormActivate() {
    // Once per window, not on every activation: coming back from the
    // information box must not take the browser off the page the user chose.
    mBrowser->setSource(QUrl(QString::fromLatin1(kWebPage)));
    mProductName->setText(ExecutableBaseName());
    mClock->SetBackColor(mBackCol);
    mHeader->setVisible(!mUseBackBMP);
    // The clock shows the time at once rather than after the first second.
    Timer1Timer();
    mTimer1.start();
}

void TAboutBox::paintEvent(QPaintEvent* event) {
    if (mUseBackBMP && !mBackBMP.isNull()) {
        QPainter(this).fillRect(rect(), QBrush(mBackBMP));
        return;
    }
    QDialog::paintEvent(event);
}

void TAboutBox::Timer1Timer() {
    ShowTime(QTime::currentTime());
}

void TAboutBox::ShowTime(const QTime& time) {
    setWindowTitle(QStringLiteral("About: %1!       Actual time: %2")
                       .arg(ExecutableBaseName(), TimeText(time)));
    mClock->ShowTime(time);
}

void TAboutBox::AboutPageClick() {
    mPages->setCurrentIndex(0);
    mPages->setFixedHeight(kAboutPageHeight);
    mMiddle->show();
}

void TAboutBox::WebPageClick() {
    mPages->setCurrentIndex(1);
    mPages->setFixedHeight(kWebPageHeight);
    // The taller page takes the credits' place.
    mMiddle->hide();
}

void TAboutBox::BackClick() {
    mBrowser->backward();
}

void TAboutBox::ForwardClick() {
    mBrowser->forward();
}

void TAboutBox::UpdateListClick() {
    mBrowser->setSource(QUrl(QString::fromLatin1(kSoftwareListPage)));
}

void TAboutBox::BrowserLinkClicked(const QUrl& url) {
    const QUrl target = mBrowser->source().resolved(url);
    if (target.scheme() == QStringLiteral("qrc")) {
        mBrowser->setSource(target);
    } else {
        OpenOnDesktop(target.toString());
    }
}

void TAboutBox::OpenOnDesktop(const QString& address) {
    const ProgramCall call = DesktopOpenCall(address.toStdString());
    if (!CurrentEnvironment().StartDetached(call.program, call.arguments)) {
        CurrentInteraction().Tell(
            Interaction::Kind::Error,
            QStringLiteral("%1 could not be opened: xdg-open did not start.").arg(address));
    }
}

void TAboutBox::SysInfoClick() {
    const std::string text = InformationText(ReadSystemFacts(), MountedDrives());
    CurrentInteraction().Tell(Interaction::Kind::Information, QString::fromStdString(text));
}

void TAboutBox::MailClick() {
    const std::string uri =
        MailtoUri(kMailAddress, ToNative(QCoreApplication::applicationFilePath()));
    const ProgramCall call = MailLinkCall(CurrentEnvironment(), uri);
    if (call.program.empty() || !CurrentEnvironment().StartDetached(call.program, call.arguments)) {
        CurrentInteraction().Tell(Interaction::Kind::Error,
                                  QStringLiteral("An Error occurred with Mail!"));
    }
}

void TAboutBox::HomePageClick() {
    OpenOnDesktop(QString::fromLatin1(kHomePage));
}

void TAboutBox::FitComments() {
    const int width = std::max(1, mCommentsPanel->width() - 5);
    mComments->resize(width, mComments->heightForWidth(width));
}

bool TAboutBox::DragComments(QEvent* event) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const int y = static_cast<int>(mouse->position().y());
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        mComments->setCursor(Qt::ClosedHandCursor);
        mCommentsGrabY = y;
        return true;
    case QEvent::MouseMove:
        if (mouse->buttons() & Qt::LeftButton) {
            // The text moves with the mouse but never leaves a gap above or
            // below it; a text shorter than the panel stays at the top.
            const int lowest = std::min(0, mCommentsPanel->height() - mComments->height());
            mComments->move(mComments->x(),
                            std::clamp(y + mComments->y() - mCommentsGrabY, lowest, 0));
        }
        return true;
    case QEvent::MouseButtonRelease:
        mComments->unsetCursor();
        return true;
    default:
        return false;
    }
}

bool TAboutBox::DragWindow(QEvent* event) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (mouse->button() != Qt::LeftButton) {
            return false;
        }
        // The window manager moves the window when it can; without one (a
        // bare X server) the window follows the mouse itself.
        mMovingWindow = windowHandle() == nullptr || !windowHandle()->startSystemMove();
        mWindowGrab = mouse->globalPosition().toPoint() - frameGeometry().topLeft();
        return true;
    case QEvent::MouseMove:
        if (mMovingWindow && (mouse->buttons() & Qt::LeftButton)) {
            move(mouse->globalPosition().toPoint() - mWindowGrab);
        }
        return mMovingWindow;
    case QEvent::MouseButtonRelease:
        mMovingWindow = false;
        return false;
    default:
        return false;
    }
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mCommentsPanel) {
        if (event->type() == QEvent::Resize) {
            FitComments();
        }
        return false;
    }
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease) {
        return false;
    }
    return watched == mComments ? DragComments(event) : DragWindow(event);
}

} // namespace pixmoth
