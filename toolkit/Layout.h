#pragma once

#include "Color.h"

#include <optional>
#include <string_view>

namespace tk {

struct Font {
    std::string_view face;
    double points = 8.25;
    bool bold = false;
    bool underline = false;
};

enum class Kind { Label, TextBox, Button, PictureBox, Image, Line, Timer };
enum class Align { Left, Center, Right };
enum class WindowBorder { FixedSingle, FixedDialog };

// Pictures are named: the program carries them (Windows: resources of those names, Qt:
// resources under :/pictures/; app/resources has Logo1, Logo2, AboutIcon and LinkCursor).
// This one is the program's own icon, the icon the system shows for the program file.
inline constexpr std::string_view ProgramIcon = "Program";

// One control of a window's layout. Rows are listed from front to back: where two controls
// overlap, the earlier row lies in front. The text boxes and buttons take the focus in the
// order of their tabIndex.
struct ControlSpec {
    Kind kind;
    std::string_view name;
    int index = -1;               // member index within a control array, -1 for none
    std::string_view container{}; // name of the holding picture box, anywhere in the table;
                                  // empty for the window
    std::string_view caption{};   // caption of a label or button, text of a text box; what
                                  // a screen reader calls an image
    int left = 0, top = 0, width = 0, height = 0; // twips; a line's x1, y1, x2, y2
    std::optional<Font> font{};                   // the window's font when absent
    std::optional<Color> foreColor{};
    std::optional<Color> backColor{};
    bool transparent = false; // label drawn without its own background
    bool border = false;      // single sunken border
    Align align = Align::Left;
    bool autoSize = false; // label sized to fit its caption
    std::string_view toolTip{};
    int maxLength = 0; // text box: characters the user may type, 0 for no limit
    bool enabled = true;
    int tabIndex = -1;      // place in the tab order, -1 for none
    bool isDefault = false; // button pressed by Enter
    bool isCancel = false;  // button pressed by Escape
    int lineWidth = 1;      // line width in pixels
    int interval = 0;       // timer interval in milliseconds
    bool timerEnabled = true;
    std::string_view picture{}; // image: the picture it shows at its own size, top left
    std::string_view cursor{};  // label: the named mouse cursor shown over it; empty: arrow
    // For screen readers: the label that names the control (a text box's caption, whose
    // words begin its name; a clock's heading), and a label drawn only for its look (the
    // shadow of another's text), which they pass over.
    std::string_view label{};
    bool decorative = false;
};

struct Point {
    int x = 0, y = 0;
};

struct WindowSpec {
    std::string_view name;
    std::string_view caption;
    int clientWidth = 0, clientHeight = 0; // twips
    WindowBorder border = WindowBorder::FixedSingle;
    bool minButton = false;
    bool maxButton = false;
    Font font;
    Color backColor = ButtonFace;
    std::optional<Point> position{};     // twips from the screen's top left; absent: system default
    std::string_view icon = ProgramIcon; // the picture of the title bar's icon
};

} // namespace tk
