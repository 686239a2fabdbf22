#include "QtTextBox.h"

#include "CaretBlink.h"
#include "FormWidget.h"
#include "KeyCodes.h"
#include "QtConvert.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalBlocker>

#include <algorithm>
#include <memory>

namespace tk::qt {

TextBoxWidget::TextBoxWidget(QWidget* parent) : QLineEdit(parent) {
    // Dropped text would bypass the limit; a Windows edit box takes no drops either.
    setAcceptDrops(false);
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (owner_ != nullptr) owner_->reportChange();
    });
}

qsizetype TextBoxWidget::roomLeft() const {
    return limit_ - (text().size() - selectedText().size());
}

void TextBoxWidget::insertLimited(QString inserted) {
    if (limit_ > 0) inserted.truncate(std::max<qsizetype>(roomLeft(), 0));
    if (inserted.isEmpty() && !hasSelectedText()) return;
    insert(inserted);
}

void TextBoxWidget::pasteLimited(QClipboard::Mode mode) {
    if (isReadOnly()) return;
    const QString pasted = QGuiApplication::clipboard()->text(mode);
    if (pasted.isEmpty()) return;
    insertLimited(pasted);
}

// What QLineEdit inserts as typed text: a printable character without a Ctrl shortcut.
bool TextBoxWidget::insertsText(const QKeyEvent& event) const {
    const QString typed = event.text();
    if (typed.isEmpty() || !typed.at(0).isPrint()) return false;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    return (modifiers & Qt::ControlModifier) == 0 || (modifiers & Qt::AltModifier) != 0;
}

void TextBoxWidget::typeReplacement(int code, QKeyEvent& original) {
    int key = 0;
    QString text;
    switch (code) {
    case KeyReturn:
        key = Qt::Key_Return;
        text = QStringLiteral("\r");
        break;
    case 8:
        key = Qt::Key_Backspace;
        text = QStringLiteral("\b");
        break;
    case 27:
        key = Qt::Key_Escape;
        text = QString(QChar(27));
        break;
    default: {
        const char32_t character = static_cast<char32_t>(code);
        text = QString::fromUcs4(&character, 1);
        key = text.size() == 1 ? static_cast<int>(text.at(0).toUpper().unicode())
                               : static_cast<int>(Qt::Key_unknown);
        break;
    }
    }
    QKeyEvent replaced(QEvent::KeyPress, key, Qt::NoModifier, text);
    if (limit_ > 0 && insertsText(replaced) && roomLeft() < replaced.text().size()) {
        original.accept();
        return;
    }
    QLineEdit::keyPressEvent(&replaced);
    original.setAccepted(replaced.isAccepted());
}

// Input and the focus start the text cursor blinking again.
bool TextBoxWidget::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::InputMethod:
        wakeCaret();
        break;
    default:
        break;
    }
    return QLineEdit::event(event);
}

