#include "FormWidget.h"

#include "QtProgram.h"
#include "QtWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include <optional>

namespace tk::qt {

namespace {

std::optional<DialogKey> dialogKey(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return DialogKey::Enter;
    if (key == Qt::Key_Escape) return DialogKey::Escape;
    return std::nullopt;
}

} // namespace

bool takesDialogKey(const Window& window, const QKeyEvent& event) {
    const auto dialog = dialogKey(event.key());
    return dialog && window.dialogButton(*dialog) != nullptr;
}

void FormWidget::keyPressEvent(QKeyEvent* event) {
    if (const auto dialog = dialogKey(event->key());
        dialog && window_.dialogButton(*dialog) != nullptr) {
        // Spent first: the button may open a window that the key's repeats would reach.
        spendKey(*event);
        window_.pressDialogButton(*dialog);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FormWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onClosed) onClosed();
}

bool FormWidget::focusNextPrevChild(bool next) {
    window_.tab(next);
    return true;
}

} // namespace tk::qt
