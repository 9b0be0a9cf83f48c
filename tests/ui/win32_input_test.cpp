// Mouse input on the form windows: clicks on hot areas, on the surface and
// on a disabled form, and dragging the window by its surface.
#include "tests/ui/win32_ui_support.h"
#include "ui/pacing.h"
#include "ui/win32/win32_driver.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <string>
#include <stdexcept>

namespace tarrow::testing {
namespace {

LPARAM At(POINT client) {
    return MAKELPARAM(client.x, client.y);
}

void SendClick(HWND window, POINT client) {
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, At(client));
    SendMessageA(window, WM_LBUTTONUP, 0, At(client));
}

RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// A window with two hot areas over its face.
struct HotAreaForm {
    explicit HotAreaForm(ui::Driver& driver) : form(driver, Design("Hot", 300, 200)) {
        auto& a = form.place<ui::HotArea>("Label1", TwipsOf(20, 30, 65, 49));
        auto& b = form.place<ui::HotArea>("Label2", TwipsOf(200, 120, 40, 40));
        a.onClick = [this] { ++clicksA; };
        b.onClick = [this] { ++clicksB; };
        first = &a;
        second = &b;
    }
    TestForm form;
    ui::HotArea* first = nullptr;
    ui::HotArea* second = nullptr;
    int clicksA = 0;
    int clicksB = 0;
};

TEST(Win32Input, ClicksReachTheHotAreaUnderThemWhileItIsVisible) {
    ui::Win32Driver driver(RealWindows());
    HotAreaForm hot(driver);
    hot.form.show();
    HWND window = WindowOf(hot.form);
    ASSERT_NE(window, nullptr);

    SendClick(window, ClientPixel(hot.first->rect().center()));
    SendClick(window, ClientPixel(hot.second->rect().center()));
    EXPECT_EQ(hot.clicksA, 1);
    EXPECT_EQ(hot.clicksB, 1);
    EXPECT_EQ(hot.form.surfaceClicks, 0);

    // The last pixel inside the area and the first one outside it.
    const ui::TwipRect rect = hot.first->rect();
    const POINT corner = ClientPixel({rect.left + rect.width, rect.top + rect.height});
    const POINT inside{corner.x - 1, corner.y - 1};
    SendClick(window, inside);
    EXPECT_EQ(hot.clicksA, 2);
    SendClick(window, {inside.x + 1, inside.y});
    EXPECT_EQ(hot.clicksA, 2);
    EXPECT_EQ(hot.form.surfaceClicks, 1);

    // A hidden hot area takes no clicks; they go to the surface.
    hot.first->setVisible(false);
    SendClick(window, ClientPixel(rect.center()));
    EXPECT_EQ(hot.clicksA, 2);
    EXPECT_EQ(hot.form.surfaceClicks, 2);
    hot.first->setVisible(true);
    SendClick(window, ClientPixel(rect.center()));
    EXPECT_EQ(hot.clicksA, 3);

    // Pressed on one area and released on the other: no click at all.
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, At(ClientPixel(rect.center())));
    SendMessageA(window, WM_LBUTTONUP, 0, At(ClientPixel(hot.second->rect().center())));
    EXPECT_EQ(hot.clicksA, 3);
    EXPECT_EQ(hot.clicksB, 1);
    // Right and middle clicks are not clicks.
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, At(ClientPixel(rect.center())));
    SendMessageA(window, WM_RBUTTONUP, 0, At(ClientPixel(rect.center())));
    EXPECT_EQ(hot.clicksA, 3);
    EXPECT_EQ(GetCapture(), nullptr);
}

// The hot areas of HotAreaForm in the tab order, with their names, and a
// third without an action, which takes no focus.
struct TabbedHotAreaForm : HotAreaForm {
    explicit TabbedHotAreaForm(ui::Driver& driver) : HotAreaForm(driver) {
        named[0] = &form.place<ui::HotArea>("Named1", first->rect(), "", "First");
        named[1] = &form.place<ui::HotArea>("Named2", second->rect(), "", "Second");
        named[0]->onClick = [this] { ++clicksA; };
        named[1]->onClick = [this] { ++clicksB; };
        named[0]->setTabIndex(1);
        named[1]->setTabIndex(0);
        idle = &form.place<ui::HotArea>("Idle", TwipsOf(0, 150, 20, 20), "", "Idle");
        idle->setTabIndex(2);
    }
    std::array<ui::HotArea*, 2> named{};
    ui::HotArea* idle = nullptr;
};

void PostKey(ui::Win32Driver& driver, WPARAM key, int repeats = 0) {
    HWND target = GetFocus();
    PostMessageA(target, WM_KEYDOWN, key, 1);
    for (int i = 0; i < repeats; ++i) {
        PostMessageA(target, WM_KEYDOWN, key, static_cast<LPARAM>(0x40000001u));
    }
    PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    PostQuitMessage(0);
    driver.run();
}

