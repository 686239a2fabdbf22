#include "Keyboard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QSet>
#include <QWidget>

namespace tk::qt {

namespace {

bool isModifier(int key) {
    return (key >= Qt::Key_Shift && key <= Qt::Key_ScrollLock) || key == Qt::Key_AltGr ||
           key == Qt::Key_Super_L || key == Qt::Key_Super_R;
}

void showFocus(QWidget& window) {
    if (window.testAttribute(Qt::WA_KeyboardFocusChange)) return;
    window.setAttribute(Qt::WA_KeyboardFocusChange);
    if (QWidget* focused = window.focusWidget()) focused->update();
}

// Sees every key event before its widget does. A key event reaches it once for each widget
// it is offered to on its way up to the window.
class KeyboardWatch final : public QObject {
public:
    explicit KeyboardWatch(QObject* parent) : QObject(parent) {}

    void spend(int key) { spent_.insert(key); }
    bool spendHeld() {
        spent_ += held_;
        return !held_.isEmpty();
    }

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::ApplicationDeactivate) {
            // Keys let go while another program had the keyboard are never heard of.
            held_.clear();
            spent_.clear();
            return false;
        }
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
            type != QEvent::ShortcutOverride)
            return false;
        const auto& key = static_cast<const QKeyEvent&>(*event);
        const int code = key.key();
        const bool released = type == QEvent::KeyRelease && !key.isAutoRepeat();
        if (spent_.contains(code)) {
            if (released) {
                spent_.remove(code);
                held_.remove(code);
            }
            return true;
        }
        if (released) {
            held_.remove(code);
        } else if (!key.isAutoRepeat() && type != QEvent::KeyRelease) {
            if (!isModifier(code)) held_.insert(code);
            if (auto* widget = qobject_cast<QWidget*>(target)) showFocus(*widget->window());
        }
        return false;
    }

private:
    QSet<int> held_;  // pressed and not yet let go
    QSet<int> spent_; // their rest reaches nothing
};

QPointer<KeyboardWatch> watch;

} // namespace

void watchKeyboard() {
    if (!watch.isNull()) return;
    watch = new KeyboardWatch(qApp);
    qApp->installEventFilter(watch);
}

Qt::FocusReason focusReason(const QWidget& widget, FocusMove how) {
    if (how == FocusMove::Previous) return Qt::BacktabFocusReason;
    if (how == FocusMove::Next || widget.window()->testAttribute(Qt::WA_KeyboardFocusChange))
        return Qt::TabFocusReason;
    return Qt::OtherFocusReason;
}

void spendKey(const QKeyEvent& event) {
    if (!watch.isNull()) watch->spend(event.key());
}

void spendHeldKeys(QWidget* beneath) {
    if (watch.isNull() || !watch->spendHeld() || beneath == nullptr) return;
    showFocus(*beneath->window());
}

} // namespace tk::qt
