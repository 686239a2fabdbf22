#include "FakeClock.h"
#include "QtWidgets.h"
#include "forms/Form1/Form1.h"
#include "platform/RecordingPlatform.h"
#include "toolkit/Program.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <vector>

namespace {

class Countdown : public testing::Test {
protected:
    FakeClock clock;
    platform::RecordingPlatform system;
    std::unique_ptr<Form1> form;

    void SetUp() override {
        clock.now = {9, 0, 0};
        form = std::make_unique<Form1>(clock, system);
        form->Show();
        ASSERT_TRUE(waitActive("Form1"));
    }

    QWidget* control(const char* name) { return widget("Form1", name); }

    void setFields(const char* hours, const char* minutes, const char* seconds) {
        form->txtTime(0).setText(hours);
        form->txtTime(1).setText(minutes);
        form->txtTime(2).setText(seconds);
    }
    std::string fields() {
        return form->txtTime(0).text() + " " + form->txtTime(1).text() + " " +
               form->txtTime(2).text();
    }
    void click(const char* name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    // A tick by hand stands in for the real timer, which would otherwise tick again whenever
    // the power-off's own event processing finds it due on a slow machine.
    void tick() {
        tk::Timer& timer = form->window().timer("Timer1");
        timer.setEnabled(false);
        timer.onTick();
    }
    void tickAt(tk::TimeOfDay now, std::int64_t monotonic) {
        clock.now = now;
        clock.monotonic = monotonic;
        tick();
    }
    // A window on `routes` for the version, counting down to 10:30:00.
    void countTo1030(platform::RecordingPlatform& routes, platform::VersionNumbers version) {
        routes.version = version;
        form = std::make_unique<Form1>(clock, routes);
        setFields("10", "30", "00");
        form->Command1(0).onClick();
    }
};

// Closes every message box a moment after it opens, noting each, for as long as it lives.
class BoxCloser {
public:
    std::vector<BoxSeen> seen;

    BoxCloser() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                seen.push_back(
                    {box->text(), box->windowTitle(), box->icon() == QMessageBox::Warning});
                box->accept();
            }
        });
        timer_.start(100);
    }

private:
    QTimer timer_;
};

TEST_F(Countdown, StartRefusesTheAllZeroTime) {
    for (const char* zero : {"00", "0"}) {
        setFields(zero, zero, zero);
        BoxSeen seen;
        closeNextBox(seen, 100);
        click("Command1(0)");
        EXPECT_EQ(seen.text, "No shutdown time entered.");
        EXPECT_EQ(seen.title, "Enter shutdown time");
        EXPECT_TRUE(seen.warning);
        EXPECT_EQ(fields(), "00 00 00");
        EXPECT_FALSE(form->CountingDown);
        EXPECT_TRUE(form->txtTime(0).hasFocus());
        EXPECT_EQ(form->txtTime(0).selLength(), 2);
        EXPECT_TRUE(form->Command1(0).enabled());
        EXPECT_FALSE(form->Command1(1).enabled());
    }
}

TEST_F(Countdown, StartPadsTheFieldsAndLocksTheWindowUntilStop) {
    setFields("7", "5", "30");
    click("Command1(0)");
    EXPECT_EQ(fields(), "07 05 30");
    EXPECT_TRUE(form->CountingDown);
    EXPECT_EQ(form->Command1(0).caption(), "Counting down...");
    EXPECT_FALSE(form->Command1(0).enabled());
    EXPECT_TRUE(form->Command1(1).enabled());
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(form->txtTime(i).enabled());

    clock.now = {7, 4, 0};
    tick();
    EXPECT_EQ(form->lblCountDown().caption(), "00:01:30");
    EXPECT_EQ(form->lblCountDown().backColor(), 65280u);

    click("Command1(1)");
    EXPECT_FALSE(form->CountingDown);
    EXPECT_EQ(form->Command1(0).caption(), "Start Countdown");
    EXPECT_TRUE(form->Command1(0).enabled());
    EXPECT_FALSE(form->Command1(1).enabled());
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(form->txtTime(i).enabled());
    EXPECT_EQ(fields(), "07 05 30");
    EXPECT_EQ(form->lblCountDown().caption(), "00:01:30");
    EXPECT_EQ(form->lblCountDown().backColor(), tk::ButtonFace);
}

