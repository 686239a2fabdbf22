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

    tk::Button& cmdOK() { return cmdOK_; }
    tk::Button& cmdSysInfo() { return cmdSysInfo_; }
    tk::Label& lblTitle() { return lblTitle_; }
    tk::Label& lblTitle2() { return lblTitle2_; }
    tk::Label& lblVersion() { return lblVersion_; }
    tk::Label& lblDescription() { return lblDescription_; }
    tk::Label& lblDisclaimer() { return lblDisclaimer_; }
    tk::Label& lblURL() { return lblURL_; }
    tk::Label& Label1() { return Label1_; }

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
    // The controls, looked up once as the window is built: a name its layout lacks fails
    // there, not when a handler first runs.
    tk::Button& cmdOK_;
    tk::Button& cmdSysInfo_;
    tk::Label& lblTitle_;
    tk::Label& lblTitle2_;
    tk::Label& lblVersion_;
    tk::Label& lblDescription_;
    tk::Label& lblDisclaimer_;
    tk::Label& lblURL_;
    tk::Label& Label1_;
};
