#include "forms/shared/Version.h"
#include "toolkit/Program.h"

#include <QByteArray>
#include <QtGlobal>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // The tests need no screen; ctest's discovery runs this too, before any environment is set.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    tk::Application application(argc, argv, project::DesktopId);
    return RUN_ALL_TESTS();
}
