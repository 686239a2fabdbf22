#include "FakeClock.h"
#include "QtWidgets.h"
#include "forms/Form1/Form1.h"
#include "forms/frmAbout/frmAbout.h"
#include "platform/RecordingPlatform.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

namespace reg = platform::registry;

constexpr std::string_view HomePage = "https://nodrell.example.org/";

class QtAboutWindow : public testing::Test {
protected:
    FakeClock clock;
    platform::RecordingPlatform system;
    std::unique_ptr<Form1> form;
    QObject scope; // the timers of one test end with it

    void SetUp() override {
        clock.now = {9, 0, 0};
        form = std::make_unique<Form1>(clock, system);
        form->Show();
        ASSERT_TRUE(waitActive("Form1"));
    }

    // Runs `step` once the About window has been open for a moment.
    void whileOpen(int afterMilliseconds, std::function<void(QWidget& about)> step) {
        QTimer::singleShot(afterMilliseconds, &scope, [step] {
            QWidget* about = topLevel("frmAbout");
            if (about == nullptr || !about->isVisible()) {
                ADD_FAILURE() << "the About window is not open";
                return;
            }
            step(*about);
        });
    }

    // Presses the About button; returns once the About window is closed again. A window
    // that the test's steps leave open counts as a failure and is closed.
    void openAbout() {
        QObject guard;
        QTimer::singleShot(5000, &guard, [] {
            if (QWidget* about = topLevel("frmAbout")) {
                ADD_FAILURE() << "the About window stayed open";
                about->close();
            }
        });
        QTest::mouseClick(widget("Form1", "Command3"), Qt::LeftButton);
    }

    static QString focused() {
        QWidget* focus = QApplication::focusWidget();
        return focus != nullptr ? focus->objectName() : QString();
    }
    static void press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
};

TEST_F(QtAboutWindow, TheAboutButtonShowsItModallyWithTheFocusOnOk) {
    bool checked = false;
    whileOpen(200, [&](QWidget& about) {
        EXPECT_EQ(about.windowTitle(), "About Nodrell");
        EXPECT_EQ(QApplication::activeModalWidget(), &about);
        EXPECT_EQ(focused(), "cmdOK");
        EXPECT_EQ(about.width(), 382);
        EXPECT_EQ(about.height(), 237);
        EXPECT_EQ(about.pos(), QPoint(156, 129));
        // The countdown window takes no input meanwhile.
        EXPECT_TRUE(QApplication::activeModalWidget() != topLevel("Form1"));
        auto* ok = qobject_cast<QPushButton*>(widget("frmAbout", "cmdOK"));
        ASSERT_NE(ok, nullptr);
        EXPECT_TRUE(ok->isDefault());
        EXPECT_EQ(ok->geometry(), QRect(283, 175, 84, 23));
        EXPECT_EQ(widget("frmAbout", "cmdSysInfo")->geometry(), QRect(284, 205, 83, 23));
        auto* title = qobject_cast<QLabel*>(widget("frmAbout", "lblTitle2"));
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->text(), "Nodrell");
        EXPECT_EQ(widget("frmAbout", "lblURL")->pos(), QPoint(72, 140));
        EXPECT_TRUE(widget("frmAbout", "lblURL")->font().underline());
        // The etched separator: grey above, white below.
        EXPECT_EQ(widget("frmAbout", "Line1(1)")->geometry(), QRect(6, 163, 371, 1));
        EXPECT_EQ(widget("frmAbout", "Line1(0)")->geometry(), QRect(7, 164, 370, 2));
        checked = true;
        press(Qt::Key_Escape);
        EXPECT_FALSE(about.isVisible());
    });
    openAbout();
    EXPECT_TRUE(checked);
    EXPECT_EQ(topLevel("frmAbout"), nullptr); // unloaded
}

TEST_F(QtAboutWindow, TheBlackTitleLiesInFrontOfTheWhiteOne) {
    bool checked = false;
    whileOpen(200, [&](QWidget& about) {
        const QPoint inBoth(80, 25);
        EXPECT_EQ(about.childAt(inBoth), widget("frmAbout", "lblTitle2"));
        EXPECT_EQ(about.childAt(QPoint(20, 40)), widget("frmAbout", "Image1"));
        checked = true;
        press(Qt::Key_Escape);
    });
    openAbout();
    EXPECT_TRUE(checked);
}

TEST_F(QtAboutWindow, EnterOnOkCloses) {
    bool pressed = false;
    whileOpen(200, [&](QWidget& about) {
        EXPECT_EQ(focused(), "cmdOK");
        pressed = true;
        press(Qt::Key_Return);
        EXPECT_FALSE(about.isVisible());
    });
    openAbout();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(topLevel("frmAbout"), nullptr);
}

