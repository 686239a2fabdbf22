#pragma once

#include "toolkit/Window.h"

#include <QWidget>

#include <functional>

namespace tk::qt {

// The top-level widget of a window: hands Tab, Enter and Escape to the window's keyboard
// interface and reports its closing.
class FormWidget final : public QWidget {
public:
    explicit FormWidget(Window& window) : window_(window) {}

    std::function<void()> onClosed;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    Window& window_;
};

} // namespace tk::qt
