#include "QtLabel.h"

#include "toolkit/CaptionWords.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QtMath>

#include <string>
#include <vector>

namespace tk::qt {

void LabelWidget::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (owner_ != nullptr && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        owner_->reportClick();
}

namespace {

// The label's font, and the same face at the pixels it has at 96 dots per inch.
class LabelFont final : public CaptionFont {
public:
    LabelFont(const QFont& font, const QWidget* widget)
        : at96_(pixelsAt96(font)), onScreen_(font, widget) {}
    double widthAt96(std::string_view text) const override {
        return at96_.horizontalAdvance(toQString(text));
    }
    double width(std::string_view text) const override {
        return onScreen_.horizontalAdvance(toQString(text));
    }

private:
    static QFont pixelsAt96(QFont font) {
        font.setPixelSize(qRound(font.pointSizeF() * 96 / 72));
        return font;
    }

    QFontMetricsF at96_;
    QFontMetricsF onScreen_;
};

} // namespace

void LabelWidget::placeWords(int dotsPerInch) {
    const QFontMetrics metrics(font());
    // The controls in front of the label that cover its line, and the edge of its container,
    // which clips it. Children are listed from the back to the front.
    const QRect line(pos() + contentsRect().topLeft(), QSize(width(), metrics.height()));
    std::vector<Covered> covered{{1.0 * (parentWidget()->width() - line.left()), qInf()}};
    const QObjectList siblings = parentWidget()->children();
    for (qsizetype i = siblings.indexOf(this) + 1; i < siblings.size(); ++i) {
        const auto* sibling = qobject_cast<const QWidget*>(siblings[i]);
        if (sibling == nullptr || !sibling->isVisibleTo(parentWidget())) continue;
        const QRect box = sibling->geometry();
        if (box.top() < line.bottom() + 1 && line.top() < box.bottom() + 1)
            covered.push_back(
                {1.0 * (box.left() - line.left()), 1.0 * (box.right() + 1 - line.left())});
    }
    const std::string caption = text().toStdString();
    const PlacedCaption placed =
        tk::placeWords(caption, dotsPerInch, LabelFont(font(), this), covered);
    words_.clear();
    for (const PlacedWord& word : placed.words)
        words_.append({word.x, toQString(word.text)});
    wordsPlaced_ = true;
    resize(qCeil(placed.width) + 2 * frameWidth(), metrics.height() + 2 * frameWidth());
    update();
}

void LabelWidget::paintEvent(QPaintEvent* event) {
    if (!wordsPlaced_) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    const QRect inside = contentsRect();
    for (const Word& word : words_)
        style()->drawItemText(&painter, inside.adjusted(qRound(word.x), 0, 0, 0),
                              Qt::AlignLeft | Qt::AlignTop, palette(), isEnabled(), word.text,
                              foregroundRole());
}

QtLabel::QtLabel(LabelWidget* widget, Label& label, const Scale& scale)
    : WidgetControl(widget), transparent_(label.row().transparent), autoSize_(label.row().autoSize),
      dotsPerInch_(scale.dotsPerInchX()) {
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
    if (autoSize_) w->placeWords(dotsPerInch_);
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
        w->setAutoFillBackground(false);
    else
        setBackground(*w, back);
}

} // namespace tk::qt
