#include "QtWidgets.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

QWidget* topLevel(std::string_view windowName) {
    const QString name =
        QString::fromUtf8(windowName.data(), static_cast<qsizetype>(windowName.size()));
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name) return w;
    return nullptr;
}

QWidget* widget(std::string_view windowName, std::string_view controlName) {
    QWidget* window = topLevel(windowName);
    if (!window) return nullptr;
    return window->findChild<QWidget*>(
        QString::fromUtf8(controlName.data(), static_cast<qsizetype>(controlName.size())));
}

bool waitActive(std::string_view windowName) {
    QWidget* window = topLevel(windowName);
    if (!window) return false;
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

void closeNextBox(BoxSeen& seen, int afterMilliseconds, Qt::Key key) {
    QTimer::singleShot(afterMilliseconds, [&seen, key] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen.text = box->text();
        seen.title = box->windowTitle();
        seen.warning = box->icon() == QMessageBox::Warning;
        if (key == Qt::Key_unknown) {
            box->accept();
            return;
        }
        QWidget* focus = box->focusWidget() != nullptr ? box->focusWidget() : box;
        QTest::keyRelease(focus, key);
        QTest::keyPress(focus, key);
    });
}

void finishKeystroke(Qt::Key key) {
    const auto target = [] {
        QWidget* focus = QApplication::focusWidget();
        return focus != nullptr ? focus : QApplication::activeWindow();
    };
    const QString text = key == Qt::Key_Return ? QStringLiteral("\r") : QString();
    QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, text, true);
    if (QWidget* widget = target()) QApplication::sendEvent(widget, &repeat);
    if (QWidget* widget = target()) QTest::keyRelease(widget, key);
}