std::string TextOf(HWND window) {
    char text[128] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

// A hot area in the tab order is a transparent owner-drawn button named by
// its words: it takes the system's focus and a screen reader's press, while
// the mouse goes through it to the form's click rules.
TEST(Win32Input, HotAreasTakeTheFocusAndThePressAndLetTheMouseThrough) {
    ui::Win32Driver driver(RealWindows());
    TabbedHotAreaForm hot(driver);
    hot.form.show();
    HWND window = WindowOf(hot.form);
    HWND first = ChildOf(hot.form, *hot.named[0]);
    HWND second = ChildOf(hot.form, *hot.named[1]);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(ChildOf(hot.form, *hot.idle), nullptr) << "no action, no window";
    EXPECT_EQ(ChildOf(hot.form, *hot.first), nullptr) << "no tab index, no window";
    EXPECT_EQ(TextOf(first), "First");
    EXPECT_EQ(StyleOf(first) & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_NE(StyleOf(first) & WS_TABSTOP, 0u);
    EXPECT_EQ(GetFocus(), second) << "the lowest tab index";

    PostKey(driver, VK_TAB);
    EXPECT_EQ(GetFocus(), first);
    PostKey(driver, VK_RETURN, 4);
    EXPECT_EQ(hot.clicksA, 1) << "a held Enter acts once, on its release";
    PostKey(driver, VK_TAB);
    EXPECT_EQ(GetFocus(), second) << "wraps";
    PostKey(driver, VK_SPACE);
    EXPECT_EQ(hot.clicksB, 1);

    // An accessibility tool's default action is the button's own click.
    SendMessageA(first, BM_CLICK, 0, 0);
    EXPECT_EQ(hot.clicksA, 2);
    hot.form.setEnabled(false);
    SendMessageA(first, BM_CLICK, 0, 0);
    EXPECT_EQ(hot.clicksA, 2) << "a disabled form takes no press";
    hot.form.setEnabled(true);

    // The mouse: the button lets it through to the form.
    const POINT centre = ClientPixel(hot.named[0]->rect().center());
    POINT screen = centre;
    ClientToScreen(window, &screen);
    EXPECT_EQ(SendMessageA(first, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)),
              static_cast<LRESULT>(HTTRANSPARENT));
    RealClick(screen);
    EXPECT_EQ(hot.clicksA, 3) << "one click, through the form";

    // Hidden, it is no tab stop and its window is hidden too.
    hot.named[1]->setVisible(false);
    EXPECT_FALSE(IsWindowVisible(second));
    EXPECT_EQ(GetFocus(), first) << "the focus leaves a hot area that hides";
    PostKey(driver, VK_TAB);
    EXPECT_EQ(GetFocus(), first) << "the only tab stop left";
}

TEST(Win32Input, APressDraggedOffTheWindowAndReleasedOutsideIsNoClick) {
    ui::Win32Driver driver(RealWindows());
    HotAreaForm hot(driver);
    hot.form.show();
    HWND window = WindowOf(hot.form);
    ASSERT_NE(window, nullptr);
    const SIZE client = ClientSize(window);
    // The window holds the mouse from the press on, so the release comes to
    // it with a point outside its client area.
    for (const POINT outside : {POINT{client.cx + 40, client.cy / 2}, POINT{-5, -5}}) {
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, At({client.cx - 2, client.cy - 2}));
        EXPECT_EQ(GetCapture(), window);
        SendMessageA(window, WM_LBUTTONUP, 0, At(outside));
    }
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, At(ClientPixel(hot.first->rect().center())));
    SendMessageA(window, WM_LBUTTONUP, 0, At({client.cx + 40, 10}));
    EXPECT_EQ(hot.form.surfaceClicks, 0);
    EXPECT_EQ(hot.clicksA, 0);
    SendClick(window, {client.cx - 2, client.cy - 2});
    EXPECT_EQ(hot.form.surfaceClicks, 1) << "the same press and release inside is a click";
}

TEST(Win32Input, RealClicksOnADisabledFormDoNothing) {
    ui::Win32Driver driver(RealWindows());
    HotAreaForm hot(driver);
    hot.form.show();
    ASSERT_NE(WindowOf(hot.form), nullptr);
    const POINT onArea = ScreenPixel(hot.form, hot.first->rect().center());

    RealClick(onArea);
    EXPECT_EQ(hot.clicksA, 1) << "the mouse reaches the window";

    hot.form.setEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(WindowOf(hot.form)));
    RealClick(onArea);
    RealClick(ScreenPixel(hot.form, {3000, 2700}));
    EXPECT_EQ(hot.clicksA, 1);
    EXPECT_EQ(hot.form.surfaceClicks, 0);

    hot.form.setEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(WindowOf(hot.form)));
    RealClick(onArea);
    EXPECT_EQ(hot.clicksA, 2);
}

