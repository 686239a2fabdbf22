#include "FakeClock.h"
#include "QtWidgets.h"
#include "forms/Form1/Form1.h"
#include "platform/RecordingPlatform.h"

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Opening the About window a thousand times leaves nothing behind: every opening builds the
// window anew and closing it must give all of it back. The sanitizer build checks the heap
// for leaks at exit; every build counts the widgets.
TEST(AboutRepeat, AThousandOpeningsLeaveNoWidgetBehind) {
    FakeClock clock;
    platform::RecordingPlatform system;
    Form1 form(clock, system);
    form.Show();

    const auto widgetsBefore = QApplication::allWidgets().size();
    int opened = 0;
    for (int i = 0; i < 1000; ++i) {
        QTimer::singleShot(0, [&opened] {
            if (QWidget* about = topLevel("frmAbout"); about && about->isVisible()) {
                ++opened;
                about->close();
            }
        });
        form.Command3().onClick();
    }
    EXPECT_EQ(opened, 1000);
    EXPECT_EQ(QApplication::allWidgets().size(), widgetsBefore);
    EXPECT_EQ(topLevel("frmAbout"), nullptr);
}

} // namespace
