#include "QtWidgets.h"

#include <QApplication>
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

void closeNextBox(BoxSeen& seen, int afterMilliseconds) {
    QTimer::singleShot(afterMilliseconds, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen.text = box->text();
        seen.title = box->windowTitle();
        seen.warning = box->icon() == QMessageBox::Warning;
        box->accept();
    });
}
