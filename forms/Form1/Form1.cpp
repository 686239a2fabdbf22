#include "Form1.h"

#include "Form1Layout.h"
#include "forms/frmAbout/frmAbout.h"
#include "forms/shared/Version.h"
#include "platform/DetectWinVersion.h"
#include "toolkit/Program.h"

namespace {

constexpr tk::Color CountingGreen = 65280;
constexpr tk::Color CountingRed = 255;
constexpr std::string_view ZeroTime = "00:00:00";

} // namespace

Form1::Form1(tk::Clock& clock, platform::Platform& system)
    : clock_(clock), system_(system), window_(tk::createWindow(form1::Window, form1::Controls())),
      txtTime_{&window_->textBox("txtTime", 0), &window_->textBox("txtTime", 1),
               &window_->textBox("txtTime", 2)},
      lblKlok_(window_->label("lblKlok")), lblCountDown_(window_->label("lblCountDown")),
      Frame1_(window_->label("Frame1")), Command1_{&window_->button("Command1", 0),
                                                   &window_->button("Command1", 1)},
      Command2_(window_->button("Command2")), Command3_(window_->button("Command3")),
      Timer1_(window_->timer("Timer1")) {
    Timer1_.onTick = [this] { Timer1_Timer(); };
    for (int i = 0; i < 2; ++i)
        Command1(i).onClick = [this, i] { Command1_Click(i); };
    Command2().onClick = [this] { Command2_Click(); };
    Command3().onClick = [this] { Command3_Click(); };
    for (int i = 0; i < 3; ++i) {
        tk::TextBox& field = txtTime(i);
        field.onChange = [this, i] { txtTime_Change(i); };
        field.onGotFocus = [this, i] { txtTime_GotFocus(i); };
        field.onKeyPress = [this, i](int& keyAscii) { txtTime_KeyPress(i, keyAscii); };
        field.onKeyUp = [this, i](int keyCode, int) { txtTime_KeyUp(i, keyCode); };
        field.onMouseUp = [this, i](int, int, int, int) { txtTime_MouseUp(i); };
    }
    Form_Load();
}

void Form1::Show() {
    window_->show();
    txtTime(0).setFocus();
}

void Form1::Form_Load() {
    const std::string now = form1::FormatTime(clock_.timeOfDay());
    txtTime(0).setText(now.substr(0, 2));
    txtTime(1).setText(now.substr(3, 2));
    txtTime(2).setText(now.substr(6, 2));

    Module1::DetectWinVersion(system_);
    Frame1().setCaption(
        form1::VersionLine(project::Major, project::Minor, project::Revision, Module1::WinVersion));

    // Writing the text left the selection at the start of the field.
    txtTime(0).setSelLength(2);
}

void Form1::Timer1_Timer() {
    lblKlok().setCaption(form1::FormatTime(clock_.timeOfDay()));
    if (!CountingDown) return;

    const form1::TickReading now{clock_.timeOfDay(), clock_.utcMilliseconds(),
                                 clock_.monotonicMilliseconds()};
    // The fields are disabled while counting: their texts hold still through the tick.
    const std::string hours = txtTime(0).text();
    const std::string minutes = txtTime(1).text();
    const std::string seconds = txtTime(2).text();
    lblCountDown().setBackColor(CountingGreen);
    lblCountDown().setCaption(form1::TimeLeftText(hours, minutes, seconds, now.time));
    // A program held up across the target second asks as soon as it ticks again.
    const bool passedUnseen =
        lastTick_ && form1::TargetPassedUnseen(hours, minutes, seconds, *lastTick_, now);
    lastTick_ = now;
    if (powerOff_ == PowerOff::Asking && now.monotonic >= answerDue_) RouteKeptSilent();
    const bool reached = lblCountDown().caption() == form1::NoTimeLeft || passedUnseen;
    if (reached && !atTarget_) BeginTarget();
    atTarget_ = reached;
    if (reached) ShutDownPC();
}

// Every tick of the target second comes here. The first asks by the route the Windows
// version chooses and, should that refuse or stay silent, by the other one; if both do, the
// user is told and the countdown stops. Once a route has taken the request, each later tick
// asks it again.
void Form1::ShutDownPC() {
    tk::doEvents();
    // A Stop or a closing of the window meanwhile has ended the countdown.
    if (!CountingDown || window_->isClosed()) return;
    switch (powerOff_) {
    case PowerOff::NotAsked:
        refusedBefore_.reset();
        AskForPowerOff(form1::RouteFor(Module1::WinVersion));
        break;
    case PowerOff::Accepted: // asked again; whatever the answer, the request was taken
        RequestPowerOff(route_, [](const platform::PowerOffAnswer&) {});
        break;
    case PowerOff::Asking: // the answer is still to come
    case PowerOff::Failed: // the user is being told
        break;
    }
}

void Form1::BeginTarget() {
    powerOff_ = PowerOff::NotAsked;
    ++request_;
}