// A keystroke ends where it acts. Enter on Start or Stop hands the focus on to Close, the
// next enabled control; Enter on a box closes it. Neither its repeat nor its release presses
// Close or moves on from the field the handler chose.
TEST_F(Countdown, AKeystrokeEndsWhereItActs) {
    bool closed = false;
    form->Command2().onClick = [&] { closed = true; };
    setFields("10", "30", "00");
    for (const char* button : {"Command1(0)", "Command1(1)"}) {
        control(button)->setFocus();
        QTest::keyPress(control(button), Qt::Key_Return);
        finishKeystroke(Qt::Key_Return);
        EXPECT_TRUE(form->Command2().hasFocus()) << button;
    }
    EXPECT_FALSE(form->CountingDown);

    BoxSeen invalid;
    closeNextBox(invalid, 100, Qt::Key_Return);
    form->txtTime(0).setFocus();
    QTest::keyClicks(control("txtTime(0)"), "30");
    finishKeystroke(Qt::Key_Return);
    EXPECT_EQ(invalid.text, "Not a valid time.");
    EXPECT_TRUE(form->txtTime(0).hasFocus());
    EXPECT_EQ(form->txtTime(0).selLength(), 2);

    // Both power-off routes refused, while the focus is on Close.
    system.exitWindowsRefusal = system.shutdownCommandRefusal = "refused";
    countTo1030(system, {6, 1});
    form->Show();
    ASSERT_TRUE(waitActive("Form1"));
    form->Command2().onClick = [&] { closed = true; };
    form->Command2().setFocus();
    clock.now = {10, 30, 0};
    BoxSeen refused;
    closeNextBox(refused, 100, Qt::Key_Return);
    tick();
    finishKeystroke(Qt::Key_Return);
    EXPECT_TRUE(refused.text.startsWith("The computer could not be switched off."));
    EXPECT_TRUE(form->Command2().hasFocus());
    EXPECT_FALSE(closed);
}

TEST_F(Countdown, AnEmptyFieldStillStarts) {
    setFields("12", "", "00");
    click("Command1(0)");
    EXPECT_TRUE(form->CountingDown);
    EXPECT_EQ(fields(), "12  00");
}

TEST_F(Countdown, ABlankBeforeADigitGetsItsLeadingZeroAndCountsAsTheDigit) {
    BoxCloser boxes;
    setFields(" 5", "00", "00");
    click("Command1(0)");
    EXPECT_EQ(fields(), "0 5 00 00");
    EXPECT_TRUE(boxes.seen.empty());
    clock.now = {3, 0, 0};
    tick();
    EXPECT_EQ(form->lblCountDown().caption(), "02:00:00");
}

TEST_F(Countdown, AnyChangeWarnsWhileSomeFieldIsOutOfRange) {
    BoxSeen seen;
    closeNextBox(seen, 100);
    form->txtTime(1).setText("75");
    EXPECT_EQ(seen.text, "Not a valid time.");
    EXPECT_EQ(seen.title, "Invallid time value");
    EXPECT_EQ(form->txtTime(1).text(), "75");
    EXPECT_TRUE(form->txtTime(1).hasFocus());

    // Typing a valid digit into the hours warns again and keeps the focus on the hours.
    form->txtTime(0).setFocus();
    BoxSeen again;
    closeNextBox(again, 100);
    QTest::keyClick(control("txtTime(0)"), Qt::Key_7);
    EXPECT_EQ(again.text, "Not a valid time.");
    EXPECT_TRUE(form->txtTime(0).hasFocus());
    EXPECT_EQ(form->txtTime(0).text(), "7");
    EXPECT_EQ(form->txtTime(0).selStart(), 0);
    EXPECT_EQ(form->txtTime(0).selLength(), 1); // two selected characters cover the one there is
    EXPECT_FALSE(form->CountingDown);
}