TEST(Win32Input, AMoveAtThePressPointDoesNotTurnAClickIntoADrag) {
    ui::Win32Driver driver(RealWindows());
    auto design = Design("Drag", 300, 200);
    design.draggable = true;
    TestForm form(driver, design);
    form.show();
    HWND window = WindowOf(form);
    ASSERT_NE(window, nullptr);
    const POINT point = ClientPixel({1500, 1500});

    // The release is queued first: were the move taken as a drag, the
    // system's move loop would end on it and the click would be lost.
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, At(point));
    PostMessageA(window, WM_LBUTTONUP, 0, At(point));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, At(point));
    Pump(50);
    EXPECT_EQ(form.surfaceClicks, 1);
}

TEST(Win32Input, DraggingTheSurfaceMovesTheWindowButNotFromAHotArea) {
    ui::Win32Driver driver(RealWindows());
    auto design = Design("Drag", 300, 200);
    design.draggable = true;
    TestForm form(driver, design);
    auto& area = form.place<ui::HotArea>("Label1", TwipsOf(200, 20, 60, 60));
    int areaClicks = 0;
    area.onClick = [&] { ++areaClicks; };
    form.show();
    HWND window = WindowOf(form);
    ASSERT_NE(window, nullptr);
    SetWindowPos(window, nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    const POINT start = ScreenPixel(form, {1500, 1500});
    // The window follows the mouse from the first move on.
    RealDrag(start, {start.x + 40, start.y + 30}, [&](POINT pointer) {
        return WindowRect(window).left - 100 >= pointer.x - start.x - 1;
    });
    EXPECT_NEAR(WindowRect(window).left, 140, 1);
    EXPECT_NEAR(WindowRect(window).top, 130, 1);
    const RECT dragged = WindowRect(window);
    EXPECT_EQ(form.surfaceClicks, 0) << "a drag is no click";

    // A press on the hot area belongs to it: the window stays.
    const POINT onArea = ScreenPixel(form, area.rect().center());
    RealDrag(onArea, {onArea.x + 40, onArea.y + 30});
    EXPECT_EQ(WindowRect(window).left, dragged.left);
    EXPECT_EQ(WindowRect(window).top, dragged.top);
    EXPECT_EQ(areaClicks, 0);

    // A plain click on the surface stays a click.
    RealClick(ScreenPixel(form, {1500, 1500}));
    EXPECT_EQ(form.surfaceClicks, 1);
    EXPECT_EQ(WindowRect(window).left, dragged.left);
}

TEST(Win32Input, APauseLastsItsFixedTimeAndLeavesClicksWaiting) {
    ui::Win32Driver driver(RealWindows());
    HotAreaForm hot(driver);
    hot.form.show();
    HWND window = WindowOf(hot.form);
    ASSERT_NE(window, nullptr);
    const LPARAM at = At(ClientPixel(hot.first->rect().center()));
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(window, WM_LBUTTONUP, 0, at);

    // A long pause, and many short ones that add up to their total although
    // the system's sleep is coarser than each of them: none ends before its
    // planned time (how close they come is the pacer's, tested on a clock of
    // its own). Neither handles a message.
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    driver.beginPacing();
    driver.pause(50'000'000);
    EXPECT_GE(Clock::now() - start, ui::PauseLength(50'000'000));
    start = Clock::now();
    driver.beginPacing();
    for (int step = 0; step < 100; ++step) {
        driver.pause(1'000'000);
    }
    EXPECT_GE(Clock::now() - start, ui::PauseLength(100'000'000));
    EXPECT_EQ(hot.clicksA, 0);
    Pump(20);
    EXPECT_EQ(hot.clicksA, 1);
}

TEST(Win32Input, AnExceptionFromAnEventEndsTheMessageLoopAndLeavesRun) {
    ui::Win32Driver driver(RealWindows());
    HotAreaForm hot(driver);
    hot.first->onClick = [] { throw std::runtime_error("handler failed"); };
    hot.form.show();
    HWND window = WindowOf(hot.form);
    ASSERT_NE(window, nullptr);
    const LPARAM at = At(ClientPixel(hot.first->rect().center()));
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(window, WM_LBUTTONUP, 0, at);
    EXPECT_THROW(driver.run(), std::runtime_error);

    // The window goes on working.
    SendClick(window, ClientPixel(hot.second->rect().center()));
    EXPECT_EQ(hot.clicksB, 1);
}

} // namespace
} // namespace tarrow::testing
