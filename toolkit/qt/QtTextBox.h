#pragma once

#include "QtControl.h"

#include "toolkit/Controls.h"
#include "toolkit/Layout.h"

#include <QClipboard>
#include <QLineEdit>

namespace tk::qt {

class QtTextBox;

// A line edit that runs its control's key, focus and mouse handling and keeps what the user
// types or pastes within the character limit. Qt's own maxLength would also cut texts written
// from code, which must stay whole, so the limit is kept here instead.
class TextBoxWidget final : public QLineEdit {
public:
    explicit TextBoxWidget(QWidget* parent);
    void setOwner(QtTextBox* owner) { owner_ = owner; }
    void setLimit(int maxLength) { limit_ = maxLength; }
    int limit() const { return limit_; }

    // The next focus-in runs the focus handling even when it comes back from another window.
    void forgetKeptFocus() { focusKept_ = false; }

    // Inserts text as the user's edit, cut to the room left under the limit.
    void insertLimited(QString text);
    void pasteLimited(QClipboard::Mode mode);

protected:
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
    void typeReplacement(int code, QKeyEvent& original);

    QtTextBox* owner_ = nullptr;
    int limit_ = 0;
    bool focusKept_ = false; // the focus left for another window or a popup menu
};

class QtTextBox final : public WidgetControl<TextBox, TextBoxWidget> {
public:
    // Takes the row's text, alignment, tooltip and limit; the widget's place and font are
    // already set.
    QtTextBox(TextBoxWidget* widget, const ControlSpec& row);
    ~QtTextBox() override;
    QtTextBox(const QtTextBox&) = delete;
    QtTextBox& operator=(const QtTextBox&) = delete;

    void setText(std::string_view text) override;
    std::string text() const override;
    void setSelStart(int start) override;
    int selStart() const override;
    void setSelLength(int length) override;
    int selLength() const override;
    void setFocus() override;
    bool hasFocus() const override;
    int maxLength() const override { return maxLength_; }
    std::string toolTip() const override { return toolTip_; }

private:
    int maxLength_;
    std::string toolTip_;
};

} // namespace tk::qt
