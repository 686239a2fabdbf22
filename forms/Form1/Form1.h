#pragma once

#include "platform/Platform.h"
#include "toolkit/Clock.h"
#include "toolkit/Window.h"

#include <memory>

// The countdown window, the program's main window.
class Form1 {
public:
    // Creates the window with its controls and runs its load handling; not shown yet.
    Form1(tk::Clock& clock, platform::Platform& system);

    void Show() { window_->show(); }
    tk::Window& window() { return *window_; }

    tk::TextBox& txtTime(int index) { return window_->textBox("txtTime", index); }
    tk::Label& lblKlok() { return window_->label("lblKlok"); }
    tk::Label& lblCountDown() { return window_->label("lblCountDown"); }
    tk::Label& Frame1() { return window_->label("Frame1"); }
    tk::Button& Command1(int index) { return window_->button("Command1", index); }

    bool CountingDown = false;

private:
    void Form_Load();

    tk::Clock& clock_;
    platform::Platform& system_;
    std::unique_ptr<tk::Window> window_;
};
