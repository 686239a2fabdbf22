#pragma once

#include "QtControl.h"

#include "toolkit/Controls.h"
#include "toolkit/Layout.h"

#include <QLabel>

namespace tk::qt {

class QtLabel;

// A label that reports left clicks to its control.
class LabelWidget final : public QLabel {
public:
    explicit LabelWidget(QWidget* parent) : QLabel(parent) {}
    void setOwner(QtLabel* owner) { owner_ = owner; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QtLabel* owner_ = nullptr;
};

class QtLabel final : public WidgetControl<Label, LabelWidget> {
public:
    // Takes the row's caption, colours, border, alignment and sizing; the widget's place
    // and font are already set.
    QtLabel(LabelWidget* widget, const ControlSpec& row);
    ~QtLabel() override;
    QtLabel(const QtLabel&) = delete;
    QtLabel& operator=(const QtLabel&) = delete;

    void setCaption(std::string_view caption) override;
    std::string caption() const override { return caption_; }
    void setBackColor(Color color) override;
    Color backColor() const override { return backColor_; }
    void setForeColor(Color color) override;
    Color foreColor() const override { return foreColor_; }

private:
    std::string caption_;
    Color backColor_;
    Color foreColor_;
    bool transparent_;
    bool autoSize_;
};

} // namespace tk::qt
