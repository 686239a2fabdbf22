#pragma once

#include "FormWidget.h"
#include "QtButton.h"
#include "QtLabel.h"
#include "QtTextBox.h"
#include "QtTimer.h"

#include "toolkit/Layout.h"

#include <QCursor>
#include <QIcon>

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tk::qt {

template <class T> struct Named {
    std::string name;
    int index = -1;
    std::unique_ptr<T> control;
};

// The controls of a window that code can reach, by name and control-array index.
struct ControlSet {
    std::vector<Named<QtLabel>> labels;
    std::vector<Named<QtTextBox>> textBoxes;
    std::vector<Named<QtButton>> buttons;
    std::vector<Named<QtTimer>> timers;
};

// "name", or "name(index)" for a member of a control array: the widget's object name.
QString controlObjectName(std::string_view name, int index);

// The named picture as a window icon, with every size it holds.
QIcon windowIcon(std::string_view name);

// The named cursor file as a mouse cursor with its own hot spot; the arrow when there is none.
QCursor mouseCursor(std::string_view name);

// Creates the widgets of the layout table on the form: places, fonts and colours, front
// to back order, tab order over the controls that take the focus.
ControlSet buildControls(FormWidget& form, const WindowSpec& window,
                         std::span<const ControlSpec> controls);

} // namespace tk::qt
