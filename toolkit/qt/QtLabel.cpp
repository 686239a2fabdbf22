#include "QtLabel.h"

#include "QtConvert.h"

#include <QMouseEvent>

namespace tk::qt {

void LabelWidget::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (owner_ != nullptr && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        owner_->reportClick();
}

QtLabel::QtLabel(LabelWidget* widget, Label& label)
    : WidgetControl(widget), transparent_(label.row().transparent),
      autoSize_(label.row().autoSize) {
    const ControlSpec& row = label.row();
    widget->setOwner(&label);
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
    widget->setEnabled(row.enabled);
    setColors(label.foreColor(), label.backColor());
    setCaption(label.caption());
}

QtLabel::~QtLabel() {
    if (LabelWidget* w = typed()) w->setOwner(nullptr);
}

void QtLabel::setCaption(std::string_view caption) {
    LabelWidget* w = typed();
    if (w == nullptr) return;
    w->setText(toQString(caption));
    if (autoSize_) w->adjustSize();
}

void QtLabel::setAccessibleName(std::string_view name) {
    LabelWidget* w = typed();
    if (w == nullptr) return;
    const QString spoken = toQString(name);
    w->setAccessibleName(spoken == w->text() ? QString() : spoken);
}

void QtLabel::setColors(Color fore, Color back) {
    LabelWidget* w = typed();
    if (w == nullptr) return;
    setTextColor(*w, fore);
    if (transparent_)
        clearBackground(*w);
    else
        setBackground(*w, back);
}

} // namespace tk::qt
