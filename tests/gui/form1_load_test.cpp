#include "FakeClock.h"
#include "QtWidgets.h"
#include "forms/Form1/Form1.h"
#include "forms/frmAbout/frmAbout.h"
#include "platform/DetectWinVersion.h"
#include "platform/RecordingPlatform.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QTest>
#include <QtMath>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

namespace {

// The reason Qt gave for the last arrival of the focus at each widget, by its name.
class FocusArrivals final : public QObject {
public:
    FocusArrivals() { qApp->installEventFilter(this); }
    std::map<QString, Qt::FocusReason> reasons;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn)
            reasons[watched->objectName()] = static_cast<QFocusEvent*>(event)->reason();
        return false;
    }
};

class Form1Load : public testing::Test {
protected:
    FakeClock clock;
    platform::RecordingPlatform system;

    std::unique_ptr<Form1> load(tk::TimeOfDay now) {
        clock.now = now;
        return std::make_unique<Form1>(clock, system);
    }
};

// Frame1, which holds the version line, lies below the client area, so it is never seen.
TEST_F(Form1Load, TheVersionLineInFrame1IsNeverSeen) {
    auto form = load({12, 0, 0});
    form->Show();
    QWidget* window = topLevel("Form1");
    QWidget* frame = widget("Form1", "Frame1");
    ASSERT_NE(window, nullptr);
    ASSERT_NE(frame, nullptr);
    EXPECT_GE(frame->geometry().top(), window->height());
}

TEST_F(Form1Load, ShowsTheReadyLook) {
    auto form = load({22, 10, 41});
    form->Show();
    tk::Window& w = form->window();
    EXPECT_EQ(w.caption().rfind("Nodrell v1.3", 0), 0u);

    EXPECT_EQ(form->Command1(0).caption(), "Start  Countdown");
    EXPECT_TRUE(form->Command1(0).enabled());
    EXPECT_EQ(form->Command1(1).caption(), "Stop  Countdown");
    EXPECT_FALSE(form->Command1(1).enabled());
    EXPECT_EQ(w.button("Command2").caption(), "Close");
    EXPECT_EQ(w.button("Command3").caption(), "About");

    EXPECT_EQ(form->lblKlok().caption(), "00:00:00");
    EXPECT_EQ(form->lblCountDown().caption(), "00:00:00");
    EXPECT_EQ(form->lblKlok().backColor(), 0x00C0FFFFu);
    EXPECT_EQ(form->lblKlok().foreColor(), 0x000000FFu);
    EXPECT_EQ(form->lblCountDown().backColor(), tk::ButtonFace);
    EXPECT_EQ(w.label("Label2").caption(), "System        Time:");
    EXPECT_EQ(w.label("Label3").caption(), "Time left:");
    EXPECT_EQ(w.label("Label4").caption(), "Time to shutdown your computer");
    EXPECT_EQ(w.label("Label1").caption(), "Shutdown time:        :h         :m        :s");

    const char* tips[] = {"hours", "minutes", "seconds"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(form->txtTime(i).toolTip(), tips[i]);
        EXPECT_EQ(form->txtTime(i).maxLength(), 2);
        EXPECT_TRUE(form->txtTime(i).enabled());
    }
    EXPECT_EQ(w.timer("Timer1").interval(), 250);
    EXPECT_TRUE(w.timer("Timer1").enabled());

    QWidget* window = topLevel("Form1");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->width(), 317);
    EXPECT_EQ(window->height(), 238);
    // The hours field sits inside Picture1 at 1200, 300 twips.
    QWidget* hours = widget("Form1", "txtTime(0)");
    ASSERT_NE(hours, nullptr);
    EXPECT_EQ(hours->parentWidget()->objectName(), "Picture1");
    EXPECT_EQ(hours->geometry(), QRect(80, 20, 21, 21));
}

