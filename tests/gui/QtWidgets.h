#pragma once

#include <QWidget>

#include <string_view>

// The Qt widgets behind a toolkit window, found by the names of the layout tables.
QWidget* topLevel(std::string_view windowName);
QWidget* widget(std::string_view windowName, std::string_view controlName);

// Shows nothing new: waits until the window is the active one, so that focus events arrive.
bool waitActive(std::string_view windowName);

// Closes the modal message box that is open when the timer fires, remembering its texts:
// with OK, or with a press of the key. The keystroke that opened the box, if any, is let go
// first; the rest of the closing one is finishKeystroke's.
struct BoxSeen {
    QString text;
    QString title;
    bool warning = false;
};
void closeNextBox(BoxSeen& seen, int afterMilliseconds, Qt::Key key = Qt::Key_unknown);

// The rest of a keystroke as the keyboard gives it once its press has acted: an auto-repeat
// and the release, each to whatever has the focus by then.
void finishKeystroke(Qt::Key key);
