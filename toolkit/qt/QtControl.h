#pragma once

#include <QPointer>
#include <QWidget>

#include <utility>

namespace tk::qt {

// Runs a handler from a copy, so that a handler which replaces itself is not destroyed
// while it runs.
template <class Handler, class... Args> void fire(const Handler& handler, Args&&... args) {
    if (!handler) return;
    const Handler copy = handler;
    copy(std::forward<Args>(args)...);
}

// Enabled and visible state of a control that is a widget of its own. The flags are the
// control's own, as set from code: a control inside a hidden window stays visible.
// The widget may be gone once its window is destroyed; the control then keeps its state.
template <class Interface, class Widget> class WidgetControl : public Interface {
public:
    explicit WidgetControl(Widget* widget) : widget_(widget) {}

    void setEnabled(bool enabled) override {
        enabled_ = enabled;
        if (widget_ == nullptr) return;
        // Qt hands the focus on to the next control, running its focus handling in the
        // middle of this call; the focus stays nowhere instead.
        if (!enabled && widget_->hasFocus()) widget_->clearFocus();
        widget_->setEnabled(enabled);
    }
    bool enabled() const override { return enabled_; }

    void setVisible(bool visible) override {
        visible_ = visible;
        if (widget_ == nullptr) return;
        if (!visible && widget_->hasFocus()) widget_->clearFocus();
        widget_->setVisible(visible);
    }
    bool visible() const override { return visible_; }

protected:
    Widget* widget() const { return widget_.data(); }

private:
    QPointer<Widget> widget_;
    bool enabled_ = true;
    bool visible_ = true;
};

} // namespace tk::qt
