// The behaviour of both windows, worked through their handlers on the back end that only
// records (FakeToolkit.h): message boxes close at once, and ticks and waiting events come
// when the test says.

#include "FakeClock.h"
#include "FakeToolkit.h"
#include "forms/Form1/Form1.h"
#include "forms/frmAbout/frmAbout.h"
#include "platform/DetectWinVersion.h"
#include "platform/RecordingPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

namespace reg = platform::registry;

constexpr std::string_view HomePage = "https://nodrell.example.org/";
constexpr std::string_view SysInfoUnavailable = "System Information Is Unavailable At This Time";

class Countdown : public testing::Test {
protected:
    FakeClock clock;
    platform::RecordingPlatform system;
    std::unique_ptr<Form1> form;

    void SetUp() override {
        fake::reset();
        clock.now = {9, 0, 0};
        form = std::make_unique<Form1>(clock, system);
        form->Show();
    }

    void setFields(const char* hours, const char* minutes, const char* seconds) {
        form->txtTime(0).setText(hours);
        form->txtTime(1).setText(minutes);
        form->txtTime(2).setText(seconds);
    }
    std::string fields() {
        return form->txtTime(0).text() + " " + form->txtTime(1).text() + " " +
               form->txtTime(2).text();
    }
    void start() { fake::click(form->Command1(0)); }
    void stop() { fake::click(form->Command1(1)); }
    void tick() { form->window().timer("Timer1").onTick(); }
    void tickAt(tk::TimeOfDay now, std::int64_t monotonic) {
        clock.now = now;
        clock.monotonic = monotonic;
        tick();
    }
    // A window on `routes` for the version, counting down to 10:30:00.
    void countTo1030(platform::RecordingPlatform& routes, platform::VersionNumbers version) {
        routes.version = version;
        form = std::make_unique<Form1>(clock, routes);
        form->Show();
        setFields("10", "30", "00");
        start();
    }
};

TEST_F(Countdown, LoadFillsTheFieldsFromTheTimeOfDayAndSelectsTheHours) {
    for (const auto& [now, texts] : {std::pair{tk::TimeOfDay{7, 5, 9}, "07 05 09"},
                                     std::pair{tk::TimeOfDay{23, 59, 59}, "23 59 59"},
                                     std::pair{tk::TimeOfDay{0, 0, 0}, "00 00 00"}}) {
        clock.now = now;
        form = std::make_unique<Form1>(clock, system);
        EXPECT_EQ(fields(), texts);
        EXPECT_EQ(form->txtTime(0).selStart(), 0);
        EXPECT_EQ(form->txtTime(0).selLength(), 2);
        EXPECT_FALSE(form->CountingDown);
    }
    EXPECT_TRUE(fake::boxes.empty());
}

TEST_F(Countdown, LoadWritesTheVersionLineIntoTheHiddenFrame1) {
    system.version = platform::VersionNumbers{5, 1};
    form = std::make_unique<Form1>(clock, system);
    EXPECT_EQ(Module1::WinVersion, "5.1  Windows XP");
    EXPECT_EQ(form->Frame1().caption(), "Shutdown v1.3.0 - Windows version 5.1  Windows XP");

    system.version = std::nullopt;
    form = std::make_unique<Form1>(clock, system);
    EXPECT_EQ(form->Frame1().caption(),
              "Shutdown v1.3.0 - Windows version Err detecting windows version");
}

