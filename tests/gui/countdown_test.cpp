#include "FakeClock.h"
#include "QtWidgets.h"
#include "forms/Form1/Form1.h"
#include "platform/RecordingPlatform.h"
#include "toolkit/Program.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

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

TEST_F(Countdown, AnEmptyFieldStillStarts) {
    setFields("12", "", "00");
    click("Command1(0)");
    EXPECT_TRUE(form->CountingDown);
    EXPECT_EQ(fields(), "12  00");
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

TEST_F(Countdown, AClockMovedPastTheTargetSkipsItUntilTheNextDay) {
    setFields("10", "30", "00");
    click("Command1(0)");
    clock.now = {10, 29, 58};
    tick();
    clock.now = {10, 31, 0};
    tick();
    EXPECT_EQ(form->lblCountDown().caption(), "23:59:00");
    EXPECT_EQ(system.powerOffRequests(), 0u);
    clock.now = {10, 30, 0}; // the next day
    tick();
    EXPECT_EQ(system.powerOffRequests(), 1u);
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
