#pragma once

#include "QtControl.h"

#include "toolkit/Controls.h"
#include "toolkit/Native.h"

#include <QPushButton>

namespace tk::qt {

// A push button that leaves Enter to its window, which knows the button Enter presses.
class ButtonWidget final : public QPushButton {
public:
    explicit ButtonWidget(QWidget* parent) : QPushButton(parent) {}

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class QtButton final : public WidgetControl<NativeButton, ButtonWidget> {
public:
    // Shows the button's caption and reports its clicks; the widget's place and font are
    // already set.
    QtButton(ButtonWidget* widget, Button& button);
    ~QtButton() override;

    void setCaption(std::string_view caption) override;
    void click() override;
    void showAsDefault(bool isDefault) override;

private:
    QMetaObject::Connection clicked_;
};

// The caption broken at blanks into the lines that fit the button's width, as a multi-line
// Windows button shows it.
QString wrapButtonCaption(const QString& caption, const QFontMetrics& metrics, int width);

} // namespace tk::qt
