#include "QtTextBox.h"

#include "CaretBlink.h"
#include "FormWidget.h"
#include "QtDrawing.h"

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

namespace {

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

} // namespace

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
    // A character the handling sets to 0 is discarded; no window replaces one with another.
    if (int code = typedCode(*event); code != 0 && owner_ != nullptr) {
        const QPointer<TextBoxWidget> self(this);
        owner_->reportKeyPress(code);
        if (self.isNull() || code == 0) return;
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
    if (const int key = keyCode(*event); key != 0)
        owner_->reportKeyUp(key, shiftState(event->modifiers()));
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
    if (const int button = buttonCode(event->button()); button != 0)
        owner_->reportMouseUp(button, shiftState(event->modifiers()), at.x(), at.y());
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
    return w == nullptr ? std::string() : w->text().toStdString();
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
