// nodrell-bench: the countdown window (Form1, the same forms code as the program) with the
// system clock and a platform that only records. It powers nothing off: every power-off
// request lands in a RecordingPlatform, with the wall-clock time it was made.
//
//   nodrell-bench countdown        a target 8 h ahead, Start pressed; counts down until killed
//   nodrell-bench accuracy RUNS    RUNS times a new window, a target 1-2 s ahead, Start; one
//                                  JSON line per run with the times of the requests
//
// Both press Start through Form1's own click handler, as a click on the button would.
#include "forms/Form1/Form1.h"
#include "forms/Form1/Countdown.h"
#include "forms/shared/Version.h"
#include "platform/RecordingPlatform.h"
#include "toolkit/Clock.h"
#include "toolkit/Program.h"

#include <QApplication>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

double wallClock() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A RecordingPlatform that also notes when each power-off request came.
class TimedPlatform final : public platform::RecordingPlatform {
public:
    std::vector<double> requestTimes; // seconds since the epoch

    void startShutdownCommand(std::string_view commandLine, int showCommand,
                              platform::PowerOffReply reply) override {
        requestTimes.push_back(wallClock());
        RecordingPlatform::startShutdownCommand(commandLine, showCommand, std::move(reply));
    }
    void exitWindows(std::uint32_t flags, std::uint32_t reason,
                     platform::PowerOffReply reply) override {
        requestTimes.push_back(wallClock());
        RecordingPlatform::exitWindows(flags, reason, std::move(reply));
    }
};

// Types the local time of day of `epochSecond` into the fields and presses Start. False when
// that time is 00:00:00, which the window takes for "no time entered".
bool startCountdown(Form1& form, long long epochSecond) {
    const std::time_t when = static_cast<std::time_t>(epochSecond);
    std::tm local{};
    localtime_r(&when, &local);
    const std::string target = form1::FormatTime({local.tm_hour, local.tm_min, local.tm_sec});
    if (target == "00:00:00") return false;
    form.txtTime(0).setText(target.substr(0, 2));
    form.txtTime(1).setText(target.substr(3, 2));
    form.txtTime(2).setText(target.substr(6, 2));
    form.Command1(0).onClick();
    return form.CountingDown;
}

struct Countdown {
    tk::SystemClock clock;
    TimedPlatform system;
    std::unique_ptr<Form1> form;
};

void countdown(Countdown& state) {
    state.form = std::make_unique<Form1>(state.clock, state.system);
    state.form->Show();
    long long target = static_cast<long long>(std::floor(wallClock())) + 8 * 3600;
    if (!startCountdown(*state.form, target) && !startCountdown(*state.form, ++target)) {
        std::fprintf(stderr, "nodrell-bench: Start did not start the countdown\n");
        std::exit(1);
    }
    std::printf("{\"type\":\"counting\",\"target\":\"%s:%s:%s\"}\n",
                state.form->txtTime(0).text().c_str(), state.form->txtTime(1).text().c_str(),
                state.form->txtTime(2).text().c_str());
    std::fflush(stdout);
    // The window must really count: its label shows the time left a moment later.
    QTimer::singleShot(1500, [&state] {
        std::printf("{\"type\":\"left\",\"caption\":\"%s\",\"requests\":%zu}\n",
                    state.form->lblCountDown().caption().c_str(), state.system.requestTimes.size());
        std::fflush(stdout);
    });
}

// One accuracy run after another: a fresh window each time, created at a random moment
// within the second so that the timer's phase against the clock's seconds varies as it does
// for a user, then a target that begins one to two seconds later. The run ends when the
// target second is over (plus a margin, so that a late request would still be seen).
class Accuracy {
public:
    explicit Accuracy(int runs) : runs_(runs), random_(std::random_device{}()) {}

    void next() {
        if (done_ == runs_) {
            QCoreApplication::quit();
            return;
        }
        std::uniform_int_distribution<int> pause(0, 999);
        QTimer::singleShot(pause(random_), Qt::PreciseTimer, [this] { begin(); });
    }

private:
    void begin() {
        current_ = std::make_unique<Countdown>();
        current_->form = std::make_unique<Form1>(current_->clock, current_->system);
        current_->form->Show();
        const double started = wallClock();
        target_ = static_cast<long long>(std::floor(started)) + 2;
        if (!startCountdown(*current_->form, target_)) {
            current_.reset();
            QTimer::singleShot(1500, [this] { next(); });
            return;
        }
        started_ = started;
        const double end = static_cast<double>(target_) + 1.0 + MarginS;
        QTimer::singleShot(static_cast<int>((end - wallClock()) * 1000) + 1, Qt::PreciseTimer,
                           [this] { finish(); });
    }

    void finish() {
        const auto& times = current_->system.requestTimes;
        std::string list;
        for (const double t : times) {
            char item[32];
            std::snprintf(item, sizeof item, "%s%.6f", list.empty() ? "" : ",",
                          t - static_cast<double>(target_));
            list += item;
        }
        std::printf("{\"type\":\"run\",\"run\":%d,\"target\":%lld,\"lead_s\":%.6f,"
                    "\"requests\":[%s]}\n",
                    done_, target_, static_cast<double>(target_) - started_, list.c_str());
        std::fflush(stdout);
        current_->form->Command1(1).onClick(); // Stop
        current_.reset();
        ++done_;
        next();
    }

    static constexpr double MarginS = 0.05;
    int runs_;
    int done_ = 0;
    std::mt19937 random_;
    std::unique_ptr<Countdown> current_;
    long long target_ = 0;
    double started_ = 0;
};

int usage() {
    std::fprintf(stderr, "usage: nodrell-bench countdown | accuracy RUNS\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string mode = argv[1];
    if (mode != "countdown" && !(mode == "accuracy" && argc == 3)) return usage();

    tk::Application application(argc, argv, project::DesktopId);
    // Windows come and go between accuracy runs; none of that ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    Countdown held;
    std::unique_ptr<Accuracy> accuracy;
    if (mode == "countdown") {
        QTimer::singleShot(0, [&held] { countdown(held); });
    } else {
        const int runs = std::atoi(argv[2]);
        if (runs <= 0) return usage();
        accuracy = std::make_unique<Accuracy>(runs);
        accuracy->next();
    }
    return application.run();
}
