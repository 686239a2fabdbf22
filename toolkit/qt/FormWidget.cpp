#include "FormWidget.h"

#include "QtControl.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace tk::qt {

QPushButton* FormWidget::buttonFor(int key) const {
    QPushButton* button = nullptr;
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        button = default_.data();
    else if (key == Qt::Key_Escape)
        button = cancel_.data();
    if (button == nullptr || !button->isEnabled() || !button->isVisible()) return nullptr;
    return button;
}

bool FormWidget::takesDialogKey(int key) const {
    return buttonFor(key) != nullptr;
}

void FormWidget::keyPressEvent(QKeyEvent* event) {
    if (QPushButton* button = buttonFor(event->key()); button != nullptr) {
        event->accept();
        button->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FormWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    fire(onClosed);
}

} // namespace tk::qt
