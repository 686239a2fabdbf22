#include "QtLabel.h"

#include "QtConvert.h"

#include <QMouseEvent>

namespace tk::qt {

namespace {
constexpr Color ButtonText = SystemColorFlag | 18u;
} // namespace

void LabelWidget::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (owner_ != nullptr && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        fire(owner_->onClick);
}

QtLabel::QtLabel(LabelWidget* widget, const ControlSpec& row)
    : WidgetControl(widget), backColor_(row.backColor.value_or(ButtonFace)),
      foreColor_(row.foreColor.value_or(ButtonText)), transparent_(row.transparent),
      autoSize_(row.autoSize) {
    widget->setOwner(this);
    widget->setFocusPolicy(Qt::NoFocus);
    widget->setTextFormat(Qt::PlainText);
    widget->setAlignment(toQtAlignment(row.align));
    widget->setWordWrap(!autoSize_);
    widget->setIndent(0);
    widget->setMargin(0);
    if (row.border) {
        widget->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        widget->setLineWidth(1);
    }
    setForeColor(foreColor_);
    setBackColor(backColor_);
    setCaption(row.caption);
}

QtLabel::~QtLabel() {
    if (LabelWidget* w = widget()) w->setOwner(nullptr);
}

void QtLabel::setCaption(std::string_view caption) {
    caption_ = caption;
    LabelWidget* w = widget();
    if (w == nullptr) return;
    w->setText(toQString(caption));
    if (autoSize_) w->adjustSize();
}

void QtLabel::setBackColor(Color color) {
    backColor_ = color;
    LabelWidget* w = widget();
    if (w == nullptr) return;
    if (transparent_)
        clearBackground(*w);
    else
        setBackground(*w, color);
}

void QtLabel::setForeColor(Color color) {
    foreColor_ = color;
    if (LabelWidget* w = widget()) setTextColor(*w, color);
}

} // namespace tk::qt
