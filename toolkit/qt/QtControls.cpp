#include "QtControls.h"

#include "QtProgram.h"
#include "QtWindow.h"
#include "toolkit/CaptionWords.h"
#include "toolkit/Controls.h"
#include "toolkit/Window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleHints>
#include <QStyleOptionButton>
#include <QTimer>
#include <QtMath>

#include <algorithm>
#include <string>
#include <vector>

namespace tk::qt {

namespace {

// The native half of a control, holding its widget.
template <class Interface, class Widget = QWidget> class WidgetControl : public Interface {
public:
    explicit WidgetControl(Widget* widget) : widget_(widget) {}

    // Qt would hand the window's focus on to the next control, running its focus handling in
    // the middle of the call; the control lets go of the focus first instead.
    void setEnabled(bool enabled) override {
        if (!widget_) return;
        if (!enabled) widget_->clearFocus();
        widget_->setEnabled(enabled);
    }
    void setVisible(bool visible) override {
        if (!widget_) return;
        if (!visible) widget_->clearFocus();
        widget_->setVisible(visible);
    }
    void setFocus(FocusMove how) override {
        if (widget_) widget_->setFocus(focusReason(*widget_, how));
    }
    bool hasFocus() const override { return widget_ && widget_->hasFocus(); }
    void setAccessibleName(std::string_view name) override {
        if (widget_) widget_->setAccessibleName(toQString(name));
    }
    void hideFromScreenReaders() override {
        if (widget_) passOverForScreenReaders(*widget_);
    }

protected:
    QPointer<Widget> widget_;
};

// As on Windows (its caret time-out), the text cursor stops blinking five seconds after the
// last input and stays lit: a window left open for hours then draws nothing between ticks but
// its clock. Input reached a text box: its cursor blinks again, for a while.
void wakeCaret() {
    constexpr int CaretTimeoutMs = 5000;
    static QPointer<QTimer> timeout;
    static int flashTime = 0; // the desktop's own
    QStyleHints* hints = QGuiApplication::styleHints();
    if (timeout.isNull()) {
        flashTime = hints->cursorFlashTime();
        timeout = new QTimer(QCoreApplication::instance());
        timeout->setSingleShot(true);
        QObject::connect(timeout, &QTimer::timeout, [hints] { hints->setCursorFlashTime(0); });
    }
    if (hints->cursorFlashTime() != flashTime) hints->setCursorFlashTime(flashTime);
    timeout->start(CaretTimeoutMs);
}

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

// A label that reports left clicks to its control.
class LabelWidget final : public QLabel {
public:
    using QLabel::QLabel;

    Label* owner = nullptr;

    // From now on the text is shown on one line with its words where they start at 96 dots
    // per inch, scaled (CaptionWords.h), and the label fits it.
    void placeWords(int dotsPerInch);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (owner != nullptr && event->button() == Qt::LeftButton &&
            rect().contains(event->position().toPoint()))
            owner->reportClick();
    }
    void paintEvent(QPaintEvent* event) override;

private:
    struct Word {
        qreal x;
        QString text;
    };

