#pragma once

#include "Countdown.h"
#include "platform/Platform.h"
#include "toolkit/Clock.h"
#include "toolkit/Window.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

// The countdown window, the program's main window.
class Form1 {
public:
    // Creates the window with its controls and runs its load handling; not shown yet.
    Form1(tk::Clock& clock, platform::Platform& system);

    // Shows the window with the focus on the hours, ready for typing.
    void Show();
    tk::Window& window() { return *window_; }

    tk::TextBox& txtTime(int index) { return *txtTime_.at(index); }
    tk::Label& lblKlok() { return lblKlok_; }
    tk::Label& lblCountDown() { return lblCountDown_; }
    tk::Label& Frame1() { return Frame1_; }
    tk::Button& Command1(int index) { return *Command1_.at(index); }
    tk::Button& Command2() { return Command2_; }
    tk::Button& Command3() { return Command3_; }

    bool CountingDown = false;

    void ShutDownPC();

private:
    void Form_Load();
    void Timer1_Timer();
    void Command1_Click(int index);
    void StartCountdown();
    void StopCountdown();
    void Command2_Click();
    void Command3_Click();
    void txtTime_Change(int index);
    void txtTime_GotFocus(int index);
    void txtTime_KeyPress(int index, int& keyAscii);
    void txtTime_KeyUp(int index, int keyCode);
    void txtTime_MouseUp(int index);
    void PadWithLeadingZero(int index);
    void SelectWholeField(int index);
    void BeginTarget();
    void AskForPowerOff(form1::ShutdownRoute route);
    void PowerOffAnswered(int request, const platform::PowerOffAnswer& answer);
    void RouteKeptSilent();
    void RouteRefused(const std::string& reason);
    void RequestPowerOff(form1::ShutdownRoute route, platform::PowerOffReply reply);
    void PowerOffFailed(const std::string& reasons);

    tk::Clock& clock_;
    platform::Platform& system_;
    std::unique_ptr<tk::Window> window_;
    // The controls, looked up once as the window is built: a name its layout lacks fails
    // there, not when a handler first runs.
    const std::array<tk::TextBox*, 3> txtTime_;
    tk::Label& lblKlok_;
    tk::Label& lblCountDown_;
    tk::Label& Frame1_;
    const std::array<tk::Button*, 2> Command1_;
    tk::Button& Command2_;
    tk::Button& Command3_;
    tk::Timer& Timer1_;

    // The last tick of the countdown, and whether it was in the target second.
    std::optional<form1::TickReading> lastTick_;
    bool atTarget_ = false;
    // The power-off request for the target being reached: the route asked, or the one that
    // took it, and why the first route refused. Requests are numbered, so that an answer is
    // taken only for the latest one and only until it is due.
    enum class PowerOff { NotAsked, Asking, Accepted, Failed };
    PowerOff powerOff_ = PowerOff::NotAsked;
    form1::ShutdownRoute route_ = form1::ShutdownRoute::ExitWindowsEx;
    std::optional<std::string> refusedBefore_;
    int request_ = 0;
    std::int64_t answerDue_ = 0; // on the monotonic clock
};
