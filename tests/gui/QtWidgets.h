#pragma once

#include <QWidget>

#include <string_view>

// The Qt widgets behind a toolkit window, found by the names of the layout tables.
QWidget* topLevel(std::string_view windowName);
QWidget* widget(std::string_view windowName, std::string_view controlName);

// Shows nothing new: waits until the window is the active one, so that focus events arrive.
bool waitActive(std::string_view windowName);

// Closes the modal message box that is open when the timer fires, remembering its texts.
struct BoxSeen {
    QString text;
    QString title;
    bool warning = false;
};
void closeNextBox(BoxSeen& seen, int afterMilliseconds);
