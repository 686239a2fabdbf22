#pragma once

#include "QtControl.h"

#include "toolkit/Controls.h"
#include "toolkit/Layout.h"

#include <QPushButton>

namespace tk::qt {

// A push button that Enter presses while it has the focus, as on Windows.
class ButtonWidget final : public QPushButton {
public:
    explicit ButtonWidget(QWidget* parent) : QPushButton(parent) {}

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class QtButton final : public WidgetControl<Button, ButtonWidget> {
public:
    // Takes the row's caption; the widget's place and font are already set.
    QtButton(ButtonWidget* widget, const ControlSpec& row);
    QtButton(const QtButton&) = delete;
    QtButton& operator=(const QtButton&) = delete;

    void setCaption(std::string_view caption) override;
    std::string caption() const override { return caption_; }
    void setFocus() override;
    bool hasFocus() const override;

private:
    std::string caption_;
};

// The caption broken at blanks into the lines that fit the button's width, as a multi-line
// Windows button shows it.
QString wrapButtonCaption(const QString& caption, const QFontMetrics& metrics, int width);

} // namespace tk::qt