TEST_F(Countdown, StartRefusesTheAllZeroTime) {
    for (const char* zero : {"00", "0"}) {
        fake::reset();
        setFields(zero, zero, zero);
        start();
        ASSERT_EQ(fake::boxes.size(), 1u);
        EXPECT_EQ(fake::boxes[0].text, "No shutdown time entered.");
        EXPECT_EQ(fake::boxes[0].title, "Enter shutdown time");
        EXPECT_EQ(fake::boxes[0].icon, tk::MsgIcon::Warning);
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
    start();
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

    stop();
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
    start();
    EXPECT_TRUE(form->CountingDown);
    EXPECT_EQ(fields(), "12  00");
}

TEST_F(Countdown, ABlankBeforeADigitGetsItsLeadingZeroAndCountsAsTheDigit) {
    setFields(" 5", "00", "00");
    start();
    EXPECT_EQ(fields(), "0 5 00 00");
    EXPECT_TRUE(fake::boxes.empty());
    clock.now = {3, 0, 0};
    tick();
    EXPECT_EQ(form->lblCountDown().caption(), "02:00:00");
}

TEST_F(Countdown, AnyChangeWarnsWhileSomeFieldIsOutOfRange) {
    form->txtTime(1).setText("75");
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_EQ(fake::boxes[0].text, "Not a valid time.");
    EXPECT_EQ(fake::boxes[0].title, "Invallid time value");
    EXPECT_EQ(form->txtTime(1).text(), "75");
    EXPECT_TRUE(form->txtTime(1).hasFocus());

    // Typing a valid digit into the hours warns again and keeps the focus on the hours.
    form->txtTime(0).setFocus();
    fake::type(form->txtTime(0), "7");
    ASSERT_EQ(fake::boxes.size(), 2u);
    EXPECT_EQ(fake::boxes[1].text, "Not a valid time.");
    EXPECT_TRUE(form->txtTime(0).hasFocus());
    EXPECT_EQ(form->txtTime(0).text(), "7");
    EXPECT_EQ(form->txtTime(0).selStart(), 0);
    EXPECT_EQ(form->txtTime(0).selLength(), 1); // two selected characters cover the one there is
    EXPECT_FALSE(form->CountingDown);
}

TEST_F(Countdown, EnterCyclesThroughTheFieldsAndPadsOnArrival) {
    form->txtTime(0).setFocus();
    fake::type(form->txtTime(0), "7\r");
    EXPECT_TRUE(form->txtTime(1).hasFocus());
    EXPECT_EQ(form->txtTime(0).text(), "07");
    EXPECT_EQ(form->txtTime(1).selLength(), 2);

    fake::type(form->txtTime(1), "\r");
    EXPECT_TRUE(form->txtTime(2).hasFocus());
    int enter = tk::KeyReturn;
    form->txtTime(2).reportKeyPress(enter);
    form->txtTime(2).reportKeyUp(tk::KeyReturn, tk::ShiftMask);
    EXPECT_TRUE(form->txtTime(0).hasFocus());
    EXPECT_EQ(fields(), "07 00 00"); // Enter never reaches the text
}

TEST_F(Countdown, AClickSelectsTheWholeField) {
    form->txtTime(2).setText("45");
    fake::clickInto(form->txtTime(2));
    EXPECT_EQ(form->txtTime(2).selStart(), 0);
    EXPECT_EQ(form->txtTime(2).selLength(), 2);
}

TEST_F(Countdown, ReachingTheTargetAsksForThePowerOffOnEveryTickOfThatSecond) {
    system.version = platform::VersionNumbers{6, 1};
    countTo1030(system, {6, 1});
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
    countTo1030(system, {5, 1});
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
        start();
        tickAt({10, 29, 58}, 0);
        // Five seconds on the clock: set by hand in a quarter second, or slept through.
        clock.utcAhead += slept ? 5000 : 4750;
        tickAt({10, 30, 3}, slept ? 0 : 250);
        EXPECT_EQ(form->lblCountDown().caption(), "23:59:57");
        EXPECT_EQ(system.powerOffRequests(), 0u) << slept;
        tickAt({10, 30, 0}, 86'400'000); // the next day
        EXPECT_EQ(system.powerOffRequests(), 1u) << slept;
        stop();
        system.exitWindowsCalls.clear();
    }
}

