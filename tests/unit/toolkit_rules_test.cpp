// The forms rules of the toolkit's core, which both back ends share, over the back end that
// only records what the core asks of it and takes the user's input by hand.

#include "FakeToolkit.h"
#include "toolkit/Keystrokes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tk {

namespace {

// Listed front to back: the picture box follows the controls it holds, and the tab order
// differs from the table's order.
const std::array ProbeControls{
    ControlSpec{.kind = Kind::Label, .name = "lblHint", .container = "picFields", .tabIndex = 2},
    ControlSpec{.kind = Kind::TextBox,
                .name = "txtField",
                .index = 1,
                .container = "picFields",
                .caption = "34",
                .tabIndex = 4},
    ControlSpec{.kind = Kind::TextBox,
                .name = "txtField",
                .index = 0,
                .container = "picFields",
                .caption = "12",
                .tabIndex = 3},
    ControlSpec{.kind = Kind::Button, .name = "cmdOK", .tabIndex = 0, .isDefault = true},
    ControlSpec{.kind = Kind::PictureBox, .name = "picFields", .tabIndex = 5},
    ControlSpec{.kind = Kind::Button, .name = "cmdCancel", .tabIndex = 1, .isCancel = true},
    ControlSpec{.kind = Kind::Timer, .name = "Ticker", .interval = 250},
};

WindowSpec probeWindow(std::string_view name) {
    WindowSpec window;
    window.name = name;
    return window;
}

struct Probe {
    explicit Probe(std::string_view name = "Probe")
        : window(createWindow(probeWindow(name), ProbeControls)), fake(*FakeWindow::last) {
        window->show();
        fake.activate();
    }
    std::unique_ptr<Window> window;
    FakeWindow& fake;
};

class ToolkitRules : public testing::Test {
protected:
    void SetUp() override { fake::reset(); }

