// Takes the pictures of the Linux build's windows that docs/ shows, off screen, at the scale
// QT_SCALE_FACTOR gives (the pixels of a desktop set to that much):
//
//     nodrell-qt-screenshot form1|about PICTURE.png
//
// The windows run on the system clock, over a platform that only records: nothing is asked of
// the system. Also: cmake --build <dir> --target qt-screenshots
#include "forms/Form1/Form1.h"
#include "forms/frmAbout/frmAbout.h"
#include "forms/shared/Version.h"
#include "platform/RecordingPlatform.h"
#include "toolkit/Clock.h"
#include "toolkit/Program.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    const std::string which = argc == 3 ? argv[1] : "";
    if (which != "form1" && which != "about") {
        std::fputs("usage: nodrell-qt-screenshot form1|about PICTURE.png\n", stderr);
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    tk::Application application(argc, argv, project::DesktopId);
    tk::SystemClock clock;
    platform::RecordingPlatform system;
    Form1 form(clock, system);
    form.Show();
    frmAbout about(system);
    if (which == "about") about.window().show();
    // The clock's first ticks.
    QTest::qWait(1200);
    const QString name = which == "about" ? "frmAbout" : "Form1";
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == name && window->grab().save(QString::fromLocal8Bit(argv[2])))
            return 0;
    std::fprintf(stderr, "cannot take the picture of %s\n", which.c_str());
    return 1;
}
