#pragma once

#include "platform/Platform.h"
#include "toolkit/Window.h"

#include <memory>
#include <string>

// The About window: title, version, description and the home page, which it opens in the
// shell, and the start of the System Information tool. Loaded anew for every opening.
class frmAbout {
public:
    // Creates the window with its controls and runs its load handling; not shown yet.
    explicit frmAbout(platform::Platform& system);

    // Shows the window modally; returns once it is closed.
    void Show();
    tk::Window& window() { return *window_; }

    tk::Button& cmdOK() { return window_->button("cmdOK"); }
    tk::Button& cmdSysInfo() { return window_->button("cmdSysInfo"); }
    tk::Label& lblTitle() { return window_->label("lblTitle"); }
    tk::Label& lblTitle2() { return window_->label("lblTitle2"); }
    tk::Label& lblVersion() { return window_->label("lblVersion"); }
    tk::Label& lblDescription() { return window_->label("lblDescription"); }
    tk::Label& lblDisclaimer() { return window_->label("lblDisclaimer"); }
    tk::Label& lblURL() { return window_->label("lblURL"); }
    tk::Label& Label1() { return window_->label("Label1"); }

    // Opens the address in the shell, the home page when it is empty. Failures are ignored,
    // except that a desktop without an opener is told to the user.
    void OpenURL(std::string& URLs);
    // Starts the System Information tool, or tells the user that it is not there.
    void StartSysInfo();

private:
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void lblURL_Click();

    platform::Platform& system_;
    std::unique_ptr<tk::Window> window_;
};