    bool wordsPlaced_ = false;
    QList<Word> words_;
};

void LabelWidget::placeWords(int dotsPerInch) {
    const QFontMetrics metrics(font());
    // The controls in front of the label that cover its line, and the edge of its container,
    // which clips it. Children are listed from the back to the front.
    const QRect line(pos() + contentsRect().topLeft(), QSize(width(), metrics.height()));
    std::vector<Covered> covered{{1.0 * (parentWidget()->width() - line.left()), qInf()}};
    const QList<QWidget*> siblings =
        parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (qsizetype i = siblings.indexOf(this) + 1; i < siblings.size(); ++i) {
        if (!siblings[i]->isVisibleTo(parentWidget())) continue;
        const QRect box = siblings[i]->geometry();
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

class QtLabel final : public WidgetControl<NativeLabel, LabelWidget> {
public:
    // Shows the label's caption and colours with its row's border, alignment, sizing and
    // mouse cursor.
    QtLabel(LabelWidget* widget, Label& label, int dotsPerInch)
        : WidgetControl(widget), row_(label.row()), dotsPerInch_(dotsPerInch) {
        widget->owner = &label;
        widget->setTextFormat(Qt::PlainText);
        widget->setAlignment(toQtAlignment(row_.align));
        widget->setWordWrap(!row_.autoSize);
        widget->setIndent(0);
        if (row_.border) widget->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (!row_.cursor.empty()) widget->setCursor(mouseCursor(row_.cursor));
        setColors(label.foreColor(), label.backColor());
        setCaption(label.caption());
    }
    ~QtLabel() override {
        if (widget_) widget_->owner = nullptr;
    }

    void setCaption(std::string_view caption) override {
        if (!widget_) return;
        widget_->setText(toQString(caption));
        if (row_.autoSize) widget_->placeWords(dotsPerInch_);
    }
    void setColors(Color fore, Color back) override {
        if (!widget_) return;
        setTextColor(*widget_, fore);
        if (row_.transparent)
            widget_->setAutoFillBackground(false);
        else
            setBackground(*widget_, back);
    }
    // Qt names a label by its text; a name that differs from it, the spoken form of a caption
    // with runs of blanks, takes its place.
    void setAccessibleName(std::string_view name) override {
        if (!widget_) return;
        const QString spoken = toQString(name);
        widget_->setAccessibleName(spoken == widget_->text() ? QString() : spoken);
    }

private:
    const ControlSpec& row_;
    int dotsPerInch_;
};

bool isEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The code of the character the key types, as the windows compare it: Enter's 13, a printable
// character's own; 0 for a key that types neither.
int typedCode(const QKeyEvent& event) {
    if (isEnter(event.key())) return KeyReturn;
    const QString text = event.text();
    return !text.isEmpty() && text.front().isPrint() ? text.front().unicode() : 0;
}

// The key code of the key, as the windows compare it: Enter's, and the letters' and digits',
// which Qt's codes share; 0 for the other keys.
int keyCode(const QKeyEvent& event) {
    const int key = event.key();
    if (isEnter(key)) return KeyReturn;
    const bool shared =
        (key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z);
    return shared ? key : 0;
}

int shiftState(Qt::KeyboardModifiers keys) {
    return (keys & Qt::ShiftModifier ? ShiftMask : 0) |
           (keys & Qt::ControlModifier ? CtrlMask : 0) | (keys & Qt::AltModifier ? AltMask : 0);
}

int buttonCode(Qt::MouseButton button) {
    if (button == Qt::LeftButton) return LeftButton;
    if (button == Qt::RightButton) return RightButton;
    return button == Qt::MiddleButton ? MiddleButton : 0;
}

// What QLineEdit inserts as typed text: a printable character without a Ctrl shortcut.
bool insertsText(const QKeyEvent& event) {
    const QString typed = event.text();
    if (typed.isEmpty() || !typed.at(0).isPrint()) return false;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    return (modifiers & Qt::ControlModifier) == 0 || (modifiers & Qt::AltModifier) != 0;
}

// A line edit that runs its control's key, focus and mouse handling and keeps what the user
// types or pastes within the character limit. Qt's own maxLength would also cut texts written
// from code, which must stay whole, so the limit is kept here instead.
class TextBoxWidget final : public QLineEdit {
public:
    TextBoxWidget(QWidget* parent, const Window& window, int limit)
        : QLineEdit(parent), window_(window), limit_(limit) {
        // Dropped text would bypass the limit; a Windows edit box takes no drops either.
        setAcceptDrops(false);
        connect(this, &QLineEdit::textEdited, this, [this] {
            if (owner != nullptr) owner->reportChange();
        });
    }

    TextBox* owner = nullptr;
    // The focus left for another window or a popup menu; when it comes back with them, it has
    // not moved.
    bool focusKept = false;

protected:
    // Input and the focus start the text cursor blinking again.
    bool event(QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::FocusIn || type == QEvent::KeyPress ||
            type == QEvent::MouseButtonPress || type == QEvent::InputMethod)
            wakeCaret();
        return QLineEdit::event(event);
    }
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override {
        QLineEdit::keyReleaseEvent(event);
        if (event->isAutoRepeat() || owner == nullptr) return;
        if (const int key = keyCode(*event); key != 0)
            owner->reportKeyUp(key, shiftState(event->modifiers()));
    }
    void focusInEvent(QFocusEvent* event) override {
        // The line edit's own handling first (Tab selects everything), so that a selection
        // made by the handler stays.
        QLineEdit::focusInEvent(event);
        const Qt::FocusReason reason = event->reason();
        const bool cameBack =
            focusKept && (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason);
        focusKept = false;
        if (!cameBack && owner != nullptr) owner->reportGotFocus();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        const Qt::FocusReason reason = event->reason();
        focusKept = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
    }
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    qsizetype roomLeft() const {
        return std::max<qsizetype>(limit_ - (text().size() - selectedText().size()), 0);
    }
    // Pastes as the user's edit, cut to the room left under the limit.
    void pasteLimited(QClipboard::Mode mode) {
        QString pasted = QGuiApplication::clipboard()->text(mode);
        if (pasted.isEmpty()) return;
        if (limit_ > 0) pasted.truncate(roomLeft());
        if (!pasted.isEmpty() || hasSelectedText()) insert(pasted);
    }

    const Window& window_;
    int limit_;
};

void TextBoxWidget::keyPressEvent(QKeyEvent* event) {
    // Enter for the window's default button and Escape for its cancel button go straight
    // to the window.
    if (takesDialogKey(window_, *event)) {
        event->ignore();
        return;
    }
    // A character the handling sets to 0 is discarded; no window replaces one with another.
    if (int code = typedCode(*event); code != 0 && owner != nullptr) {
        const QPointer<TextBoxWidget> self(this);
        owner->reportKeyPress(code);
        if (self.isNull() || code == 0) return;
    }
    if (event->matches(QKeySequence::Paste))
        pasteLimited(QClipboard::Clipboard);
    else if (limit_ == 0 || !insertsText(*event) || roomLeft() >= event->text().size())
        QLineEdit::keyPressEvent(event);
}

void TextBoxWidget::mouseReleaseEvent(QMouseEvent* event) {
    const bool selectionPaste = event->button() == Qt::MiddleButton &&
                                QGuiApplication::clipboard()->supportsSelection() &&
                                rect().contains(event->position().toPoint());
    if (selectionPaste && limit_ > 0)
        pasteLimited(QClipboard::Selection);
    else
        QLineEdit::mouseReleaseEvent(event);
    if (owner == nullptr) return;
    const QPoint at = event->position().toPoint();
    if (const int button = buttonCode(event->button()); button != 0)
        owner->reportMouseUp(button, shiftState(event->modifiers()), at.x(), at.y());
}

void TextBoxWidget::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu(createStandardContextMenu());
    for (QAction* action : menu->actions()) {
        // The menu's Paste entry, known by the line edit's own (translated) text.
        if (!action->text().startsWith(QLineEdit::tr("&Paste"))) continue;
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, [this] { pasteLimited(QClipboard::Clipboard); });
    }
    menu->exec(event->globalPos());
}

