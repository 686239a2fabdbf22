// What the Qt back end itself must do for the forms rules: keep typing within the limit, run
// handlers inside the write or focus move that caused them, keep the ticks coming on time and
// through modal waits, and survive a window destroyed while it is shown modally. The rules of
// the core are proven in tests/unit/toolkit_rules_test.cpp.

#include "QtWidgets.h"
#include "toolkit/Clock.h"
#include "toolkit/Program.h"
#include "toolkit/TimerPhase.h"
#include "toolkit/Window.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

using tk::ControlSpec;
using tk::Kind;

const tk::WindowSpec Probe{.name = "Probe",
                           .caption = "Probe",
                           .clientWidth = 3000,
                           .clientHeight = 1500,
                           .font = tk::Font{.face = "Verdana"}};
const std::array ProbeControls{
    ControlSpec{.kind = Kind::TextBox,
                .name = "txtA",
                .left = 120,
                .top = 120,
                .width = 600,
                .height = 315,
                .maxLength = 2,
                .tabIndex = 0},
    ControlSpec{.kind = Kind::TextBox,
                .name = "txtB",
                .left = 900,
                .top = 120,
                .width = 600,
                .height = 315,
                .maxLength = 2,
                .tabIndex = 1},
    ControlSpec{.kind = Kind::Timer, .name = "Ticker", .interval = 20},
};

class QtBackEnd : public testing::Test {
protected:
    std::unique_ptr<tk::Window> window = tk::createWindow(Probe, ProbeControls);
    tk::TextBox& a = window->textBox("txtA");
    tk::TextBox& b = window->textBox("txtB");
};

TEST_F(QtBackEnd, CodeMayWriteBeyondTheTypingLimitButTheUserMayNot) {
    a.setText("0 5");
    EXPECT_EQ(a.text(), "0 5");
    EXPECT_EQ(a.maxLength(), 2);

    window->show();
    ASSERT_TRUE(waitActive("Probe"));
    int changes = 0;
    b.onChange = [&] { ++changes; };
    b.setText("");
    changes = 0;
    b.setFocus();
    auto* edit = qobject_cast<QLineEdit*>(widget("Probe", "txtB"));
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, "789");
    EXPECT_EQ(b.text(), "78");
    EXPECT_EQ(changes, 2); // one change per accepted keystroke
}

TEST_F(QtBackEnd, HandlersNestInsideTheWriteAndTheFocusMove) {
    window->show();
    ASSERT_TRUE(waitActive("Probe"));
    std::vector<std::string> order;
    b.onChange = [&] { order.push_back("b changed"); };
    a.onChange = [&] {
        order.push_back("a changed");
        b.setText("1");
        order.push_back("a done");
    };
    b.onGotFocus = [&] {
        order.push_back("b focused");
        a.setText("9");
        order.push_back("b done");
    };

    b.setFocus();
    order.push_back("focus returned");
    EXPECT_EQ(order, (std::vector<std::string>{"b focused", "a changed", "b changed", "a done",
                                               "b done", "focus returned"}));
    EXPECT_TRUE(b.hasFocus());
}

TEST_F(QtBackEnd, AModalBoxKeepsTheTicksComing) {
    int ticks = 0;
    bool boxOpen = false;
    int ticksWhileOpen = 0;
    window->timer("Ticker").onTick = [&] {
        ++ticks;
        if (boxOpen) ++ticksWhileOpen;
    };
    BoxSeen seen;
    closeNextBox(seen, 300);
    boxOpen = true;
    tk::msgBox("Not a valid time.", "Invallid time value", tk::MsgIcon::Warning);
    boxOpen = false;

    EXPECT_EQ(seen.text, "Not a valid time.");
    EXPECT_EQ(seen.title, "Invallid time value");
    EXPECT_TRUE(seen.warning);
    EXPECT_GE(ticksWhileOpen, 5); // 300 ms at 20 ms a tick, with room for a slow machine
    EXPECT_EQ(ticks, ticksWhileOpen);
}

// The timer repeats, and Qt does not run a timer's handler again while it still runs: a box
// opened by a tick must not hold back that timer's ticks. Three boxes, since a tick that came
// late has the timer started anew, which would hide the fault.
TEST_F(QtBackEnd, BoxesOpenedByTicksKeepTheirTimerTicking) {
    int ticks = 0;
    int ticksWhileOpen = 0;
    bool boxOpen = false;
    std::vector<int> perBox;
    window->timer("Ticker").onTick = [&] {
        ++ticks;
        ++ticksWhileOpen;
        if (boxOpen || ticks % 3 != 0 || perBox.size() == 3) return;
        BoxSeen seen;
        closeNextBox(seen, 300);
        ticksWhileOpen = 0;
        boxOpen = true;
        tk::msgBox("Not a valid time.", "Invallid time value", tk::MsgIcon::Warning);
        boxOpen = false;
        perBox.push_back(ticksWhileOpen);
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return perBox.size() == 3; }, 5000));
    for (const int count : perBox)
        EXPECT_GE(count, 5); // 300 ms at 20 ms a tick, with room for a slow machine
}

TEST_F(QtBackEnd, TicksKeepToTheClocksMultiplesOfTheInterval) {
    tk::Timer& ticker = window->timer("Ticker");
    ticker.setInterval(50);
    std::vector<int> late;
    ticker.onTick = [&] {
        late.push_back((tk::SystemClock::millisecondOfDay() - tk::TickLag) % 50);
        if (late.size() == 10) ticker.setEnabled(false);
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return late.size() == 10; }, 2000));
    // Each tick comes a little after its step; a loaded machine may delay one now and then.
    std::sort(late.begin(), late.end());
    EXPECT_LE(late[5], 10);
}

TEST_F(QtBackEnd, AWindowDestroyedWhileShownModallyLeavesNothingBehind) {
    tk::Window* shown = window.get();
    int ticks = 0;
    shown->timer("Ticker").onTick = [&] {
        if (++ticks == 3) window.reset();
    };
    shown->showModal(); // returns once the handler has destroyed the window
    EXPECT_FALSE(window);
    EXPECT_EQ(topLevel("Probe"), nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
