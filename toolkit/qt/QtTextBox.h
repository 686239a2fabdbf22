#pragma once

#include "QtControl.h"

#include "toolkit/Controls.h"
#include "toolkit/Native.h"

#include <QClipboard>
#include <QLineEdit>

namespace tk::qt {

// A line edit that runs its control's key, focus and mouse handling and keeps what the user
// types or pastes within the character limit. Qt's own maxLength would also cut texts written
// from code, which must stay whole, so the limit is kept here instead.
class TextBoxWidget final : public QLineEdit {
public:
    explicit TextBoxWidget(QWidget* parent);
    void setOwner(TextBox* owner) { owner_ = owner; }
    void setLimit(int maxLength) { limit_ = maxLength; }
    int limit() const { return limit_; }

    // The next focus-in runs the focus handling even when it comes back from another window.
    void forgetKeptFocus() { focusKept_ = false; }

    // Inserts text as the user's edit, cut to the room left under the limit.
    void insertLimited(QString text);
    void pasteLimited(QClipboard::Mode mode);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    qsizetype roomLeft() const;
    bool insertsText(const QKeyEvent& event) const;

    TextBox* owner_ = nullptr;
    int limit_ = 0;
    bool focusKept_ = false; // the focus left for another window or a popup menu
};

class QtTextBox final : public WidgetControl<NativeTextBox, TextBoxWidget> {
public:
    // Shows the box's text with its row's alignment, tooltip and limit, and reports its
    // input; the widget's place and font are already set.
    QtTextBox(TextBoxWidget* widget, TextBox& box);
    ~QtTextBox() override;

    void setText(std::string_view text) override;
    std::string text() const override;
    void setSelStart(int start) override;
    int selStart() const override;
    void setSelLength(int length) override;
    int selLength() const override;
    void setFocus(FocusMove how) override;
};

} // namespace tk::qt
