#include "Form1.h"

#include "Form1Layout.h"
#include "TimeText.h"
#include "VersionLine.h"
#include "app/Project.h"
#include "platform/DetectWinVersion.h"

Form1::Form1(tk::Clock& clock, platform::Platform& system)
    : clock_(clock), system_(system), window_(tk::createWindow(form1::Window, form1::Controls())) {
    Form_Load();
}

void Form1::Form_Load() {
    const std::string now = form1::FormatTime(clock_.timeOfDay());
    txtTime(0).setText(now.substr(0, 2));
    txtTime(1).setText(now.substr(3, 2));
    txtTime(2).setText(now.substr(6, 2));

    Module1::DetectWinVersion(system_);
    Frame1().setCaption(form1::VersionLine(project::Major, project::Minor, project::Revision,
                                           Module1::WinVersion));

    // Writing the text left the selection at the start of the field.
    txtTime(0).setSelLength(2);
}
