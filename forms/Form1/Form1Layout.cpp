#include "Form1Layout.h"

#include <array>

namespace form1 {

using tk::Align;
using tk::ControlSpec;
using tk::Font;
using tk::Kind;

namespace {

constexpr Font SansSerif{.face = "MS Sans Serif", .points = 8.25};
constexpr tk::Color VersionBlue = 0x00FF8080;

// Front to back; the controls that take the focus in their tab order. Picture2 lies in
// front of Picture1, whose top edge it overlaps.
const std::array Layout{
    ControlSpec{.kind = Kind::Button, .name = "Command2", .caption = "Close",
                .left = 120, .top = 3000, .width = 915, .height = 375, .tabIndex = 0},
    ControlSpec{.kind = Kind::Button, .name = "Command3", .caption = "About",
                .left = 3720, .top = 3000, .width = 915, .height = 375, .tabIndex = 1},
    ControlSpec{.kind = Kind::Button, .name = "Command1", .index = 1, .caption = "Stop  Countdown",
                .left = 3120, .top = 2280, .width = 1515, .height = 510, .enabled = false,
                .tabIndex = 2},
    ControlSpec{.kind = Kind::Button, .name = "Command1", .index = 0,
                .caption = "Start  Countdown", .left = 3120, .top = 1785, .width = 1515,
                .height = 510, .tabIndex = 3},
    ControlSpec{.kind = Kind::Label, .name = "Label3", .caption = "Time left:", .left = 120,
                .top = 1080, .width = 975, .height = 435, .transparent = true, .tabIndex = 4},
    ControlSpec{.kind = Kind::Label, .name = "Label2", .caption = "System        Time:",
                .left = 300, .top = 240, .width = 915, .height = 435, .transparent = true,
                .tabIndex = 5},
    ControlSpec{.kind = Kind::Label, .name = "lblCountDown", .caption = "00:00:00", .left = 1080,
                .top = 900, .width = 1935, .height = 495,
                .font = Font{.face = "Verdana", .points = 18, .bold = true},
                .foreColor = 0x00000000, .border = true, .align = Align::Center, .tabIndex = 6},
    ControlSpec{.kind = Kind::Label, .name = "lblKlok", .caption = "00:00:00", .left = 1080,
                .top = 240, .width = 1935, .height = 435,
                .font = Font{.face = "Verdana", .points = 14.25}, .foreColor = 0x000000FF,
                .backColor = 0x00C0FFFF, .border = true, .align = Align::Center, .tabIndex = 7},
    ControlSpec{.kind = Kind::PictureBox, .name = "Picture2", .left = 240, .top = 1680,
                .width = 2595, .height = 255, .border = true, .tabIndex = 13},
    ControlSpec{.kind = Kind::Label, .name = "Label4", .container = "Picture2",
                .caption = "Time to shutdown your computer", .width = 2445, .height = 180,
                .font = Font{.face = "Verdana", .points = 6.75}, .foreColor = VersionBlue,
                .autoSize = true, .tabIndex = 14},
    ControlSpec{.kind = Kind::PictureBox, .name = "Picture1", .left = 120, .top = 1800,
                .width = 2835, .height = 975, .border = true, .tabIndex = 8},
    ControlSpec{.kind = Kind::TextBox, .name = "txtTime", .index = 2, .container = "Picture1",
                .caption = "00", .left = 2280, .top = 300, .width = 315, .height = 315,
                .font = SansSerif, .align = Align::Center, .toolTip = "seconds", .maxLength = 2,
                .tabIndex = 9},
    ControlSpec{.kind = Kind::TextBox, .name = "txtTime", .index = 1, .container = "Picture1",
                .caption = "00", .left = 1740, .top = 300, .width = 315, .height = 315,
                .font = SansSerif, .align = Align::Center, .toolTip = "minutes", .maxLength = 2,
                .tabIndex = 10},
    ControlSpec{.kind = Kind::TextBox, .name = "txtTime", .index = 0, .container = "Picture1",
                .caption = "00", .left = 1200, .top = 300, .width = 315, .height = 315,
                .font = SansSerif, .align = Align::Center, .toolTip = "hours", .maxLength = 2,
                .tabIndex = 11},
    ControlSpec{.kind = Kind::Label, .name = "Label1", .container = "Picture1",
                .caption = "Shutdown time:        :h         :m        :s", .left = 60,
                .top = 345, .width = 2640, .height = 195, .font = SansSerif, .autoSize = true,
                .tabIndex = 12},
    ControlSpec{.kind = Kind::Label, .name = "Frame1", .left = 60, .top = 4500, .width = 4695,
                .height = 195, .foreColor = VersionBlue, .tabIndex = 15},
    ControlSpec{.kind = Kind::Image, .name = "Image2", .left = 3600, .top = 660, .width = 720,
                .height = 720},
    ControlSpec{.kind = Kind::Image, .name = "Image1", .left = 3240, .top = 240, .width = 720,
                .height = 720},
    ControlSpec{.kind = Kind::Line, .name = "Line2", .left = 0, .top = 60, .width = 4800,
                .height = 60, .foreColor = tk::Shadow3D},
    ControlSpec{.kind = Kind::Line, .name = "Line1", .left = 0, .top = 2880, .width = 4740,
                .height = 2880, .foreColor = tk::Shadow3D},
    ControlSpec{.kind = Kind::Line, .name = "Line3", .left = 0, .top = 3480, .width = 5040,
                .height = 3480, .foreColor = tk::Shadow3D},
    ControlSpec{.kind = Kind::Timer, .name = "Timer1", .interval = 250},
};

} // namespace

const tk::WindowSpec Window{
    .name = "Form1",
    .caption = "Nodrell v1.3 - Copyright (c) 2026 Ilse Marwood",
    .clientWidth = 4755,
    .clientHeight = 3570,
    .border = tk::WindowBorder::FixedSingle,
    .minButton = true,
    .maxButton = false,
    .font = Font{.face = "Verdana", .points = 8.25},
};

std::span<const ControlSpec> Controls() { return Layout; }

} // namespace form1
