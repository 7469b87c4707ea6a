#include <functional>
#include <memory>

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QToolButton>

#include "app/TForm1.h"
#include "app/WidgetTestSupport.h"
#include "chrome/AboutLinks.h"
#include "chrome/BinaryClockPanel.h"
#include "chrome/TAboutBox.h"
#include "chrome/TAboutBoxDlg.h"
#include "chrome/TMovieScroll.h"
#include "document/TChild.h"
#include "imaging/codecs/BmpCodec.h"

namespace pixmoth {

using test::ProgramSandbox;

namespace {

// Runs `look` on the about box once Execute shows it, then closes the box
// with its Close button. `ran` tells whether it was shown.
void WhenShown(bool& ran, std::function<void(TAboutBox&)> look) {
    ran = false;
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [&ran, look, poll] {
        auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            QTimer::singleShot(10, *poll);
            return;
        }
        ran = true;
        look(*box);
        box->findChild<QPushButton*>(QStringLiteral("CloseButton"))->click();
    };
    QTimer::singleShot(0, *poll);
}

QString ExecutableName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

} // namespace

class TAboutBoxTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ProgramSandbox> mSandbox;

private slots:
    void initTestCase() {
        test::SilenceOffscreenNoise();
        QLocale::setDefault(QLocale::c());
    }
    void init() { mSandbox = std::make_unique<ProgramSandbox>(); }
    void cleanup() { mSandbox.reset(); }

    void MovieSpeedKeepsOneTo99AndTakesOthersAs50() {
        TAboutBoxDlg about;
        const int cases[][2] = {{0, 50}, {100, 50}, {-5, 50}, {44, 44}, {1, 1}, {99, 99}};
        for (const auto& c : cases) {
            about.SetMovieSpeed(c[0]);
            QCOMPARE(about.MovieSpeed(), c[1]);
        }
    }

    // 13:37:05: hours 8 4 1, minutes 32 4 1 and seconds 4 1 silver, all other
    // lamps navy; the caption carries the time.
    void ClockAndCaptionShowTheTime() {
        TAboutBox box;
        box.ShowTime(QTime(13, 37, 5));
        const struct {
            BinaryClockPanel::Column column;
            QList<int> lit;
            QList<int> weights;
        } columns[] = {{BinaryClockPanel::Hours, {8, 4, 1}, {16, 8, 4, 2, 1}},
                       {BinaryClockPanel::Minutes, {32, 4, 1}, {32, 16, 8, 4, 2, 1}},
                       {BinaryClockPanel::Seconds, {4, 1}, {32, 16, 8, 4, 2, 1}}};
        for (const auto& c : columns) {
            for (const int weight : c.weights) {
                QCOMPARE(box.ClockPanel()->LampColor(c.column, weight),
                         c.lit.contains(weight) ? QColor(192, 192, 192) : QColor(0, 0, 128));
            }
        }
        QCOMPARE(box.windowTitle(), QStringLiteral("About: %1!       Actual time: 13:37:05")
                                        .arg(QFileInfo(ExecutableName()).completeBaseName()));
    }

    void SystemInformationShowsTheLinuxFacts() {
        TAboutBox box;
        box.findChild<QPushButton*>(QStringLiteral("SysInfoButton"))->click();
        const QStringList told = mSandbox->interaction.Texts(QStringLiteral("tell"));
        QCOMPARE(told.size(), 1);
        const QStringList lines = told.first().split(QStringLiteral("\n\r"));
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], QStringLiteral("You are probably Running Linux"));
        QVERIFY(QRegularExpression(QStringLiteral("^Version Info: \\d+\\.\\d+   Build : \\d+$"))
                    .match(lines[1])
                    .hasMatch());
        QVERIFY(
            QRegularExpression(QStringLiteral("^Free Memory: Tot: [1-9]\\d* KB     Avl: \\d+ KB$"))
                .match(lines[2])
                .hasMatch());
        QCOMPARE(lines[3], QStringLiteral("Free Hard disk Space: "));
        QVERIFY2(lines[4].startsWith(QStringLiteral("/: ")), qPrintable(lines[4]));
    }

    // The mail link hands a mailto: address with the program's path as subject
    // to xdg-email, else xdg-open; without either it says so.
    void LinksGoToTheDesktopsPrograms() {
        const std::string mailto =
            MailtoUri(kMailAddress, QCoreApplication::applicationFilePath().toStdString());
        const struct {
            std::set<std::string> programs;
            std::string started;
        } cases[] = {
            {{"xdg-email", "xdg-open"}, "xdg-email"}, {{"xdg-open"}, "xdg-open"}, {{}, ""}};
        for (const auto& c : cases) {
            mSandbox->environment.programs = c.programs;
            mSandbox->environment.started.clear();
            mSandbox->interaction.shown.clear();
            TAboutBox box;
            box.MailClick();
            if (c.started.empty()) {
                QVERIFY(mSandbox->environment.started.empty());
                QCOMPARE(mSandbox->interaction.Texts(QStringLiteral("tell")),
                         QStringList{QStringLiteral("An Error occurred with Mail!")});
                QCOMPARE(mSandbox->interaction.shown.first().kind, Interaction::Kind::Error);
            } else {
                QCOMPARE(mSandbox->environment.started.size(), 1u);
                QCOMPARE(mSandbox->environment.started[0].program, c.started);
                QCOMPARE(mSandbox->environment.started[0].arguments,
                         std::vector<std::string>{mailto});
                QVERIFY(mSandbox->interaction.shown.isEmpty());
            }
        }
        mSandbox->environment.started.clear();
        TAboutBox box;
        box.HomePageClick();
        QCOMPARE(mSandbox->environment.started.size(), 1u);
        QCOMPARE(mSandbox->environment.started[0].program, "xdg-open");
        QCOMPARE(mSandbox->environment.started[0].arguments, std::vector<std::string>{kHomePage});
    }

    void PagesSwitchAndTheBrowserGoesBackAndForth() {
        TAboutBox box;
        box.show();
        auto* back = box.findChild<QToolButton*>(QStringLiteral("BackButton"));
        auto* forward = box.findChild<QToolButton*>(QStringLiteral("ForwardButton"));
        QTextBrowser* browser = box.WebBrowser1();
        box.WebPageClick();
        QCOMPARE(box.PageControl1()->currentIndex(), 1);
        QCOMPARE(box.PageControl1()->height(), 320);
        QCOMPARE(browser->source(), QUrl(QString::fromLatin1(kWebPage)));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Pixmoth")));
        QVERIFY(!back->isEnabled() && !forward->isEnabled());

        box.UpdateListClick();
        QCOMPARE(browser->source(), QUrl(QString::fromLatin1(kSoftwareListPage)));
        QVERIFY(back->isEnabled() && !forward->isEnabled());
        back->click();
        QCOMPARE(browser->source(), QUrl(QString::fromLatin1(kWebPage)));
        QVERIFY(!back->isEnabled() && forward->isEnabled());
        forward->click();
        QCOMPARE(browser->source(), QUrl(QString::fromLatin1(kSoftwareListPage)));
        // Coming back to the box (after the information box, say) keeps the page.
        box.hide();
        box.show();
        QCOMPARE(browser->source(), QUrl(QString::fromLatin1(kSoftwareListPage)));

        box.AboutPageClick();
        QCOMPARE(box.PageControl1()->currentIndex(), 0);
        QCOMPARE(box.PageControl1()->height(), 160);
    }

    // Without the scroller the credits stand as text that the mouse drags
    // up and down, never beyond its ends.
    void CommentsAreDraggedWithinTheirPanel() {
        TAboutBoxDlg about;
        about.SetUseMovie(false);
        QStringList credits;
        for (int i = 0; i < 40; ++i) {
            credits << QStringLiteral("[b]Line %1").arg(i);
        }
        about.SetAboutText(credits);
        bool ran = false;
        WhenShown(ran, [](TAboutBox& box) {
            QLabel* text = box.Comments();
            QVERIFY(text->isVisible());
            QVERIFY(box.findChild<TMovieScroll*>() == nullptr);
            QVERIFY(text->text().startsWith(QStringLiteral("Line 0\nLine 1\n")));
            const int panel = text->parentWidget()->height();
            QVERIFY(text->height() > panel);
            const struct {
                int by;
                int top;
            } drags[] = {{-30, -30}, {100, 0}, {-5000, panel - text->height()}};
            for (const auto& drag : drags) {
                const QPoint from(10, 50);
                test::SendMouse(text, QEvent::MouseButtonPress, from, Qt::LeftButton,
                                Qt::LeftButton);
                test::SendMouse(text, QEvent::MouseMove, from + QPoint(0, drag.by), Qt::NoButton,
                                Qt::LeftButton);
                test::SendMouse(text, QEvent::MouseButtonRelease, from + QPoint(0, drag.by),
                                Qt::LeftButton, Qt::NoButton);
                QCOMPARE(text->y(), drag.top);
            }
        });
        QVERIFY(about.Execute());
        QVERIFY(ran);
    }

    // "&About..." in the main window's Help menu and in a document window's
    // shows the box over the main window, the credits scrolling in a loop.
    void AboutOpensFromBothHelpMenus() {
        TForm1 form;
        form.FormCreate();
        form.show();
        const QString picture = mSandbox->Root() + "a.bmp";
        SaveBmp(test::GradientBitmap(20, 10), picture.toStdString());
        form.OpenPicture(picture);
        QCOMPARE(form.Documents().size(), 1);
        QAction* menus[] = {
            form.Command(QStringLiteral("About1Click")),
            form.Documents().first()->findChild<QAction*>(QStringLiteral("About1Click"))};
        for (QAction* about : menus) {
            QVERIFY(about != nullptr);
            QCOMPARE(about->text(), QStringLiteral("&About..."));
            bool ran = false;
            WhenShown(ran, [&form](TAboutBox& box) {
                QCOMPARE(box.parentWidget(), &form);
                QCOMPARE(box.size(), QSize(440, 395));
                QVERIFY(box.windowTitle().startsWith(QStringLiteral("About")));
                auto* scroller = box.findChild<TMovieScroll*>();
                QVERIFY(scroller != nullptr && scroller->isVisible());
                QVERIFY(scroller->Loop() && scroller->Running());
                QCOMPARE(scroller->TimerInterval(), 44);
                QCOMPARE(scroller->BackColor(), QColor(0, 0, 128));
                QVERIFY(scroller->ScrollText().size() >= 30);
                QVERIFY(!box.Comments()->isVisible());
            });
            test::Trigger(about);
            QVERIFY(ran);
        }
        delete form.Documents().first();
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::TAboutBoxTest)
#include "TAboutBoxTest.moc"
