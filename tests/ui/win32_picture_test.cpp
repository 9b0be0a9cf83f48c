// Pictures: loading them from files, and what the painted window shows: the
// picture stretched over the client area, text labels drawn on it, and real
// controls that take the picture's colour around them.
#include "tests/support/test_machine.h"
#include "tests/ui/win32_ui_support.h"
#include "ui/win32/win32_driver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace tarrow::testing {
namespace {

// Colours that images/draw.sh paints: the dark title band and panels, and
// the light background.
constexpr COLORREF kSlate = RGB(0x2F, 0x3E, 0x4E);
constexpr COLORREF kBackground = RGB(0xEE, 0xF2, 0xF6);

// Working.jpg is 399 × 200 pixels with a dark band over its top 48 rows.
constexpr int kWorkingWidth = 399;
constexpr int kWorkingHeight = 200;
constexpr int kWorkingBand = 48;

TEST(Win32Picture, LoadsPicturesAndRefusesWhatIsNone) {
    ui::Win32Driver driver(RealWindows());
    const std::string path = ImagePath("Working.jpg");
    const auto picture = driver.loadPicture(path);
    ASSERT_NE(picture, nullptr) << path;
    EXPECT_EQ(picture->path(), path);
    // File names are looked up without regard to case.
    EXPECT_NE(driver.loadPicture(ImagePath("WORKING.JPG")), nullptr);

    EXPECT_EQ(driver.loadPicture(ImagePath("no such picture.jpg")), nullptr);
    // A script is no picture, and neither is an empty file or a JPEG cut
    // short after its first bytes.
    EXPECT_EQ(driver.loadPicture(ImagePath("draw.sh")), nullptr);
    TestMachine machine;
    const std::string empty = machine.scratchFolder() + "\\empty.jpg";
    std::ofstream(empty, std::ios::binary).close();
    EXPECT_EQ(driver.loadPicture(empty), nullptr);
    const std::string cut = machine.scratchFolder() + "\\cut.jpg";
    std::ofstream(cut, std::ios::binary) << "\xFF\xD8\xFF\xE0";
    EXPECT_EQ(driver.loadPicture(cut), nullptr);
}

TEST(Win32Picture, FillsTheClientAreaTheRightWayUpAndStretched) {
    ui::Win32Driver driver(RealWindows());
    // At its own size, then at twice its size.
    for (const int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        TestForm form(driver, Design("Working", kWorkingWidth * scale, kWorkingHeight * scale));
        ASSERT_TRUE(form.setPicture(ImagePath("Working.jpg")));
        form.show();
        HWND window = WindowOf(form);
        const SIZE client = ClientSize(window);
        // Points of the picture, in its own pixels, at the window's scale.
        const auto at = [&](int x, int y) {
            return POINT{x * client.cx / kWorkingWidth, y * client.cy / kWorkingHeight};
        };
        EXPECT_TRUE(Near(PixelAt(window, at(390, 4)), kSlate));
        EXPECT_TRUE(Near(PixelAt(window, at(390, kWorkingBand - 6)), kSlate));
        EXPECT_TRUE(Near(PixelAt(window, at(390, kWorkingBand + 6)), kBackground));
        EXPECT_TRUE(Near(PixelAt(window, at(390, kWorkingHeight - 6)), kBackground));
        EXPECT_TRUE(Near(PixelAt(window, at(200, 150)), kBackground));
    }
}

TEST(Win32Picture, APictureSetOnAShownWindowReplacesTheOldOne) {
    ui::Win32Driver driver(RealWindows());
    TestForm form(driver, Design("Working", kWorkingWidth, kWorkingHeight));
    ASSERT_TRUE(form.setPicture(ImagePath("Working.jpg")));
    form.show();
    HWND window = WindowOf(form);
    // Star.jpg (399 × 99, stretched here) has a dark band over its left 92
    // columns where Working.jpg, drawn at its own size, is light.
    const POINT left{10, 180};
    ASSERT_TRUE(Near(PixelAt(window, left), kBackground));
    for (const char* picture : {"Star.jpg", "Working.jpg", "Star.jpg"}) {
        SCOPED_TRACE(picture);
        ASSERT_TRUE(form.setPicture(ImagePath(picture)));
        Pump(50);
        const COLORREF expected = std::string(picture) == "Star.jpg" ? kSlate : kBackground;
        EXPECT_TRUE(Near(PixelAt(window, left), expected));
    }
}

TEST(Win32Picture, WithoutAPictureTheFormShowsTheButtonFace) {
    ui::Win32Driver driver(RealWindows());
    TestForm form(driver, Design("Plain", 200, 100));
    EXPECT_FALSE(form.setPicture(ImagePath("no such picture.jpg")));
    form.show();
    EXPECT_TRUE(Near(PixelAt(WindowOf(form), {100, 50}), GetSysColor(COLOR_BTNFACE), 0));
}

TEST(Win32Picture, TextLabelsAreDrawnOnThePictureAtOnce) {
    ui::Win32Driver driver(RealWindows());
    TestForm form(driver, Design("Check", kWorkingWidth, kWorkingHeight));
    auto& label = form.place<ui::TextLabel>("Label1", TwipsOf(160, 100, 220, 20));
    ASSERT_TRUE(form.setPicture(ImagePath("Working.jpg")));
    form.show();
    Pump(50);
    HWND window = WindowOf(form);
    const POINT topLeft = ClientPixel({label.rect().left, label.rect().top});
    const POINT bottomRight = ClientPixel(
        {label.rect().left + label.rect().width, label.rect().top + label.rect().height});
    const RECT area{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    EXPECT_EQ(DarkPixels(window, area), 0);

    // Without returning to the message loop, as a long operation would.
    label.setCaption("Working.jpg");
    EXPECT_GT(DarkPixels(window, area), 20);
    // The text sits on the picture, not on a box of its own.
    EXPECT_TRUE(Near(PixelAt(window, {area.right - 2, area.bottom - 2}), kBackground));

    label.setCaption("");
    EXPECT_EQ(DarkPixels(window, area), 0) << "the old text is gone";
    EXPECT_TRUE(Near(PixelAt(window, {area.right - 2, area.bottom - 2}), kBackground));
}

TEST(Win32Picture, RealControlsTakeThePicturesColour) {
    ui::Win32Driver driver(RealWindows());
    // Working.jpg's dark band is the place where the button face would show.
    TestForm form(driver, Design("", kWorkingWidth, kWorkingHeight, ui::BorderStyle::FixedDialog));
    auto& check = form.place<ui::CheckBox>("Check1", TwipsOf(300, 4, 90, 20), "");
    auto& frame = form.place<ui::Frame>("Frame1", TwipsOf(150, 60, 230, 60), "");
    auto& option =
        form.place<ui::OptionButton>("Option1", frame, ui::TwipRect{120, 360, 1500, 240}, "");
    auto& bar = form.place<ui::ProgressBar>("PB1", TwipsOf(160, 150, 220, 16));
    ASSERT_TRUE(form.setPicture(ImagePath("Working.jpg")));
    form.show();
    Pump(50);
    HWND window = WindowOf(form);

    // Right of the check box's square: its background.
    const POINT checkRight = ClientPixel(
        {check.rect().left + check.rect().width - 75, check.rect().top + check.rect().height / 2});
    EXPECT_TRUE(Near(PixelAt(window, checkRight), kSlate));
    EXPECT_FALSE(Near(PixelAt(window, checkRight), GetSysColor(COLOR_BTNFACE)));
    // Inside the frame and beside the option button's circle.
    const POINT optionRight = ClientPixel({option.rect().left + option.rect().width - 30,
                                           option.rect().top + option.rect().height / 2});
    EXPECT_TRUE(Near(PixelAt(window, optionRight), kBackground));
    EXPECT_TRUE(Near(PixelAt(window, ClientPixel({4500, 1650})), kBackground));

    // The bar is drawn as soon as its value changes.
    const POINT barMiddle = ClientPixel(bar.rect().center());
    const COLORREF empty = PixelAt(window, barMiddle);
    ASSERT_TRUE(bar.setValue(100.0f));
    EXPECT_NE(PixelAt(window, barMiddle), empty);
}

} // namespace
} // namespace tarrow::testing
