#pragma once

#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <functional>

namespace tk::qt {

// The top-level widget of a window: presses its default and cancel buttons and reports
// its closing.
class FormWidget final : public QWidget {
public:
    FormWidget() = default;

    void setDefaultButton(QPushButton* button) { default_ = button; }
    void setCancelButton(QPushButton* button) { cancel_ = button; }

    // Whether the key presses one of the window's buttons (Enter the default button, Escape
    // the cancel button) rather than reaching the control with the focus.
    bool takesDialogKey(int key) const;

    std::function<void()> onClosed;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* buttonFor(int key) const;

    QPointer<QPushButton> default_;
    QPointer<QPushButton> cancel_;
};

} // namespace tk::qt