TEST_F(QtAboutWindow, EscapeClosesAlsoFromTheSystemInfoButton) {
    bool pressed = false;
    whileOpen(200, [&](QWidget& about) {
        widget("frmAbout", "cmdSysInfo")->setFocus();
        EXPECT_EQ(focused(), "cmdSysInfo");
        pressed = true;
        press(Qt::Key_Escape);
        EXPECT_FALSE(about.isVisible());
    });
    openAbout();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(topLevel("frmAbout"), nullptr);
    EXPECT_TRUE(system.keysOpened.empty()); // the tool was not looked for
}

TEST_F(QtAboutWindow, EnterOnTheSystemInfoButtonPressesItAndTheWindowStays) {
    BoxSeen seen;
    bool stillOpen = false;
    whileOpen(200, [&](QWidget&) {
        widget("frmAbout", "cmdSysInfo")->setFocus();
        closeNextBox(seen, 200);
        press(Qt::Key_Return); // waits in the message box
        stillOpen = topLevel("frmAbout") != nullptr && topLevel("frmAbout")->isVisible();
        press(Qt::Key_Escape);
        EXPECT_FALSE(topLevel("frmAbout")->isVisible());
    });
    openAbout();
    EXPECT_EQ(seen.text, "System Information Is Unavailable At This Time");
    EXPECT_EQ(seen.title, "Nodrell");
    EXPECT_FALSE(seen.warning);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(system.programsStarted.empty());
}

// As in the system's dialogs, OK looks like the default button only while no other button
// has the focus. Enter on System Info opens its box once, and Enter closes it.
TEST_F(QtAboutWindow, TheKeyboardWorksItAsASystemDialog) {
    const auto looksDefault = [](const char* name) {
        return qobject_cast<QPushButton*>(widget("frmAbout", name))->isDefault();
    };
    BoxSeen seen;
    whileOpen(200, [&](QWidget& about) {
        QTest::keyClick(&about, Qt::Key_Tab);
        EXPECT_TRUE(looksDefault("cmdSysInfo"));
        EXPECT_FALSE(looksDefault("cmdOK"));
        closeNextBox(seen, 200, Qt::Key_Return);
        QTest::keyPress(widget("frmAbout", "cmdSysInfo"), Qt::Key_Return);
        finishKeystroke(Qt::Key_Return);
        EXPECT_EQ(QApplication::activeModalWidget(), &about); // no second box
        press(Qt::Key_Escape);
    });
    openAbout();
    EXPECT_EQ(seen.text, "System Information Is Unavailable At This Time");
}

TEST_F(QtAboutWindow, OpeningTwiceShowsTheSameTextsAgain) {
    std::vector<QString> texts[2];
    for (auto& seen : texts) {
        whileOpen(200, [&](QWidget& about) {
            seen.push_back(about.windowTitle());
            for (const char* name : {"lblVersion", "lblTitle", "lblTitle2", "lblURL", "Label1",
                                     "lblDescription", "lblDisclaimer"})
                seen.push_back(qobject_cast<QLabel*>(widget("frmAbout", name))->text());
            seen.push_back(focused());
            press(Qt::Key_Escape);
        });
        openAbout();
    }
    ASSERT_EQ(texts[0].size(), 9u);
    EXPECT_EQ(texts[0][0], "About Nodrell");
    EXPECT_EQ(texts[0][1], "Version 1.3.0");
    EXPECT_EQ(texts[0][8], "cmdOK");
    EXPECT_EQ(texts[0], texts[1]);
}

TEST_F(QtAboutWindow, TheTitleBarsCloseButtonUnloadsIt) {
    whileOpen(200, [](QWidget& about) { about.close(); });
    openAbout();
    EXPECT_EQ(topLevel("frmAbout"), nullptr);
    EXPECT_TRUE(waitActive("Form1"));
}

// Opening the About window a thousand times leaves nothing behind: every opening builds the
// window anew and closing it must give all of it back. The sanitizer build checks the heap
// for leaks at exit; every build counts the widgets.
TEST(AboutRepeat, AThousandOpeningsLeaveNoWidgetBehind) {
    FakeClock clock;
    platform::RecordingPlatform system;
    Form1 form(clock, system);
    form.Show();

    const auto widgetsBefore = QApplication::allWidgets().size();
    int opened = 0;
    for (int i = 0; i < 1000; ++i) {
        QTimer::singleShot(0, [&opened] {
            if (QWidget* about = topLevel("frmAbout"); about && about->isVisible()) {
                ++opened;
                about->close();
            }
        });
        form.Command3().onClick();
    }
    EXPECT_EQ(opened, 1000);
    EXPECT_EQ(QApplication::allWidgets().size(), widgetsBefore);
    EXPECT_EQ(topLevel("frmAbout"), nullptr);
}

} // namespace