void TextBoxWidget::inputMethodEvent(QInputMethodEvent* event) {
    const QString committed = event->commitString();
    if (limit_ == 0 || committed.size() <= roomLeft()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent cut(event->preeditString(), event->attributes());
    cut.setCommitString(committed.left(roomLeft()), event->replacementStart(),
                        event->replacementLength());
    QLineEdit::inputMethodEvent(&cut);
}

class QtTextBox final : public WidgetControl<NativeTextBox, TextBoxWidget> {
public:
    // Shows the box's text with its row's alignment and tooltip, and reports its input.
    QtTextBox(TextBoxWidget* widget, TextBox& box) : WidgetControl(widget) {
        widget->owner = &box;
        widget->setAlignment(toQtAlignment(box.row().align) & Qt::AlignHorizontal_Mask);
        widget->setToolTip(toQString(box.row().toolTip));
        setText(box.row().caption);
    }
    ~QtTextBox() override {
        if (widget_) widget_->owner = nullptr;
    }

    // Qt reports no change for an unchanged text and moves the cursor to the end: the write is
    // silent, and the selection is put back at the start.
    void setText(std::string_view text) override {
        if (!widget_) return;
        const QSignalBlocker blocker(widget_);
        widget_->setText(toQString(text));
        widget_->setCursorPosition(0);
    }
    std::string text() const override {
        return widget_ ? widget_->text().toStdString() : std::string();
    }
    void setSelStart(int start) override {
        if (!widget_) return;
        const QSignalBlocker blocker(widget_);
        widget_->setCursorPosition(std::clamp(start, 0, static_cast<int>(widget_->text().size())));
    }
    int selStart() const override {
        if (!widget_) return 0;
        return widget_->hasSelectedText() ? widget_->selectionStart() : widget_->cursorPosition();
    }
    void setSelLength(int length) override {
        if (!widget_) return;
        const int start = selStart();
        const int size = static_cast<int>(widget_->text().size());
        const QSignalBlocker blocker(widget_);
        widget_->setSelection(start, std::clamp(length, 0, size - start));
    }
    int selLength() const override {
        return widget_ ? static_cast<int>(widget_->selectedText().size()) : 0;
    }
    // The focus handling runs also when the focus comes back from another window.
    void setFocus(FocusMove how) override {
        if (!widget_) return;
        widget_->focusKept = false;
        widget_->setFocus(focusReason(*widget_, how));
    }
};

// The caption broken at blanks into the lines that fit the button's width, as a multi-line
// Windows button shows it.
QString wrapButtonCaption(const QString& caption, const QFontMetrics& metrics, int width) {
    // The mnemonic marks take no room on the button.
    const auto shownWidth = [&metrics](QString shown) {
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

// A push button that leaves Enter to its window, which knows the button Enter presses.
class ButtonWidget final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (isEnter(event->key()))
            event->ignore();
        else
            QPushButton::keyPressEvent(event);
    }
};

class QtButton final : public WidgetControl<NativeButton, ButtonWidget> {
public:
    // Shows the button's caption and reports its clicks.
    QtButton(ButtonWidget* widget, Button& button) : WidgetControl(widget) {
        widget->setFocusPolicy(Qt::StrongFocus);
        widget->setAutoDefault(false);
        widget->setDefault(button.row().isDefault);
        clicked_ = QObject::connect(widget, &QPushButton::clicked, widget,
                                    [&button] { button.reportClick(); });
        setCaption(button.caption());
    }
    ~QtButton() override { QObject::disconnect(clicked_); }

    void setCaption(std::string_view caption) override {
        if (!widget_) return;
        QStyleOptionButton option;
        option.initFrom(widget_);
        const QStyle& style = *widget_->style();
        const int margin = style.pixelMetric(QStyle::PM_ButtonMargin, &option, widget_) +
                           2 * style.pixelMetric(QStyle::PM_DefaultFrameWidth, &option, widget_);
        widget_->setText(wrapButtonCaption(toQString(caption), widget_->fontMetrics(),
                                           widget_->width() - margin));
    }
    void click() override {
        if (widget_) widget_->click();
    }
    void showAsDefault(bool isDefault) override {
        if (widget_) widget_->setDefault(isDefault);
    }

private:
    QMetaObject::Connection clicked_;
};

} // namespace