void TextBoxWidget::keyPressEvent(QKeyEvent* event) {
    // Enter for the window's default button and Escape for its cancel button go straight
    // to the window.
    auto* form = dynamic_cast<FormWidget*>(window());
    if (form != nullptr && form->takesDialogKey(event->key())) {
        event->ignore();
        return;
    }
    const int typed = typedCharCode(*event);
    int code = typed;
    if (typed != 0 && owner_ != nullptr) {
        const QPointer<TextBoxWidget> self(this);
        owner_->reportKeyPress(code);
        if (self.isNull()) return;
        if (code == 0) {
            event->accept();
            return;
        }
    }
    if (code != typed) {
        typeReplacement(code, *event);
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        pasteLimited(QClipboard::Clipboard);
        event->accept();
        return;
    }
    if (limit_ > 0 && insertsText(*event) && roomLeft() < event->text().size()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TextBoxWidget::keyReleaseEvent(QKeyEvent* event) {
    QLineEdit::keyReleaseEvent(event);
    if (event->isAutoRepeat() || owner_ == nullptr) return;
    if (const int key = virtualKeyCode(*event); key != 0)
        owner_->reportKeyUp(key, shiftMask(event->modifiers()));
}

void TextBoxWidget::focusInEvent(QFocusEvent* event) {
    // The line edit's own handling first (Tab selects everything), so that a selection
    // made by the handler stays.
    QLineEdit::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    const bool cameBack =
        focusKept_ && (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason);
    focusKept_ = false;
    // Focus that only returns with its window, or after a popup menu, has not moved.
    if (!cameBack && owner_ != nullptr) owner_->reportGotFocus();
}

void TextBoxWidget::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    const Qt::FocusReason reason = event->reason();
    focusKept_ = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

void TextBoxWidget::mouseReleaseEvent(QMouseEvent* event) {
    const bool selectionPaste = event->button() == Qt::MiddleButton &&
                                QGuiApplication::clipboard()->supportsSelection() &&
                                rect().contains(event->position().toPoint());
    if (selectionPaste && limit_ > 0)
        pasteLimited(QClipboard::Selection);
    else
        QLineEdit::mouseReleaseEvent(event);
    if (owner_ == nullptr) return;
    const QPoint at = event->position().toPoint();
    if (const int button = mouseButtonCode(event->button()); button != 0)
        owner_->reportMouseUp(button, shiftMask(event->modifiers()), at.x(), at.y());
}

void TextBoxWidget::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu(createStandardContextMenu());
    for (QAction* action : menu->actions()) {
        // The menu's Paste entry, known by the line edit's own (translated) text.
        if (!action->text().startsWith(QLineEdit::tr("&Paste"))) continue;
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, [this] { pasteLimited(QClipboard::Clipboard); });
    }
    const QPointer<TextBoxWidget> self(this);
    menu->exec(event->globalPos());
    if (!self.isNull()) event->accept();
}

void TextBoxWidget::inputMethodEvent(QInputMethodEvent* event) {
    const QString committed = event->commitString();
    if (limit_ > 0 && committed.size() > std::max<qsizetype>(roomLeft(), 0)) {
        QInputMethodEvent cut(event->preeditString(), event->attributes());
        cut.setCommitString(committed.left(std::max<qsizetype>(roomLeft(), 0)),
                            event->replacementStart(), event->replacementLength());
        QLineEdit::inputMethodEvent(&cut);
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

QtTextBox::QtTextBox(TextBoxWidget* widget, TextBox& box) : WidgetControl(widget) {
    const ControlSpec& row = box.row();
    widget->setOwner(&box);
    widget->setLimit(row.maxLength);
    widget->setAlignment(toQtAlignment(row.align) & Qt::AlignHorizontal_Mask);
    widget->setToolTip(toQString(row.toolTip));
    widget->setFocusPolicy(Qt::StrongFocus);
    widget->setEnabled(row.enabled);
    setText(row.caption);
}

QtTextBox::~QtTextBox() {
    if (TextBoxWidget* w = typed()) w->setOwner(nullptr);
}

// Qt reports no change for an unchanged text and moves the cursor to the end: the write is
// silent, and the selection is put back at the start.
void QtTextBox::setText(std::string_view text) {
    TextBoxWidget* w = typed();
    if (w == nullptr) return;
    const QSignalBlocker blocker(w);
    w->setText(toQString(text));
    w->setCursorPosition(0);
}

std::string QtTextBox::text() const {
    const TextBoxWidget* w = typed();
    return w == nullptr ? std::string() : toStdString(w->text());
}

void QtTextBox::setSelStart(int start) {
    TextBoxWidget* w = typed();
    if (w == nullptr) return;
    const QSignalBlocker blocker(w);
    w->setCursorPosition(std::clamp(start, 0, static_cast<int>(w->text().size())));
}

int QtTextBox::selStart() const {
    const TextBoxWidget* w = typed();
    if (w == nullptr) return 0;
    return w->hasSelectedText() ? w->selectionStart() : w->cursorPosition();
}

void QtTextBox::setSelLength(int length) {
    TextBoxWidget* w = typed();
    if (w == nullptr) return;
    const int start = selStart();
    const int size = static_cast<int>(w->text().size());
    const QSignalBlocker blocker(w);
    w->setSelection(start, std::clamp(length, 0, size - start));
}

int QtTextBox::selLength() const {
    const TextBoxWidget* w = typed();
    return w == nullptr ? 0 : static_cast<int>(w->selectedText().size());
}

void QtTextBox::setFocus(FocusMove how) {
    TextBoxWidget* w = typed();
    if (w == nullptr) return;
    w->forgetKeptFocus();
    w->setFocus(focusReason(*w, how));
}

} // namespace tk::qt