    Probe probe;
    Window& window = *probe.window;
    FakeWindow& fake = probe.fake;
    TextBox& first = window.textBox("txtField", 0);
    TextBox& second = window.textBox("txtField", 1);
    Button& ok = window.button("cmdOK");
    Button& cancel = window.button("cmdCancel");
};

std::string errorOf(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    return "no error";
}

TEST_F(ToolkitRules, LooksUpByNameAndIndexWithOneErrorForWhatIsNotThere) {
    EXPECT_EQ(first.text(), "12");
    EXPECT_EQ(second.text(), "34");
    EXPECT_EQ(window.timer("Ticker").interval(), 250);
    EXPECT_EQ(errorOf([&] { window.textBox("txtField", 2); }), "Probe has no text box txtField(2)");
    EXPECT_EQ(errorOf([&] { window.textBox("txtField"); }), "Probe has no text box txtField");
    EXPECT_EQ(errorOf([&] { window.button("lblHint"); }), "Probe has no button lblHint");
    EXPECT_EQ(errorOf([&] { window.timer("Tocker"); }), "Probe has no timer Tocker");
}

TEST_F(ToolkitRules, AContainerIsMadeBeforeItsControlsWhereverItStands) {
    // The window's own controls front to back, then those of the picture box.
    EXPECT_EQ(fake.made, (std::vector<std::string>{
                             "cmdOK in the window, row 3", "picFields in the window, row 4",
                             "cmdCancel in the window, row 5", "lblHint in picFields, row 0",
                             "txtField in picFields, row 1", "txtField in picFields, row 2"}));

    // A control placed in a picture box the table lacks: no window is left behind.
    const int before = FakeWindow::alive;
    const std::array lost{ControlSpec{.kind = Kind::Label, .name = "lblLost", .container = "pic"}};
    EXPECT_EQ(errorOf([&] { createWindow(probeWindow("Lost"), lost); }),
              "Lost has no picture box pic to hold lblLost");
    EXPECT_EQ(FakeWindow::alive, before);
}

TEST_F(ToolkitRules, ACodeWriteRunsTheChangeHandlerOnceAfterTheSelectionWentBack) {
    std::vector<std::string> seen;
    first.onChange = [&] {
        seen.push_back(first.text() + " at " + std::to_string(first.selStart()) + "+" +
                       std::to_string(first.selLength()));
    };
    first.setSelStart(1);
    first.setSelLength(1);
    first.setText("56");
    first.setText("56"); // unchanged: still one change
    first.setText("");
    first.reportChange(); // the user's edit
    EXPECT_EQ(seen, (std::vector<std::string>{"56 at 0+0", "56 at 0+0", " at 0+0", " at 0+0"}));
}

TEST_F(ToolkitRules, TabWalksTheTabOrderPastLabelsAndWhatTakesNoFocus) {
    const auto focused = [&] {
        for (const char* name : {"cmdOK", "cmdCancel"})
            if (window.button(name).hasFocus()) return std::string(name);
        for (int i = 0; i < 2; ++i)
            if (window.textBox("txtField", i).hasFocus())
                return "txtField(" + std::to_string(i) + ")";
        return std::string("nothing");
    };
    const auto tabbedTo = [&](bool forward) {
        window.tab(forward);
        return focused();
    };
    int arrivals = 0;
    second.onGotFocus = [&] { ++arrivals; };

    EXPECT_EQ(tabbedTo(true), "cmdOK");
    EXPECT_EQ(tabbedTo(true), "cmdCancel");
    EXPECT_EQ(tabbedTo(true), "txtField(0)");
    EXPECT_EQ(tabbedTo(true), "txtField(1)");
    EXPECT_EQ(arrivals, 1);
    EXPECT_EQ(second.selStart(), 0);
    EXPECT_EQ(second.selLength(), 2); // tabbed into: the whole text
    EXPECT_EQ(tabbedTo(true), "cmdOK");
    EXPECT_EQ(fake.lastMove, FocusMove::Next);
    EXPECT_EQ(tabbedTo(false), "txtField(1)");
    EXPECT_EQ(fake.lastMove, FocusMove::Previous);

    // A control with the focus that is disabled or hidden hands it on to the next one in the
    // tab order, round past the end, as Tab does; it takes the focus no more.
    second.setEnabled(false);
    EXPECT_EQ(focused(), "cmdOK");
    EXPECT_EQ(fake.lastMove, FocusMove::Next);
    second.setFocus();
    EXPECT_EQ(focused(), "cmdOK");
    cancel.setVisible(false);
    EXPECT_EQ(tabbedTo(true), "txtField(0)");
    EXPECT_EQ(first.selLength(), 2);
    first.setVisible(false);
    EXPECT_EQ(focused(), "cmdOK");
    EXPECT_EQ(arrivals, 2); // tabbed to forward and back
    // With nothing left to take it, the window keeps the keyboard.
    ok.setEnabled(false);
    EXPECT_EQ(focused(), "nothing");
    EXPECT_TRUE(fake.shown);
}

TEST_F(ToolkitRules, EnterAndEscapePressTheDefaultAndTheCancelButton) {
    std::vector<std::string> pressed;
    ok.onClick = [&] { pressed.push_back("OK"); };
    cancel.onClick = [&] { pressed.push_back("Cancel"); };

    first.setFocus();
    EXPECT_TRUE(window.pressDialogButton(DialogKey::Enter));
    EXPECT_TRUE(window.pressDialogButton(DialogKey::Escape));
    cancel.setFocus(); // Enter presses the button with the focus
    EXPECT_TRUE(window.pressDialogButton(DialogKey::Enter));
    EXPECT_EQ(pressed, (std::vector<std::string>{"OK", "Cancel", "Cancel"}));

    // A disabled or hidden button presses nothing: the key is the text box's own.
    first.setFocus();
    ok.setEnabled(false);
    cancel.setVisible(false);
    EXPECT_EQ(window.dialogButton(DialogKey::Enter), nullptr);
    EXPECT_EQ(window.dialogButton(DialogKey::Escape), nullptr);
    EXPECT_FALSE(window.pressDialogButton(DialogKey::Enter));
    EXPECT_EQ(pressed.size(), 3u);
}

TEST_F(ToolkitRules, AfterAModalWindowOrBoxTheWindowBeforeIsActiveAgain) {
    Probe about("About");
    fake.activate();
    fake::whileModal = [&](Window&) { about.window->unload(); };
    about.window->showModal();
    EXPECT_EQ(about.fake.modalOwner, &fake);
    EXPECT_TRUE(fake.active());

    msgBox("Not a valid time.", "Invallid time value", MsgIcon::Warning);
    EXPECT_TRUE(fake.active());

    // Not when another window took over meanwhile.
    Probe other("Other");
    fake::whileModal = [&](Window&) {
        about.window->unload();
        other.fake.activate();
    };
    fake.activate();
    about.window->showModal();
    EXPECT_TRUE(other.fake.active());

    // Nor does a window destroyed while it is shown take anything with it.
    auto gone = std::make_unique<Probe>("Gone");
    fake::whileModal = [&](Window&) { gone.reset(); };
    fake.activate();
    Window& shown = *gone->window;
    shown.showModal();
    EXPECT_FALSE(gone);
    EXPECT_TRUE(fake.active());
}

// A keystroke ends where it acts: after it pressed a button, or was down as a box closed,
// neither its repeats nor its release get through, and the next keystroke of that key does.
TEST(Keystrokes, ASpentKeystrokeReachesNothingMore) {
    constexpr int Enter = 13, Shift = 16;
    Keystrokes keys;
    const auto dropped = [&keys](int key, bool down, bool fresh = true) {
        return keys.dropped(key, down, fresh, key == Shift);
    };
    EXPECT_FALSE(dropped(Enter, true));
    keys.spend(Enter); // it pressed a button
    EXPECT_TRUE(dropped(Enter, true, false)); // its repeat
    EXPECT_TRUE(dropped(Enter, false));       // its release
    EXPECT_FALSE(dropped(Enter, true));       // the next keystroke
    EXPECT_FALSE(dropped(Shift, true));
    EXPECT_TRUE(keys.spendHeld()); // a box closed while Enter and Shift were down
    EXPECT_FALSE(dropped(Shift, false)); // a modifier is never spent
    EXPECT_TRUE(dropped(Enter, true, false));
    // Pressed afresh: its release went where it was not seen.
    EXPECT_FALSE(dropped(Enter, true));
    EXPECT_FALSE(dropped(Enter, false));
    EXPECT_FALSE(keys.spendHeld());

    EXPECT_FALSE(dropped(Enter, true));
    keys.spend(Enter);
    keys.forget(); // let go while another program had the keyboard
    EXPECT_FALSE(dropped(Enter, true, false));
}

TEST_F(ToolkitRules, ATimerTicksOnlyWhileItRunsAndAsksForTheNextTickFirst) {
    Timer& ticker = window.timer("Ticker");
    FakeTimer& native = *fake.timer;
    int ticks = 0;
    ticker.onTick = [&] {
        EXPECT_EQ(native.scheduled, 250);
        ++ticks;
    };
    EXPECT_EQ(native.scheduled, 250);
    native.scheduled = 0; // the tick came
    ticker.reportTick();
    EXPECT_EQ(ticks, 1);

    ticker.setEnabled(false);
    EXPECT_EQ(native.scheduled, 0);
    ticker.reportTick(); // queued before the timer stopped
    ticker.setEnabled(true);
    ticker.setInterval(0);
    ticker.reportTick();
    EXPECT_EQ(ticks, 1);
    ticker.setInterval(250);

    window.unload();
    EXPECT_EQ(native.scheduled, 0);
    ticker.reportTick();
    EXPECT_EQ(ticks, 1);
    window.show();
    EXPECT_EQ(native.scheduled, 250);
}

} // namespace

} // namespace tk