void place(QWidget& widget, const ControlSpec& row, const Scale& scale) {
    widget.setObjectName(toQString(controlName(row.name, row.index)));
    widget.setGeometry(scale.x(row.left), scale.y(row.top), scale.x(row.width),
                       scale.y(row.height));
    // Without a font of its own a control inherits the window's.
    if (row.font) widget.setFont(toQFont(*row.font));
    widget.setEnabled(row.enabled);
    widget.lower();
}

Made<NativeLabel, QLabel> newLabel(QWidget* parent, Label& label, const Scale& scale) {
    auto* widget = new LabelWidget(parent);
    place(*widget, label.row(), scale);
    return {std::make_unique<QtLabel>(widget, label, scale.dotsPerInchX()), widget};
}

Made<NativeTextBox> newTextBox(QWidget* parent, TextBox& box, const Window& window,
                               const Scale& scale) {
    auto* widget = new TextBoxWidget(parent, window, box.maxLength());
    place(*widget, box.row(), scale);
    return {std::make_unique<QtTextBox>(widget, box), widget};
}

Made<NativeButton> newButton(QWidget* parent, Button& button, const Scale& scale) {
    auto* widget = new ButtonWidget(parent);
    place(*widget, button.row(), scale);
    return {std::make_unique<QtButton>(widget, button), widget};
}

std::unique_ptr<NativeControl> newStatic(QWidget* widget) {
    return std::make_unique<WidgetControl<NativeControl>>(widget);
}

} // namespace tk::qt
