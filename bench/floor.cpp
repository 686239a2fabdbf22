// nodrell-floor: the least a Qt 6 window that shows the time can cost, for bench/run to
// measure the program against. One label in a window of the countdown window's client size,
// and a 250 ms timer that writes the time of day into it.
#include <QApplication>
#include <QLabel>
#include <QTime>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QLabel label;
    label.resize(317, 238);
    label.setAlignment(Qt::AlignCenter);
    const auto showTime = [&label] {
        label.setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
    };
    showTime();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &label, showTime);
    timer.start(250);
    label.show();
    return QApplication::exec();
}