void Form1::AskForPowerOff(form1::ShutdownRoute route) {
    powerOff_ = PowerOff::Asking;
    route_ = route;
    answerDue_ = clock_.monotonicMilliseconds() + platform::PowerOffAnswerMs;
    RequestPowerOff(route, [this, request = ++request_](const platform::PowerOffAnswer& answer) {
        PowerOffAnswered(request, answer);
    });
}

void Form1::PowerOffAnswered(int request, const platform::PowerOffAnswer& answer) {
    // An answer after Stop, after its time, or for an earlier request changes nothing.
    if (request != request_ || !CountingDown || powerOff_ != PowerOff::Asking) return;
    if (answer.accepted)
        powerOff_ = PowerOff::Accepted;
    else
        RouteRefused(answer.reason);
}

// A route that has not answered in its time has refused.
void Form1::RouteKeptSilent() {
    RouteRefused(form1::RouteName(route_) + ": no answer within " +
                 std::to_string(platform::PowerOffAnswerMs / 1000) + " s");
}

void Form1::RouteRefused(const std::string& reason) {
    if (refusedBefore_) {
        PowerOffFailed(*refusedBefore_ + "\n" + reason);
        return;
    }
    refusedBefore_ = reason;
    AskForPowerOff(form1::OtherRoute(route_));
}

void Form1::RequestPowerOff(form1::ShutdownRoute route, platform::PowerOffReply reply) {
    if (route == form1::ShutdownRoute::Command)
        system_.startShutdownCommand(form1::ShutdownCommandLine, form1::ShowMinimized,
                                     std::move(reply));
    else
        system_.exitWindows(form1::ShutdownAndForce, form1::AnyReason, std::move(reply));
}

// The window must not go on counting towards a power-off it cannot make.
void Form1::PowerOffFailed(const std::string& reasons) {
    powerOff_ = PowerOff::Failed;
    tk::msgBox("The computer could not be switched off.\n\n" + reasons, project::Title,
               tk::MsgIcon::Warning);
    StopCountdown();
}

void Form1::Command1_Click(int index) {
    if (index == 0)
        StartCountdown();
    else
        StopCountdown();
}

void Form1::StartCountdown() {
    for (int i = 0; i < 3; ++i)
        PadWithLeadingZero(i);

    const std::string target =
        txtTime(0).text() + ":" + txtTime(1).text() + ":" + txtTime(2).text();
    if (target == ZeroTime) {
        tk::msgBox("No shutdown time entered.", "Enter shutdown time", tk::MsgIcon::Warning);
        txtTime(0).setFocus();
        return;
    }

    CountingDown = true;
    BeginTarget();
    lastTick_.reset();
    atTarget_ = false;
    for (int i = 0; i < 3; ++i)
        txtTime(i).setEnabled(false);
    Command1(1).setEnabled(true);
    Command1(0).setEnabled(false);
    Command1(0).setCaption("Counting down...");
    Command1(0).setBackColor(CountingRed);
}

void Form1::StopCountdown() {
    CountingDown = false;
    Command1(1).setEnabled(false);
    Command1(0).setEnabled(true);
    for (int i = 0; i < 3; ++i)
        txtTime(i).setEnabled(true);
    Command1(0).setCaption("Start Countdown");
    Command1(0).setBackColor(tk::ButtonFace);
    lblCountDown().setBackColor(tk::ButtonFace);
}

void Form1::Command2_Click() {
    tk::endProgram();
}

// The About window is built afresh for every opening and goes when it is closed. The
// countdown keeps ticking meanwhile.
void Form1::Command3_Click() {
    frmAbout about(system_);
    about.Show();
}

void Form1::txtTime_Change(int index) {
    CountingDown = false;
    const bool valid = form1::InRange(txtTime(0).text(), form1::HoursLimit) &&
                       form1::InRange(txtTime(1).text(), form1::MinutesLimit) &&
                       form1::InRange(txtTime(2).text(), form1::SecondsLimit);
    if (valid) return;

    tk::msgBox("Not a valid time.", "Invallid time value", tk::MsgIcon::Warning);
    txtTime(index).setFocus();
    SelectWholeField(index);
}

void Form1::txtTime_GotFocus(int index) {
    for (int i = 0; i < 3; ++i)
        PadWithLeadingZero(i);
    SelectWholeField(index);
}

void Form1::txtTime_KeyPress(int, int& keyAscii) {
    if (keyAscii == tk::KeyReturn) keyAscii = 0;
}

void Form1::txtTime_KeyUp(int index, int keyCode) {
    if (keyCode == tk::KeyReturn) txtTime((index + 1) % 3).setFocus();
}

void Form1::txtTime_MouseUp(int index) {
    if (txtTime(index).selLength() != 2) SelectWholeField(index);
}

void Form1::PadWithLeadingZero(int index) {
    if (const auto padded = form1::WithLeadingZero(txtTime(index).text()))
        txtTime(index).setText(*padded);
}

void Form1::SelectWholeField(int index) {
    txtTime(index).setSelStart(0);
    txtTime(index).setSelLength(2);
}
