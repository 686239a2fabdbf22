#include "toolkit/Clock.h"

#include <QTime>

namespace tk {

TimeOfDay SystemClock::timeOfDay() {
    const QTime now = QTime::currentTime();
    return TimeOfDay{now.hour(), now.minute(), now.second()};
}

int SystemClock::millisecondOfDay() {
    return QTime::currentTime().msecsSinceStartOfDay();
}

} // namespace tk
