#pragma once

#include "QtControl.h"

#include "toolkit/Controls.h"
#include "toolkit/Native.h"

#include <QPushButton>

namespace tk::qt {

class QtButton final : public WidgetControl<NativeButton, QPushButton> {
public:
    // Shows the button's caption and reports its clicks; the widget's place and font are
    // already set.
    QtButton(QPushButton* widget, Button& button);
    ~QtButton() override;

    void setCaption(std::string_view caption) override;
    void click() override;

private:
    QMetaObject::Connection clicked_;
};

// The caption broken at blanks into the lines that fit the button's width, as a multi-line
// Windows button shows it.
QString wrapButtonCaption(const QString& caption, const QFontMetrics& metrics, int width);

} // namespace tk::qt
