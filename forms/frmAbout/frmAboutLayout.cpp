#include "frmAboutLayout.h"

#include "forms/shared/Logo.h"
#include "forms/shared/Version.h"

#include <array>

namespace about {

using tk::ControlSpec;
using tk::Font;
using tk::Kind;

namespace {

constexpr Font TitleFont{.face = "MS Sans Serif", .points = 13.5};
constexpr tk::Color Blue = 0x00FF0000;
constexpr tk::Color Navy = 0x00800000;
constexpr tk::Color Black = 0x00000000;
constexpr tk::Color White = 0x00FFFFFF;
constexpr tk::Color Grey = 0x00808080;

// Front to back; the buttons in their tab order. The black title lies in front of the white
// one, a little to the right and up, so that it reads with a white edge; the grey and the
// white line form one etched separator.
const std::array Layout{
    ControlSpec{.kind = Kind::Button,
                .name = "cmdOK",
                .caption = "OK",
                .left = 4245,
                .top = 2625,
                .width = 1260,
                .height = 345,
                .tabIndex = 0,
                .isDefault = true,
                .isCancel = true},
    ControlSpec{.kind = Kind::Button,
                .name = "cmdSysInfo",
                .caption = "&System Info...",
                .left = 4260,
                .top = 3075,
                .width = 1245,
                .height = 345,
                .tabIndex = 1},
    ControlSpec{.kind = Kind::Image,
                .name = "Image1",
                .caption = project::MoonPicture,
                .left = 0,
                .top = 60,
                .width = 720,
                .height = 720,
                .picture = "Logo1"},
    ControlSpec{.kind = Kind::Image,
                .name = "Image2",
                .caption = project::PowerPicture,
                .left = 240,
                .top = 540,
                .width = 720,
                .height = 720,
                .picture = "Logo2"},
    ControlSpec{.kind = Kind::Label,
                .name = "lblURL",
                .caption = HomePage,
                .left = 1080,
                .top = 2100,
                .width = 2130,
                .height = 195,
                .font = Font{.face = "MS Sans Serif", .points = 8.25, .underline = true},
                .foreColor = Blue,
                .autoSize = true,
                .tabIndex = 8,
                .cursor = "LinkCursor"},
    ControlSpec{.kind = Kind::Label,
                .name = "Label1",
                .caption = NODRELL_COPYRIGHT "\n" NODRELL_AUTHOR,
                .left = 2880,
                .top = 780,
                .width = 2115,
                .height = 435,
                .tabIndex = 7},
    ControlSpec{.kind = Kind::Label,
                .name = "lblTitle2",
                .left = 1080,
                .top = 225,
                .width = 3885,
                .height = 480,
                .font = TitleFont,
                .foreColor = Black,
                .transparent = true,
                .tabIndex = 6},
    ControlSpec{.kind = Kind::Line,
                .name = "Line1",
                .index = 1,
                .left = 90,
                .top = 2445,
                .width = 5654,
                .height = 2445,
                .foreColor = Grey,
                .lineWidth = 1},
    ControlSpec{.kind = Kind::Label,
                .name = "lblDescription",
                .caption = "Counts down till the time you setup and then shuts down your PC. "
                           "Ideal for saving power, shutting down your PC after a download "
                           "etc... Works with Windows 95/98/Me/XP...",
                .left = 1095,
                .top = 1260,
                .width = 3885,
                .height = 870,
                .foreColor = Navy,
                .tabIndex = 2},
    ControlSpec{.kind = Kind::Label,
                .name = "lblTitle",
                .left = 1050,
                .top = 240,
                .width = 3885,
                .height = 480,
                .font = TitleFont,
                .foreColor = White,
                .tabIndex = 4,
                .decorative = true},
    ControlSpec{.kind = Kind::Line,
                .name = "Line1",
                .index = 0,
                .left = 105,
                .top = 2460,
                .width = 5654,
                .height = 2460,
                .foreColor = White,
                .lineWidth = 2},
    ControlSpec{.kind = Kind::Label,
                .name = "lblVersion",
                .left = 1110,
                .top = 780,
                .width = 1785,
                .height = 225,
                .tabIndex = 5},
    ControlSpec{.kind = Kind::Label,
                .name = "lblDisclaimer",
                .caption = "Nodrell is freeware: use it and pass it on free of charge. It "
                           "remains the copyright of its maker, who welcomes donations.",
                .left = 255,
                .top = 2625,
                .width = 3870,
                .height = 825,
                .foreColor = Navy,
                .tabIndex = 3},
};

} // namespace

const tk::WindowSpec Window{
    .name = "frmAbout",
    .caption = "About",
    .clientWidth = 5730,
    .clientHeight = 3555,
    .border = tk::WindowBorder::FixedDialog,
    .font = Font{.face = "MS Sans Serif", .points = 8.25},
    .position = tk::Point{2340, 1935},
    .icon = "AboutIcon",
};

std::span<const ControlSpec> Controls() {
    return Layout;
}

} // namespace about