TEST_F(Countdown, ATickHeldUpAcrossTheTargetAsksAtOnceUnlessItCameOverAMinuteLate) {
    setFields("10", "30", "00");
    start();
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

// Stop, the title bar's close box or Close, clicked as the target second comes and handled
// in the power-off's own event processing: no request.
TEST_F(Countdown, AStopOrACloseWaitingWhenTheTargetIsReachedPreventsTheRequest) {
    for (const std::string waiting : {"Stop", "title bar", "Close"}) {
        countTo1030(system, {6, 1});
        clock.now = {10, 30, 0};
        fake::waiting.push_back([&] {
            if (waiting == "Stop")
                stop();
            else if (waiting == "title bar")
                form->window().unload();
            else
                fake::click(form->Command2());
        });
        if (waiting == "Close")
            EXPECT_THROW(tick(), fake::ProgramEnded);
        else
            tick();
        EXPECT_EQ(system.powerOffRequests(), 0u) << waiting;
    }
}

// Answers held back: a route that stays silent, and answers that come late.
TEST_F(Countdown, ASilentRouteCountsAsRefusedAfterTenSecondsAndALateAnswerIsIgnored) {
    system.holdAnswers = true;
    setFields("10", "30", "00");
    start();
    tickAt({10, 30, 0}, 0);
    ASSERT_EQ(system.exitWindowsCalls.size(), 1u);
    tickAt({10, 30, 9}, 9'750);
    EXPECT_TRUE(system.shutdownCommands.empty());
    tickAt({10, 30, 10}, 10'000);
    ASSERT_EQ(system.shutdownCommands.size(), 1u);
    // The first route takes the request after its time: too late to count.
    system.heldReplies[0]({true, {}});
    EXPECT_EQ(system.powerOffRequests(), 2u);
    EXPECT_TRUE(fake::boxes.empty());
    tickAt({10, 30, 20}, 20'000);
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_EQ(fake::boxes[0].text, "The computer could not be switched off.\n\n"
                                   "The power-off call: no answer within 10 s\n"
                                   "The shutdown command: no answer within 10 s");
    EXPECT_FALSE(form->CountingDown);
    EXPECT_TRUE(form->Command1(0).enabled());

    // An answer to a request from before Stop, given while stopped or after a new Start,
    // changes nothing.
    system.heldReplies.clear();
    start();
    tickAt({10, 30, 0}, 86'400'000);
    ASSERT_EQ(system.heldReplies.size(), 1u);
    stop();
    system.heldReplies[0]({false, "refused after Stop"});
    start();
    system.heldReplies[0]({false, "refused after a new Start"});
    tickAt({10, 30, 1}, 86'401'000);
    EXPECT_EQ(system.powerOffRequests(), 3u);
    EXPECT_EQ(fake::boxes.size(), 1u);
}

TEST_F(Countdown, ARefusedRouteGivesWayToTheOtherOnce) {
    for (const auto version : {platform::VersionNumbers{6, 1}, platform::VersionNumbers{5, 1}}) {
        platform::RecordingPlatform routes;
        const bool commandFirst = version.major == 5;
        (commandFirst ? routes.shutdownCommandRefusal : routes.exitWindowsRefusal) = "refused";
        countTo1030(routes, version);
        clock.now = {10, 30, 0};
        for (int i = 0; i < 4; ++i)
            tick();
        const std::size_t commands = routes.shutdownCommands.size();
        const std::size_t calls = routes.exitWindowsCalls.size();
        // Every tick of the second asks again, by the route that took the request.
        EXPECT_EQ(commandFirst ? commands : calls, 1u) << version.major;
        EXPECT_EQ(commandFirst ? calls : commands, 4u) << version.major;
        EXPECT_TRUE(fake::boxes.empty());
        EXPECT_TRUE(form->CountingDown);
        form.reset();
    }
}

TEST_F(Countdown, BothRoutesRefusedTellTheUserOnceAndEndTheCountdown) {
    countTo1030(system, {6, 1});
    clock.now = {10, 30, 0};
    tick(); // taken on the first day
    clock.now = {10, 30, 1};
    tick();

    system.exitWindowsRefusal = "ExitWindowsEx: privilege not held (error 1314)";
    system.shutdownCommandRefusal = "shutdown.exe could not be started: not found (error 2)";
    clock.now = {10, 30, 0};
    // The rest of the target second ticks while the box is open.
    fake::whileBox = [this] {
        tick();
        tick();
    };
    tick();
    fake::whileBox = nullptr;
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_EQ(fake::boxes[0].text, "The computer could not be switched off.\n\n"
                                   "ExitWindowsEx: privilege not held (error 1314)\n"
                                   "shutdown.exe could not be started: not found (error 2)");
    EXPECT_EQ(fake::boxes[0].title, "Nodrell");
    EXPECT_EQ(fake::boxes[0].icon, tk::MsgIcon::Warning);
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

// The About window, opened by the About button: `step` runs while it is shown, then OK
// closes it.
class AboutWindow : public Countdown {
protected:
    void openAbout(const std::function<void(tk::Window& about)>& step) {
        fake::whileModal = [&](tk::Window& about) {
            step(about);
            if (!about.isClosed()) fake::click(about.button("cmdOK"));
        };
        fake::click(form->Command3());
        fake::whileModal = nullptr;
    }
};

TEST_F(AboutWindow, LoadWritesTheCaptionVersionAndTitles) {
    frmAbout about(system);
    EXPECT_EQ(about.window().caption(), "About Nodrell");
    EXPECT_EQ(about.lblVersion().caption(), "Version 1.3.0");
    EXPECT_EQ(about.lblTitle().caption(), "Nodrell");
    EXPECT_EQ(about.lblTitle2().caption(), "Nodrell");
    EXPECT_EQ(about.lblURL().caption(), HomePage);
    EXPECT_EQ(about.lblDescription().caption(),
              "Counts down till the time you setup and then shuts down your PC. Ideal for "
              "saving power, shutting down your PC after a download etc... Works with Windows "
              "95/98/Me/XP...");
    EXPECT_NE(about.Label1().caption().find("Ilse Marwood"), std::string::npos);
    EXPECT_NE(about.lblDisclaimer().caption().find("freeware"), std::string::npos);
    EXPECT_EQ(about.cmdOK().caption(), "OK");
    EXPECT_EQ(about.cmdSysInfo().caption(), "&System Info...");
    EXPECT_TRUE(system.addressesOpened.empty());
    EXPECT_TRUE(system.keysOpened.empty());
}

TEST_F(AboutWindow, SystemInfoStartsTheRegisteredToolOrSaysItIsNotThere) {
    openAbout([](tk::Window& about) { fake::click(about.button("cmdSysInfo")); });
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_EQ(fake::boxes[0].text, SysInfoUnavailable);
    EXPECT_EQ(fake::boxes[0].title, "Nodrell");
    EXPECT_EQ(fake::boxes[0].icon, tk::MsgIcon::None);
    EXPECT_TRUE(system.programsStarted.empty());

    const std::string path = "C:\\Tools\\MSINFO32.EXE";
    std::vector<std::uint8_t> bytes(path.begin(), path.end());
    bytes.push_back(0);
    system.machineKeys["SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"]["PATH"] = {reg::Sz, bytes};
    bool stillOpen = false;
    openAbout([&](tk::Window& about) {
        fake::click(about.button("cmdSysInfo"));
        stillOpen = !about.isClosed();
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(fake::boxes.size(), 1u);
    ASSERT_EQ(system.programsStarted.size(), 1u);
    EXPECT_EQ(system.programsStarted[0].path, path);
    EXPECT_EQ(system.programsStarted[0].showCommand, 1);
}

TEST_F(AboutWindow, AClickOnTheAddressOpensItOrSaysThereIsNoOpener) {
    bool stillOpen = false;
    openAbout([&](tk::Window& about) {
        about.label("lblURL").reportClick();
        stillOpen = !about.isClosed();
        EXPECT_EQ(about.label("lblURL").caption(), HomePage);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(system.addressesOpened, std::vector<std::string>{std::string(HomePage)});
    EXPECT_TRUE(fake::boxes.empty());

    system.shellOpens = false;
    openAbout([](tk::Window& about) { about.label("lblURL").reportClick(); });
    ASSERT_EQ(fake::boxes.size(), 1u);
    EXPECT_NE(fake::boxes[0].text.find(HomePage), std::string::npos);
    EXPECT_NE(fake::boxes[0].text.find("xdg-open"), std::string::npos) << fake::boxes[0].text;
    EXPECT_EQ(fake::boxes[0].title, "Nodrell");
}

TEST_F(AboutWindow, OpenUrlFallsBackToTheHomePage) {
    frmAbout about(system);
    std::string address;
    about.OpenURL(address);
    EXPECT_EQ(address, HomePage);
    std::string other = "https://example.net/x";
    about.OpenURL(other);
    EXPECT_EQ(other, "https://example.net/x");
    EXPECT_EQ(system.addressesOpened,
              (std::vector<std::string>{std::string(HomePage), "https://example.net/x"}));
}

TEST_F(AboutWindow, TheCountdownGoesOnAndPowersOffWhileItIsOpen) {
    countTo1030(system, {6, 1});
    ASSERT_TRUE(form->CountingDown);
    std::size_t before = 0;
    openAbout([&](tk::Window&) {
        clock.now = {10, 29, 59};
        tick();
        before = system.powerOffRequests();
        EXPECT_EQ(form->lblCountDown().caption(), "00:00:01");
        clock.now = {10, 30, 0};
        tick();
        tick();
        EXPECT_EQ(form->lblCountDown().caption(), "00:00:00");
        EXPECT_EQ(form->lblKlok().caption(), "10:30:00");
    });
    EXPECT_EQ(before, 0u);
    EXPECT_EQ(system.exitWindowsCalls.size(), 2u); // every tick of the second
    EXPECT_TRUE(form->CountingDown);
}

} // namespace
