#include "QtButton.h"

#include "QtDrawing.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionButton>

namespace tk::qt {

void ButtonWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QPushButton::keyPressEvent(event);
}

QtButton::QtButton(ButtonWidget* widget, Button& button) : WidgetControl(widget) {
    widget->setFocusPolicy(Qt::StrongFocus);
    widget->setAutoDefault(false);
    widget->setDefault(button.row().isDefault);
    widget->setEnabled(button.row().enabled);
    clicked_ = QObject::connect(widget, &QPushButton::clicked, widget,
                                [&button] { button.reportClick(); });
    setCaption(button.caption());
}

QtButton::~QtButton() {
    QObject::disconnect(clicked_);
}

void QtButton::setCaption(std::string_view caption) {
    QPushButton* w = typed();
    if (w == nullptr) return;
    QStyleOptionButton option;
    option.initFrom(w);
    const int margin = w->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, w) +
                       2 * w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, w);
    w->setText(wrapButtonCaption(toQString(caption), w->fontMetrics(), w->width() - margin));
}

void QtButton::click() {
    if (QPushButton* w = typed()) w->click();
}

void QtButton::showAsDefault(bool isDefault) {
    if (QPushButton* w = typed()) w->setDefault(isDefault);
}

QString wrapButtonCaption(const QString& caption, const QFontMetrics& metrics, int width) {
    // The mnemonic marks take no room on the button.
    const auto shownWidth = [&metrics](const QString& text) {
        QString shown = text;
        shown.replace(QLatin1String("&&"), QLatin1String("\x01"));
        shown.remove(QLatin1Char('&'));
        shown.replace(QLatin1Char('\x01'), QLatin1Char('&'));
        return metrics.horizontalAdvance(shown);
    };
    if (caption.contains(QLatin1Char('\n')) || shownWidth(caption) <= width) return caption;
    QStringList lines;
    QString line;
    qsizetype at = 0;
    while (at < caption.size()) {
        // The next word with the blanks before it.
        qsizetype end = at;
        while (end < caption.size() && caption.at(end) == QLatin1Char(' '))
            ++end;
        while (end < caption.size() && caption.at(end) != QLatin1Char(' '))
            ++end;
        const QString piece = caption.mid(at, end - at);
        if (!line.isEmpty() && shownWidth(line + piece) > width) {
            lines.append(line);
            line = piece.trimmed();
        } else {
            line += piece;
        }
        at = end;
    }
    lines.append(line);
    return lines.join(QLatin1Char('\n'));
}

} // namespace tk::qt
