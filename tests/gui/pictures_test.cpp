// The pictures of both windows, their icons and the address's cursor, on the Qt back end. The
// expected pixels come from the drawn files in app/resources, read from there rather than through
// the program's resources. ctest also runs these on screens of more dots per inch (CMakeLists.txt),
// where the pictures grow with the layout and show the images drawn for that size.

#include "FakeClock.h"
#include "QtWidgets.h"
#include "forms/Form1/Form1.h"
#include "forms/frmAbout/frmAbout.h"
#include "platform/RecordingPlatform.h"
#include "toolkit/qt/QtDrawing.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QScreen>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

QString artFile(const char* name) {
    const auto path =
        std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "app" / "resources" / name;
    return QString::fromStdString(path.lexically_normal().string());
}

// The image of the file (for an icon file: the image of that size), as ARGB.
QImage art(const char* name, int size = 0) {
    // Read as the program reads its pictures, so that no test brings in plugins it would not.
    QImageReader reader(artFile(name), QFileInfo(name).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    do {
        QImage image = reader.read();
        if (image.isNull()) break;
        if (size == 0 || image.width() == size) return image.convertToFormat(QImage::Format_ARGB32);
    } while (reader.jumpToNextImage());
    return {};
}

// Whether a file whose name holds the text is mapped into this process.
bool mapped(const std::string& name) {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find(name) != std::string::npos) return true;
    return false;
}

// Equal pictures: the same size, the same transparent pixels, the same colours elsewhere.
testing::AssertionResult samePicture(const QImage& shown, const QImage& drawn) {
    if (shown.size() != drawn.size())
        return testing::AssertionFailure()
               << "size " << shown.width() << " x " << shown.height() << ", drawn " << drawn.width()
               << " x " << drawn.height();
    const QImage a = shown.convertToFormat(QImage::Format_ARGB32);
    const QImage b = drawn.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (qAlpha(p) != qAlpha(q) || (qAlpha(p) != 0 && (p & 0xFFFFFF) != (q & 0xFFFFFF)))
                return testing::AssertionFailure() << "pixel " << x << ", " << y << ": " << std::hex
                                                   << p << " instead of " << q;
        }
    return testing::AssertionSuccess();
}

// A position or size in twips, in pixels of the screen, as the back end places controls.
QPoint place(int left, int top) {
    const auto scale = tk::qt::Scale::ofPrimaryScreen();
    return {scale.x(left), scale.y(top)};
}
QSize extent(int width, int height) {
    const QPoint pixels = place(width, height);
    return {pixels.x(), pixels.y()};
}

// The screen's own pixels: Qt paints a logical pixel with this many of them across.
double devicePixelRatio() {
    return QGuiApplication::primaryScreen()->devicePixelRatio();
}

// The image a 48-pixel logo is shown with on this screen: the one drawn at the pixels it
// covers there.
QImage logo(const char* stem, const char* ownFile) {
    const int size = qRound(extent(720, 720).width() * devicePixelRatio());
    if (size == 48) return art(ownFile);
    return art((std::string(stem) + "-" + std::to_string(size) + ".png").c_str());
}

struct Placed {
    const QImage* image;
    QPoint at; // in logical pixels
    std::string name;
};

// Grabs the window and compares the area of the pictures, listed front first, pixel by
// pixel of the screen with what they should show there: the front picture where it is
// opaque, else the one behind it, else the window's background. Every one of these cases
// must occur, so that the order and the transparency are really seen.
void expectPicturesShown(QWidget& window, const std::vector<Placed>& given) {
    const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb background = window.palette().color(window.backgroundRole()).rgb();
    std::vector<Placed> placed = given;
    for (Placed& p : placed)
        p.at = (QPointF(p.at) * devicePixelRatio()).toPoint();
    QRect area;
    for (const Placed& p : placed)
        area = area.united(QRect(p.at, p.image->size()));
    const std::string& front = placed.front().name;
    const std::string& back = placed.back().name;
    std::map<std::string, int> counts;
    int wrong = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            QRgb expected = background;
            std::string source = "background";
            bool clearInFront = false;
            for (const Placed& p : placed) {
                const QPoint local = QPoint(x, y) - p.at;
                if (!p.image->rect().contains(local)) continue;
                const QRgb pixel = p.image->pixel(local);
                if (qAlpha(pixel) == 255) {
                    expected = pixel;
                    source = p.name;
                    break;
                }
                EXPECT_EQ(qAlpha(pixel), 0) << "one transparent colour, no partial transparency";
                clearInFront = clearInFront || p.name == front;
            }
            if (source == back && clearInFront) source = back + " through " + front;
            ++counts[source];
            if ((shot.pixel(x, y) & 0xFFFFFF) != (expected & 0xFFFFFF) && ++wrong <= 5)
                ADD_FAILURE() << "pixel " << x << ", " << y << " shows " << std::hex
                              << (shot.pixel(x, y) & 0xFFFFFF) << " where " << source << " has "
                              << (expected & 0xFFFFFF);
        }
    EXPECT_EQ(wrong, 0);
    for (const std::string& source :
         {std::string("background"), front, back, back + " through " + front})
        EXPECT_GT(counts[source], 0) << source;
}

