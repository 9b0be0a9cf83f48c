// The form windows as a user sees them: frame, taskbar presence, client size
// for the screen's DPI, placement, visibility and caption.
#include "tests/ui/win32_ui_support.h"
#include "ui/win32/win32_driver.h"

#include <gtest/gtest.h>

namespace tarrow::testing {
namespace {

using ui::BorderStyle;
using ui::Placement;

RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

RECT WorkArea() {
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

void ExpectCentredOn(HWND window, const RECT& target) {
    const POINT centre = Centre(WindowRect(window));
    const POINT expected = Centre(target);
    EXPECT_NEAR(centre.x, expected.x, 1);
    EXPECT_NEAR(centre.y, expected.y, 1);
}

TEST(Win32Window, BorderlessFormIsACaptionlessPopupInTheTaskbar) {
    ui::Win32Driver driver(RealWindows());
    auto design = Design("Tarrow", 399, 200);
    design.clientSize = {5985, 3000};
    TestForm form(driver, design);
    form.load();
    HWND window = WindowOf(form);
    ASSERT_NE(window, nullptr);

    const DWORD style = StyleOf(window);
    const DWORD exStyle = ExStyleOf(window);
    EXPECT_NE(style & WS_POPUP, 0u);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              0);
    EXPECT_NE(exStyle & WS_EX_APPWINDOW, 0u);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);

    // The caption shows in the taskbar only; the window itself is all client.
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof(caption));
    EXPECT_STREQ(caption, "Tarrow");
    const RECT frame = WindowRect(window);
    const SIZE client = ClientSize(window);
    EXPECT_EQ(client.cx, ui::TwipsToPixels(5985, ScreenDpiX()));
    EXPECT_EQ(client.cy, ui::TwipsToPixels(3000, ScreenDpiY()));
    EXPECT_EQ(frame.right - frame.left, client.cx);
    EXPECT_EQ(frame.bottom - frame.top, client.cy);

    // Loaded means made, not shown.
    EXPECT_FALSE(IsWindowVisible(window));
    form.show();
    EXPECT_TRUE(IsWindowVisible(window));
    form.hide();
    EXPECT_FALSE(IsWindowVisible(window));
    form.show();
    EXPECT_TRUE(IsWindowVisible(window));

    form.setCaption("Tarrow 2");
    GetWindowTextA(window, caption, sizeof(caption));
    EXPECT_STREQ(caption, "Tarrow 2");
}

TEST(Win32Window, CaptionlessFixedDialogHasAThinFrameOnlyAndNoTaskbarButton) {
    ui::Win32Driver driver(RealWindows());
    auto design = Design("", 300, 239, BorderStyle::FixedDialog);
    design.showInTaskbar = false;
    TestForm form(driver, design);
    form.show();
    HWND window = WindowOf(form);
    ASSERT_NE(window, nullptr);

    const DWORD style = StyleOf(window);
    const DWORD exStyle = ExStyleOf(window);
    EXPECT_EQ(style & WS_CAPTION, WS_DLGFRAME) << "a dialog frame without a title bar";
    EXPECT_EQ(style & (WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    EXPECT_NE(exStyle & WS_EX_DLGMODALFRAME, 0u);
    EXPECT_EQ(exStyle & WS_EX_APPWINDOW, 0u);
    // Kept out of the taskbar by a hidden owner.
    HWND owner = GetWindow(window, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));

    const SIZE client = ClientSize(window);
    EXPECT_EQ(client.cx, ui::TwipsToPixels(4500, ScreenDpiX()));
    EXPECT_EQ(client.cy, ui::TwipsToPixels(3585, ScreenDpiY()));
    const RECT frame = WindowRect(window);
    const int border = frame.bottom - frame.top - client.cy;
    EXPECT_GT(border, 0);
    EXPECT_LT(border, GetSystemMetrics(SM_CYCAPTION)) << "no title bar";
}

TEST(Win32Window, PlacementCentresOnTheWorkAreaOrOnTheOwner) {
    ui::Win32Driver driver(RealWindows());
    auto ownerDesign = Design("Owner", 500, 400);
    ownerDesign.placement = Placement::WindowsDefault;
    TestForm owner(driver, ownerDesign);
    owner.load();
    SetWindowPos(WindowOf(owner), nullptr, 37, 41, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    owner.show();
    // WindowsDefault leaves the window where it was.
    EXPECT_EQ(WindowRect(WindowOf(owner)).left, 37);
    EXPECT_EQ(WindowRect(WindowOf(owner)).top, 41);

    auto screenDesign = Design("Screen", 199, 99, BorderStyle::FixedDialog);
    screenDesign.placement = Placement::CenterScreen;
    TestForm onScreen(driver, screenDesign);
    onScreen.show(&owner);
    ExpectCentredOn(WindowOf(onScreen), WorkArea());

    auto ownedDesign = Design("Owned", 199, 99);
    ownedDesign.placement = Placement::CenterOwner;
    TestForm onOwner(driver, ownedDesign);
    onOwner.show(&owner);
    ExpectCentredOn(WindowOf(onOwner), WindowRect(WindowOf(owner)));

    // Without a visible owner the screen takes its place.
    TestForm alone(driver, ownedDesign);
    owner.hide();
    alone.show(&owner);
    ExpectCentredOn(WindowOf(alone), WorkArea());

    // Placement happens on the first show only: a moved window stays put.
    SetWindowPos(WindowOf(onOwner), nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    onOwner.hide();
    onOwner.show(&owner);
    EXPECT_EQ(WindowRect(WindowOf(onOwner)).left, 5);
    EXPECT_EQ(WindowRect(WindowOf(onOwner)).top, 6);
}

} // namespace
} // namespace tarrow::testing
