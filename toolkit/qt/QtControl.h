#pragma once

#include "QtAccessible.h"
#include "QtDrawing.h"
#include "QtProgram.h"

#include <QPointer>
#include <QWidget>

namespace tk::qt {

// What every native control of this back end is: a widget of its own. The widget belongs to
// the window and may be gone once the window is destroyed; the control then does nothing.
class QtWidget {
public:
    explicit QtWidget(QWidget* widget) : widget_(widget) {}
    virtual ~QtWidget() = default;
    QtWidget(const QtWidget&) = delete;
    QtWidget& operator=(const QtWidget&) = delete;

    QWidget* widget() const { return widget_.data(); }

private:
    QPointer<QWidget> widget_;
};

template <class Interface, class Widget = QWidget>
class WidgetControl : public Interface, public QtWidget {
public:
    explicit WidgetControl(Widget* widget) : QtWidget(widget) {}

    // Qt would hand the window's focus on to the next control, running its focus handling in
    // the middle of the call; the control lets go of the focus first instead.
    void setEnabled(bool enabled) override {
        if (Widget* w = typed()) {
            if (!enabled) w->clearFocus();
            w->setEnabled(enabled);
        }
    }
    void setVisible(bool visible) override {
        if (Widget* w = typed()) {
            if (!visible) w->clearFocus();
            w->setVisible(visible);
        }
    }
    void setFocus(FocusMove how) override {
        if (Widget* w = typed()) w->setFocus(focusReason(*w, how));
    }
    bool hasFocus() const override {
        const QWidget* w = widget();
        return w != nullptr && w->hasFocus();
    }
    void setAccessibleName(std::string_view name) override {
        if (Widget* w = typed()) w->setAccessibleName(toQString(name));
    }
    void hideFromScreenReaders() override {
        if (Widget* w = typed()) passOverForScreenReaders(*w);
    }

protected:
    Widget* typed() const { return static_cast<Widget*>(widget()); }
};

} // namespace tk::qt
