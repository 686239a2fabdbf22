#include "Activation.h"

#include <QApplication>
#include <QWidget>

namespace tk::qt {

void activateNow(QWidget& window) {
    window.activateWindow();
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(&window);
    QT_WARNING_POP
}

} // namespace tk::qt