TEST_F(Countdown, EnterCyclesThroughTheFieldsAndPadsOnArrival) {
    form->txtTime(0).setFocus();
    QTest::keyClick(control("txtTime(0)"), Qt::Key_7);
    QTest::keyClick(control("txtTime(0)"), Qt::Key_Return);
    EXPECT_TRUE(form->txtTime(1).hasFocus());
    EXPECT_EQ(form->txtTime(0).text(), "07");
    EXPECT_EQ(form->txtTime(1).selLength(), 2);

    QTest::keyClick(control("txtTime(1)"), Qt::Key_Return);
    EXPECT_TRUE(form->txtTime(2).hasFocus());
    QTest::keyClick(control("txtTime(2)"), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(form->txtTime(0).hasFocus());
    EXPECT_EQ(fields(), "07 00 00"); // Enter never reaches the text
}

TEST_F(Countdown, AClickSelectsTheWholeField) {
    form->txtTime(2).setText("45");
    QTest::mouseClick(control("txtTime(2)"), Qt::LeftButton, {}, QPoint(18, 10));
    EXPECT_EQ(form->txtTime(2).selStart(), 0);
    EXPECT_EQ(form->txtTime(2).selLength(), 2);
}

TEST_F(Countdown, ReachingTheTargetAsksForThePowerOffOnEveryTickOfThatSecond) {
    system.version = platform::VersionNumbers{6, 1};
    form = std::make_unique<Form1>(clock, system);
    setFields("10", "30", "00");
    form->Command1(0).onClick();
    clock.now = {10, 29, 59};
    tick();
    EXPECT_EQ(system.powerOffRequests(), 0u);

    clock.now = {10, 30, 0};
    for (int i = 0; i < 4; ++i)
        tick();
    EXPECT_EQ(form->lblCountDown().caption(), "00:00:00");
    ASSERT_EQ(system.exitWindowsCalls.size(), 4u);
    EXPECT_EQ(system.exitWindowsCalls[0].flags, 5u);
    EXPECT_EQ(system.exitWindowsCalls[0].reason, 0xFFFFFFFFu);
    EXPECT_TRUE(system.shutdownCommands.empty());

    clock.now = {10, 30, 1};
    tick();
    EXPECT_EQ(form->lblCountDown().caption(), "23:59:59");
    EXPECT_TRUE(form->CountingDown);
    EXPECT_EQ(system.exitWindowsCalls.size(), 4u);
}

TEST_F(Countdown, WindowsXpTakesTheCommandRoute) {
    system.version = platform::VersionNumbers{5, 1};
    form = std::make_unique<Form1>(clock, system);
    setFields("10", "30", "00");
    form->Command1(0).onClick();
    clock.now = {10, 30, 0};
    tick();
    ASSERT_EQ(system.shutdownCommands.size(), 1u);
    EXPECT_EQ(system.shutdownCommands[0].commandLine, "shutdown -s -f -t 0");
    EXPECT_EQ(system.shutdownCommands[0].showCommand, 2);
    EXPECT_TRUE(system.exitWindowsCalls.empty());
}

TEST_F(Countdown, AClockSetPastTheTargetOrASleepThroughItSkipsItUntilTheNextDay) {
    for (const bool slept : {false, true}) {
        setFields("10", "30", "00");
        click("Command1(0)");
        tickAt({10, 29, 58}, 0);
        // Five seconds on the clock: set by hand in a quarter second, or slept through.
        clock.utcAhead += slept ? 5000 : 4750;
        tickAt({10, 30, 3}, slept ? 0 : 250);
        EXPECT_EQ(form->lblCountDown().caption(), "23:59:57");
        EXPECT_EQ(system.powerOffRequests(), 0u) << slept;
        tickAt({10, 30, 0}, 86'400'000); // the next day
        EXPECT_EQ(system.powerOffRequests(), 1u) << slept;
        click("Command1(1)");
        system.exitWindowsCalls.clear();
    }
}

TEST_F(Countdown, ATickHeldUpAcrossTheTargetAsksAtOnceUnlessItCameOverAMinuteLate) {
    setFields("10", "30", "00");
    click("Command1(0)");
    tickAt({10, 29, 58}, 0);
    tickAt({10, 30, 2}, 4000);
    EXPECT_EQ(form->lblCountDown().caption(), "23:59:58");
    EXPECT_EQ(system.exitWindowsCalls.size(), 1u);
    tickAt({10, 30, 2}, 4250);
    EXPECT_EQ(system.exitWindowsCalls.size(), 1u);

    tickAt({10, 29, 30}, 86'370'000); // the next day
    tickAt({10, 30, 31}, 86'431'000);
    EXPECT_EQ(system.exitWindowsCalls.size(), 1u);
}

TEST_F(Countdown, AStopOrACloseWaitingWhenTheTargetIsReachedPreventsTheRequest) {
    for (const char* waiting : {"Stop", "Close"}) {
        form = std::make_unique<Form1>(clock, system);
        form->Show();
        setFields("10", "30", "00");
        click("Command1(0)");
        clock.now = {10, 30, 0};
        if (waiting == std::string("Stop"))
            QMetaObject::invokeMethod(control("Command1(1)"), "click", Qt::QueuedConnection);
        else // from the title bar
            QMetaObject::invokeMethod(topLevel("Form1"), "close", Qt::QueuedConnection);
        tick();
        EXPECT_EQ(system.powerOffRequests(), 0u) << waiting;
    }
}

// Answers held back: a route that stays silent, and answers that come late.
TEST_F(Countdown, ASilentRouteCountsAsRefusedAfterTenSecondsAndALateAnswerIsIgnored) {
    BoxCloser boxes;
    system.holdAnswers = true;
    setFields("10", "30", "00");
    click("Command1(0)");
    tickAt({10, 30, 0}, 0);
    ASSERT_EQ(system.exitWindowsCalls.size(), 1u);
    tickAt({10, 30, 9}, 9'750);
    EXPECT_TRUE(system.shutdownCommands.empty());
    tickAt({10, 30, 10}, 10'000);
    ASSERT_EQ(system.shutdownCommands.size(), 1u);
    // The first route takes the request after its time: too late to count.
    system.heldReplies[0]({true, {}});
    EXPECT_EQ(system.powerOffRequests(), 2u);
    EXPECT_TRUE(boxes.seen.empty());
    tickAt({10, 30, 20}, 20'000);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "The computer could not be switched off.\n\n"
                                  "The power-off call: no answer within 10 s\n"
                                  "The shutdown command: no answer within 10 s");
    EXPECT_FALSE(form->CountingDown);
    EXPECT_TRUE(form->Command1(0).enabled());

    // An answer to a request from before Stop, given while stopped or after a new Start,
    // changes nothing.
    system.heldReplies.clear();
    click("Command1(0)");
    tickAt({10, 30, 0}, 86'400'000);
    ASSERT_EQ(system.heldReplies.size(), 1u);
    click("Command1(1)");
    system.heldReplies[0]({false, "refused after Stop"});
    click("Command1(0)");
    system.heldReplies[0]({false, "refused after a new Start"});
    tickAt({10, 30, 1}, 86'401'000);
    EXPECT_EQ(system.powerOffRequests(), 3u);
    EXPECT_EQ(boxes.seen.size(), 1u);
}

TEST_F(Countdown, ARefusedRouteGivesWayToTheOtherOnce) {
    for (const auto version : {platform::VersionNumbers{6, 1}, platform::VersionNumbers{5, 1}}) {
        platform::RecordingPlatform routes;
        const bool commandFirst = version.major == 5;
        (commandFirst ? routes.shutdownCommandRefusal : routes.exitWindowsRefusal) = "refused";
        BoxCloser boxes;
        countTo1030(routes, version);
        clock.now = {10, 30, 0};
        for (int i = 0; i < 4; ++i)
            tick();
        const std::size_t commands = routes.shutdownCommands.size();
        const std::size_t calls = routes.exitWindowsCalls.size();
        // Every tick of the second asks again, by the route that took the request.
        EXPECT_EQ(commandFirst ? commands : calls, 1u) << version.major;
        EXPECT_EQ(commandFirst ? calls : commands, 4u) << version.major;
        EXPECT_TRUE(boxes.seen.empty());
        EXPECT_TRUE(form->CountingDown);
        form.reset();
    }
}

TEST_F(Countdown, BothRoutesRefusedTellTheUserOnceAndEndTheCountdown) {
    BoxCloser boxes;
    countTo1030(system, {6, 1});
    clock.now = {10, 30, 0};
    tick(); // taken on the first day
    clock.now = {10, 30, 1};
    tick();

    system.exitWindowsRefusal = "ExitWindowsEx: privilege not held (error 1314)";
    system.shutdownCommandRefusal = "shutdown.exe could not be started: not found (error 2)";
    clock.now = {10, 30, 0};
    // The rest of the target second ticks while the box is open.
    QObject scope;
    QTimer::singleShot(30, &scope, [this] {
        tick();
        tick();
    });
    tick();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "The computer could not be switched off.\n\n"
                                  "ExitWindowsEx: privilege not held (error 1314)\n"
                                  "shutdown.exe could not be started: not found (error 2)");
    EXPECT_EQ(boxes.seen[0].title, "Nodrell");
    EXPECT_TRUE(boxes.seen[0].warning);
    EXPECT_EQ(system.exitWindowsCalls.size(), 2u);
    EXPECT_EQ(system.shutdownCommands.size(), 1u);

    EXPECT_FALSE(form->CountingDown);
    EXPECT_EQ(form->Command1(0).caption(), "Start Countdown");
    EXPECT_TRUE(form->Command1(0).enabled());
    EXPECT_FALSE(form->Command1(1).enabled());
    EXPECT_TRUE(form->txtTime(0).enabled());
    EXPECT_EQ(form->lblCountDown().backColor(), tk::ButtonFace);
    tick();
    EXPECT_EQ(system.powerOffRequests(), 3u);
}

TEST_F(Countdown, AMessageBoxOpenAtTheTargetStillLetsThePowerOffHappen) {
    setFields("10", "30", "00");
    click("Command1(0)");
    clock.now = {10, 30, 0};
    BoxSeen seen;
    closeNextBox(seen, 700); // the real timer ticks every 250 ms meanwhile
    tk::msgBox("Still open", "Nodrell", tk::MsgIcon::None);
    EXPECT_EQ(seen.text, "Still open");
    EXPECT_GE(system.powerOffRequests(), 2u);
}

} // namespace