class Pictures : public testing::Test {
protected:
    FakeClock clock;
    platform::RecordingPlatform system;
    const QImage image1 = logo("logo1", "logo1.gif");
    const QImage image2 = logo("logo2", "logo2.ico");

    void SetUp() override {
        ASSERT_FALSE(image1.isNull()) << "no logo drawn for " << devicePixelRatio() << " x "
                                      << extent(720, 720).width() << " pixels";
        ASSERT_EQ(image2.size(), image1.size());
    }
};

TEST_F(Pictures, TheCountdownWindowShowsBothPicturesImage2InFront) {
    clock.now = {12, 0, 0};
    Form1 form(clock, system);
    form.Show();
    QWidget* window = topLevel("Form1");
    ASSERT_NE(window, nullptr);
    const std::vector<Placed> placed{{&image2, place(3600, 660), "Image2"},
                                     {&image1, place(3240, 240), "Image1"}};
    expectPicturesShown(*window, placed);

    QWidget* front = widget("Form1", "Image2");
    QWidget* back = widget("Form1", "Image1");
    ASSERT_NE(front, nullptr);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(front->geometry(), QRect(placed[0].at, extent(720, 720)));
    EXPECT_EQ(back->geometry(), QRect(placed[1].at, extent(720, 720)));
}

TEST_F(Pictures, TheCountdownWindowCarriesTheProgramIcon) {
    clock.now = {12, 0, 0};
    Form1 form(clock, system);
    form.Show();
    QWidget* window = topLevel("Form1");
    ASSERT_NE(window, nullptr);
    // Each file is read by the reader its suffix names: an icon file brings its plugin, and the
    // PNG files, read by Qt itself, bring none of the others.
    EXPECT_TRUE(mapped("libqico"));
    EXPECT_FALSE(mapped("libqjpeg"));
    // The program file's two images, and larger ones for task switchers and screens of more
    // dots per inch.
    const QIcon icon = window->windowIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
        const QImage drawn = size == 16 || size == 32
                                 ? art("program.ico", size)
                                 : art(("nodrell-" + std::to_string(size) + ".png").c_str());
        // Asked for at the screen's pixels, as the window system shows it.
        EXPECT_TRUE(samePicture(icon.pixmap(QSize(size, size), 1.0).toImage(), drawn)) << size;
    }
}

TEST_F(Pictures, TheAboutWindowShowsTheLogoItsOwnIconAndTheLinkCursor) {
    frmAbout about(system);
    about.window().show();
    QWidget* window = topLevel("frmAbout");
    ASSERT_NE(window, nullptr);
    expectPicturesShown(*window,
                        {{&image1, place(0, 60), "Image1"}, {&image2, place(240, 540), "Image2"}});

    const QIcon icon = window->windowIcon();
    for (const int size : {16, 32}) {
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
        EXPECT_TRUE(
            samePicture(icon.pixmap(QSize(size, size), 1.0).toImage(), art("about.ico", size)))
            << size;
    }

    QWidget* address = widget("frmAbout", "lblURL");
    ASSERT_NE(address, nullptr);
    const QCursor cursor = address->cursor();
    EXPECT_EQ(cursor.hotSpot(), QPoint(14, 8));
    EXPECT_TRUE(samePicture(cursor.pixmap().toImage(), art("link.cur")));
    EXPECT_EQ(widget("frmAbout", "Label1")->cursor().shape(), Qt::ArrowCursor);
    about.window().unload();
}

} // namespace
