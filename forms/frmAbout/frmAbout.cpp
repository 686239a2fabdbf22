#include "frmAbout.h"

#include "SysInfoLauncher.h"
#include "forms/shared/Version.h"
#include "forms/shared/VersionNumber.h"
#include "frmAboutLayout.h"
#include "toolkit/Program.h"

#include <exception>

frmAbout::frmAbout(platform::Platform& system)
    : system_(system), window_(tk::createWindow(about::Window, about::Controls())),
      cmdOK_(window_->button("cmdOK")), cmdSysInfo_(window_->button("cmdSysInfo")),
      lblTitle_(window_->label("lblTitle")), lblTitle2_(window_->label("lblTitle2")),
      lblVersion_(window_->label("lblVersion")), lblDescription_(window_->label("lblDescription")),
      lblDisclaimer_(window_->label("lblDisclaimer")), lblURL_(window_->label("lblURL")),
      Label1_(window_->label("Label1")) {
    cmdOK().onClick = [this] { cmdOK_Click(); };
    cmdSysInfo().onClick = [this] { cmdSysInfo_Click(); };
    lblURL().onClick = [this] { lblURL_Click(); };
    Form_Load();
}

void frmAbout::Show() {
    window_->showModal();
}

void frmAbout::Form_Load() {
    window_->setCaption("About " + std::string(project::Title));
    lblVersion().setCaption(
        "Version " + project::VersionNumber(project::Major, project::Minor, project::Revision));
    lblTitle().setCaption(project::Title);
    lblTitle2().setCaption(lblTitle().caption());
}

void frmAbout::cmdOK_Click() {
    window_->unload();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::lblURL_Click() {
    std::string address = lblURL().caption();
    OpenURL(address);
}

void frmAbout::OpenURL(std::string& URLs) {
    if (URLs.empty()) URLs = about::HomePage;
    // Opening the page is a courtesy: whatever goes wrong, the window carries on. A desktop
    // with no opener at all would otherwise leave the click without any answer.
    try {
        if (!system_.openInShell(URLs))
            tk::msgBox("The web page " + URLs +
                           " could not be opened: the desktop's opener xdg-open was not found. "
                           "Install the package xdg-utils, or open the address in your web "
                           "browser.",
                       project::Title, tk::MsgIcon::None);
    } catch (const std::exception&) {
    }
    tk::doEvents();
}

void frmAbout::StartSysInfo() {
    if (!about::FindAndStartSysInfo(system_))
        tk::msgBox(about::SysInfoUnavailable, project::Title, tk::MsgIcon::None);
}
