#pragma once

#include <QColor>
#include <QDialog>
#include <QPixmap>
#include <QPoint>
#include <QTime>
#include <QTimer>
#include <QUrl>

class QLabel;
class QPushButton;
class QStackedWidget;
class QTextBrowser;
class QToolButton;

namespace pixmoth {

class BinaryClockPanel;
class TMovieScroll;

// The about window: page 1 with the program's name, version, copyright and a
// binary clock, page 2 with the project's local web pages; below them the
// credits (as text that can be dragged, or a scroller placed there), the mail
// and home-page links, and the system-information and close buttons. The
// caption shows the time, renewed every second. Built and filled by
// TAboutBoxDlg::Execute.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

    void SetUseBackBMP(bool use);
    void SetBackBMP(const QPixmap& picture);
    void SetBackCol(const QColor& color) { mBackCol = color; }
    void SetProductName(const QString& name);
    void SetVersion(const QString& version);
    void SetCopyright(const QString& copyright);
    void SetComments(const QString& text);
    void SetProgramIcon(const QIcon& icon);
    // Shows `scroller` in place of the comments, which are hidden.
    void PlaceScroller(TMovieScroll* scroller);

    QStackedWidget* PageControl1() const { return mPages; }
    BinaryClockPanel* ClockPanel() const { return mClock; }
    QTextBrowser* WebBrowser1() const { return mBrowser; }
    QLabel* Comments() const { return mComments; }

    // Caption and clock for `time`; the timer passes the current time.
    void ShowTime(const QTime& time);

public slots:
    void Timer1Timer();
    void AboutPageClick();
    void WebPageClick();
    void BackClick();
    void ForwardClick();
    void UpdateListClick();
    void SysInfoClick();
    void MailClick();
    void HomePageClick();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildAboutPage();
    QWidget* BuildWebPage();
    QWidget* BuildCommentsPanel();
    void FormActivate();
    void BrowserLinkClicked(const QUrl& url);
    void OpenOnDesktop(const QString& address);
    void FitComments();
    bool DragComments(QEvent* event);
    bool DragWindow(QEvent* event);

    bool mUseBackBMP = false;
    QPixmap mBackBMP;
    QColor mBackCol = Qt::white;
    bool mActivated = false;

    QLabel* mHeader = nullptr;
    QLabel* mProductName = nullptr;
    QLabel* mVersion = nullptr;
    QLabel* mRelease = nullptr;
    QLabel* mBuild = nullptr;
    QLabel* mCopyright = nullptr;
    QLabel* mProgramIcon = nullptr;
    BinaryClockPanel* mClock = nullptr;
    QStackedWidget* mPages = nullptr;
    QTextBrowser* mBrowser = nullptr;
    QToolButton* mBackButton = nullptr;
    QToolButton* mForwardButton = nullptr;
    QWidget* mMiddle = nullptr;        // the credits and the two lines below them
    QWidget* mCommentsPanel = nullptr; // clips the comments text
    QLabel* mComments = nullptr;
    QTimer mTimer1;

    int mCommentsGrabY = 0; // where the comments text was taken, in its own y
    QPoint mWindowGrab;     // from the window's corner to the mouse, while moving it
    bool mMovingWindow = false;
};

} // namespace pixmoth
