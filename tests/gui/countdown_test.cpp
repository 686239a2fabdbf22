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

// The countdown window on Qt: what the keyboard and the real timer do there.
class QtCountdown : public testing::Test {
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
    void click(const char* name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    // A tick by hand stands in for the real timer, which would otherwise tick again whenever
    // the power-off's own event processing finds it due on a slow machine.
    void tick() {
        tk::Timer& timer = form->window().timer("Timer1");
        timer.setEnabled(false);
        timer.onTick();
    }
    // A window on `routes` for the version, counting down to 10:30:00.
    void countTo1030(platform::RecordingPlatform& routes, platform::VersionNumbers version) {
        routes.version = version;
        form = std::make_unique<Form1>(clock, routes);
        setFields("10", "30", "00");
        form->Command1(0).onClick();
    }
};

// A keystroke ends where it acts. Enter on Start or Stop hands the focus on to Close, the
// next enabled control; Enter on a box closes it. Neither its repeat nor its release presses
// Close or moves on from the field the handler chose.
TEST_F(QtCountdown, AKeystrokeEndsWhereItActs) {
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

TEST_F(QtCountdown, AMessageBoxOpenAtTheTargetStillLetsThePowerOffHappen) {
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