TEST_F(Form1Load, TabWalksTheEnabledControlsInTheirOrder) {
    auto form = load({8, 0, 0});
    form->Show();
    ASSERT_TRUE(waitActive("Form1"));
    QWidget* close = widget("Form1", "Command2");
    ASSERT_NE(close, nullptr);
    close->setFocus();
    QStringList visited;
    for (int i = 0; i < 7; ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // Stop is disabled and passed over; the fields come seconds first.
    EXPECT_EQ(visited, (QStringList{"Command2", "Command3", "Command1(0)", "txtTime(2)",
                                    "txtTime(1)", "txtTime(0)", "Command2"}));
}

// The caption "Shutdown time:        :h         :m        :s" leaves room with blanks for the
// three fields in front of it. Whatever the screen's dots per inch (ctest runs this on several,
// tests/gui/CMakeLists.txt), ":h", ":m" and ":s" each show in the room after their field: the
// label drawn on its own has ink there, and none of what it draws right of the hours lies under
// the minutes or the seconds or past its picture box's edge. Glyph edges may spill a screen
// pixel.
TEST(Captions, TheTimeFieldsLeaveTheirLettersInSight) {
    FakeClock clock;
    platform::RecordingPlatform system;
    clock.now = {12, 0, 0};
    Form1 form(clock, system);
    form.Show();
    QWidget* label = widget("Form1", "Label1");
    ASSERT_NE(label, nullptr);
    const QImage alone = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal ratio = alone.width() / qreal(label->width());
    const QRgb paper = alone.pixel(alone.width() - 1, alone.height() - 1);
    // Where a field, or the picture box's edge, lies in the label's screen pixels.
    struct Span {
        double left, right;
    };
    std::vector<Span> fields;
    for (int i = 0; i < 3; ++i) {
        const QRect box = widget("Form1", "txtTime(" + std::to_string(i) + ")")->geometry();
        fields.push_back(
            {(box.left() - label->x()) * ratio, (box.right() + 1 - label->x()) * ratio});
    }
    const double edge = (label->parentWidget()->width() - label->x()) * ratio;
    const Span rooms[] = {{fields[0].right, fields[1].left},
                          {fields[1].right, fields[2].left},
                          {fields[2].right, edge}};
    int inkInRoom[3] = {};
    int covered = 0;
    for (int x = qCeil(fields[0].right); x < alone.width(); ++x)
        for (int y = 0; y < alone.height(); ++y) {
            if (qGray(alone.pixel(x, y)) > qGray(paper) - 64) continue;
            for (int room = 0; room < 3; ++room)
                inkInRoom[room] += rooms[room].left <= x && x < rooms[room].right;
            const bool underField =
                std::any_of(fields.begin() + 1, fields.end(),
                            [x](const Span& f) { return f.left + 1 <= x && x < f.right - 1; });
            if ((underField || x >= edge + 1) && ++covered <= 3)
                ADD_FAILURE() << "the caption's pixel " << x << ", " << y << " is hidden";
        }
    for (int room = 0; room < 3; ++room)
        EXPECT_GT(inkInRoom[room], 0) << "nothing shows after field " << room;
    EXPECT_EQ(covered, 0);
}

// Tab and Enter move the focus as the keyboard does (Qt is told so), and the style draws
// where it is: from Close on to About, the look of Close changes.
TEST_F(Form1Load, AKeyboardMoveOfTheFocusIsShown) {
    auto form = load({8, 0, 0});
    form->Show();
    ASSERT_TRUE(waitActive("Form1"));
    FocusArrivals arrivals;
    QImage shots[2];
    for (QImage& shot : shots) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        shot = topLevel("Form1")->grab().toImage();
    }
    const QRect close = widget("Form1", "Command2")->geometry();
    EXPECT_NE(shots[0].copy(close), shots[1].copy(close));
    EXPECT_EQ(arrivals.reasons["Command3"], Qt::TabFocusReason);
    form->txtTime(0).setFocus();
    QTest::keyClick(widget("Form1", "txtTime(0)"), Qt::Key_Return);
    EXPECT_EQ(arrivals.reasons["txtTime(1)"], Qt::TabFocusReason);
}

// What a screen reader hears (Qt's accessibility interface, which AT-SPI reads): the
// countdown window is a frame, the About window a dialog; every field by its caption and
// tooltip, buttons and labels by their captions without runs of blanks or line breaks, the
// clocks with their headings, the pictures by short names. The version line below the
// window and the white copy behind the About title are passed over.
TEST_F(Form1Load, ScreenReadersHearBothWindows) {
    auto form = load({8, 0, 0});
    form->Show();
    frmAbout about(system);
    about.window().show();
    const auto of = [](const char* window, const char* name) {
        return QAccessible::queryAccessibleInterface(name ? widget(window, name)
                                                          : topLevel(window));
    };
    EXPECT_EQ(of("Form1", nullptr)->role(), QAccessible::Window);
    EXPECT_EQ(of("frmAbout", nullptr)->role(), QAccessible::Dialog);
    const std::array<const char*, 3> names[] = {{"Form1", "txtTime(0)", "Shutdown time: hours"},
                                                {"Form1", "txtTime(2)", "Shutdown time: seconds"},
                                                {"Form1", "Command1(0)", "Start Countdown"},
                                                {"Form1", "Command2", "Close"},
                                                {"Form1", "Label2", "System Time:"},
                                                {"Form1", "Image1", "Moon and stars"},
                                                {"Form1", "Image2", "Power symbol"},
                                                {"frmAbout", "cmdSysInfo", "System Info..."},
                                                {"frmAbout", "lblTitle2", "Nodrell"}};
    for (const auto& [window, name, heard] : names)
        EXPECT_EQ(of(window, name)->text(QAccessible::Name), heard) << name;
    for (const auto& [shown, heading] :
         {std::pair{"lblKlok", "Label2"}, std::pair{"lblCountDown", "Label3"}}) {
        const auto labels = of("Form1", shown)->relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1) << shown;
        EXPECT_EQ(labels[0].first, of("Form1", heading)) << shown;
    }
    EXPECT_TRUE(of("Form1", "Frame1")->state().invisible);
    EXPECT_TRUE(of("frmAbout", "lblTitle")->state().invisible);
    EXPECT_FALSE(of("frmAbout", "lblTitle2")->state().invisible);
}

} // namespace
