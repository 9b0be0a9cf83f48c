// The real controls of a form, its timers, its tooltips and message boxes,
// looked at and used through the window system.
#include "tests/ui/win32_ui_support.h"
#include "ui/win32/win32_driver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>

namespace tarrow::testing {
namespace {

// The controls of a settings window, declared out of tab order on purpose.
struct SettingsForm {
    explicit SettingsForm(ui::Driver& driver)
        : form(driver, Design("", 399, 200, ui::BorderStyle::FixedDialog)) {
        frame = &form.place<ui::Frame>("Frame1", ui::TwipRect{2400, 960, 3015, 855},
                                       "Time out (For Advanced User)");
        two = &form.place<ui::OptionButton>("Option2", *frame, ui::TwipRect{120, 600, 2535, 195},
                                            "Fast(Our recommend)");
        one = &form.place<ui::OptionButton>("Option1", *frame, ui::TwipRect{120, 360, 2535, 195},
                                            "Powerful");
        cancel = &form.place<ui::CommandButton>("Command2", ui::TwipRect{1440, 2520, 1455, 375},
                                                "Cancel");
        ok = &form.place<ui::CommandButton>("Command1", ui::TwipRect{3120, 2520, 1575, 375},
                                            "Processoring");
        check = &form.place<ui::CheckBox>("Check1", ui::TwipRect{2400, 1920, 3015, 255},
                                          "Remove  windows shutdown sound");
        bar = &form.place<ui::ProgressBar>("PB1", ui::TwipRect{240, 2250, 5505, 225});
        check->setTabIndex(0);
        ok->setTabIndex(1);
        cancel->setTabIndex(2);
        frame->setTabIndex(3);
        one->setTabIndex(4);
        two->setTabIndex(5);
        ok->onClick = [this] { ++okClicks; };
        check->onClick = [this] { ++checkClicks; };
    }
    HWND child(const ui::Control& control) const { return ChildOf(form, control); }

    TestForm form;
    ui::Frame* frame;
    ui::OptionButton* one;
    ui::OptionButton* two;
    ui::CommandButton* ok;
    ui::CommandButton* cancel;
    ui::CheckBox* check;
    ui::ProgressBar* bar;
    int okClicks = 0;
    int checkClicks = 0;
};

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return CharLowerA(name);
}

RECT ChildRect(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Presses a key on the focused control and lets the driver's message loop
// handle it.
void PressKey(ui::Win32Driver& driver, WPARAM key) {
    PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageA(GetFocus(), WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    PostQuitMessage(0);
    driver.run();
}

LRESULT CheckOf(HWND button) {
    return SendMessageA(button, BM_GETCHECK, 0, 0);
}

TEST(Win32Controls, ChildWindowsHaveTheirKindPlaceFontAndTabOrder) {
    ui::Win32Driver driver(RealWindows());
    SettingsForm settings(driver);
    settings.form.show();
    ASSERT_NE(WindowOf(settings.form), nullptr);

    struct Expected {
        const ui::Control* control;
        const char* className;
        DWORD type;
    };
    const Expected expected[] = {
        {settings.check, "button", BS_3STATE},      {settings.ok, "button", BS_PUSHBUTTON},
        {settings.cancel, "button", BS_PUSHBUTTON}, {settings.frame, "button", BS_GROUPBOX},
        {settings.one, "button", BS_RADIOBUTTON},   {settings.two, "button", BS_RADIOBUTTON},
        {settings.bar, "msctls_progress32", 0},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.control->name());
        HWND child = settings.child(*e.control);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(ClassOf(child), e.className);
        if (e.type != 0 || ClassOf(child) == "button") {
            EXPECT_EQ(StyleOf(child) & BS_TYPEMASK, e.type);
        }
        const ui::TwipRect twips = e.control->rect();
        const POINT topLeft = ClientPixel({twips.left, twips.top});
        const POINT bottomRight = ClientPixel({twips.left + twips.width, twips.top + twips.height});
        const RECT rect = ChildRect(child);
        EXPECT_EQ(rect.left, topLeft.x);
        EXPECT_EQ(rect.top, topLeft.y);
        EXPECT_EQ(rect.right, bottomRight.x);
        EXPECT_EQ(rect.bottom, bottomRight.y);
    }
    // Option buttons are placed inside their frame.
    EXPECT_EQ(ChildRect(settings.child(*settings.one)).left, ClientPixel({2400 + 120, 0}).x);

    // Tahoma 8.25 pt at the screen's DPI.
    LOGFONTA font{};
    GetObjectA(
        reinterpret_cast<HFONT>(SendMessageA(settings.child(*settings.check), WM_GETFONT, 0, 0)),
        sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, "Tahoma");
    EXPECT_EQ(font.lfHeight, -std::lround(8.25 * ScreenDpiY() / 72.0));

    // The two options are one group for the arrow keys; the check box
    // before them is not part of it.
    EXPECT_NE(StyleOf(settings.child(*settings.one)) & WS_GROUP, 0u);
    EXPECT_EQ(StyleOf(settings.child(*settings.two)) & WS_GROUP, 0u);
    EXPECT_EQ(GetFocus(), settings.child(*settings.check))
        << "the first focus goes to the lowest tab index";
}

TEST(Win32Controls, KeyboardWalksTheTabOrderAndPressesTheFocusedControl) {
    ui::Win32Driver driver(RealWindows());
    SettingsForm settings(driver);
    settings.two->setSelected(true);
    settings.form.show();
    HWND one = settings.child(*settings.one);
    HWND two = settings.child(*settings.two);
    ASSERT_EQ(GetFocus(), settings.child(*settings.check));

    PressKey(driver, VK_TAB);
    EXPECT_EQ(GetFocus(), settings.child(*settings.ok));
    PressKey(driver, VK_RETURN);
    EXPECT_EQ(settings.okClicks, 1);
    PressKey(driver, VK_TAB);
    EXPECT_EQ(GetFocus(), settings.child(*settings.cancel));
    // Each option button is a tab stop of its own, and Tab selects none;
    // the arrow keys move within them and select the one they reach.
    PressKey(driver, VK_TAB);
    EXPECT_EQ(GetFocus(), one);
    EXPECT_TRUE(settings.two->selected());
    PressKey(driver, VK_TAB);
    EXPECT_EQ(GetFocus(), two);
    PressKey(driver, VK_UP);
    EXPECT_EQ(GetFocus(), one);
    EXPECT_TRUE(settings.one->selected());
    EXPECT_FALSE(settings.two->selected());
    EXPECT_EQ(CheckOf(one), BST_CHECKED);
    EXPECT_EQ(CheckOf(two), BST_UNCHECKED);
    PressKey(driver, VK_TAB);
    PressKey(driver, VK_TAB);
    EXPECT_EQ(GetFocus(), settings.child(*settings.check)) << "Tab wraps";
    PressKey(driver, VK_SPACE);
    EXPECT_EQ(settings.check->value(), ui::CheckState::Checked);
    EXPECT_EQ(settings.checkClicks, 1);
    PressKey(driver, VK_RETURN);
    EXPECT_EQ(settings.checkClicks, 1) << "Enter presses buttons only";
    EXPECT_EQ(settings.okClicks, 1);
}

TEST(Win32Controls, AFormActivatedAgainGivesTheFocusBackToItsControl) {
    ui::Win32Driver driver(RealWindows());
    SettingsForm first(driver);
    first.form.show();
    SetFocus(first.child(*first.cancel));
    TestForm second(driver, Design("Second", 100, 100));
    second.show();
    ASSERT_EQ(GetActiveWindow(), WindowOf(second));

    second.hide();
    SetActiveWindow(WindowOf(first.form));
    EXPECT_EQ(GetFocus(), first.child(*first.cancel));
}

TEST(Win32Controls, CheckBoxAndOptionButtonsShowWhatTheirClicksDid) {
    ui::Win32Driver driver(RealWindows());
    SettingsForm settings(driver);
    settings.form.show();
    HWND check = settings.child(*settings.check);
    HWND one = settings.child(*settings.one);
    HWND two = settings.child(*settings.two);
    ASSERT_TRUE(check != nullptr && one != nullptr && two != nullptr);

    SendMessageA(check, BM_CLICK, 0, 0);
    EXPECT_EQ(settings.check->value(), ui::CheckState::Checked);
    EXPECT_EQ(CheckOf(check), BST_CHECKED);
    EXPECT_EQ(settings.checkClicks, 1);
    SendMessageA(check, BM_CLICK, 0, 0);
    EXPECT_EQ(settings.check->value(), ui::CheckState::Unchecked);
    EXPECT_EQ(CheckOf(check), BST_UNCHECKED);
    settings.check->setValue(ui::CheckState::Grayed);
    EXPECT_EQ(CheckOf(check), BST_INDETERMINATE);

    SendMessageA(one, BM_CLICK, 0, 0);
    EXPECT_TRUE(settings.one->selected());
    EXPECT_EQ(CheckOf(one), BST_CHECKED);
    EXPECT_EQ(CheckOf(two), BST_UNCHECKED);
    SendMessageA(two, BM_CLICK, 0, 0);
    EXPECT_EQ(CheckOf(one), BST_UNCHECKED);
    EXPECT_EQ(CheckOf(two), BST_CHECKED);
    // A click on the selected option leaves it selected.
    SendMessageA(two, BM_CLICK, 0, 0);
    EXPECT_EQ(CheckOf(two), BST_CHECKED);
    EXPECT_TRUE(settings.two->selected());

    SendMessageA(settings.child(*settings.ok), BM_CLICK, 0, 0);
    EXPECT_EQ(settings.okClicks, 1);

    settings.check->setEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(check));
    settings.check->setEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(check));
    settings.frame->setVisible(false);
    EXPECT_FALSE(IsWindowVisible(settings.child(*settings.frame)));
    settings.frame->setVisible(true);
    EXPECT_TRUE(IsWindowVisible(settings.child(*settings.frame)));
}

TEST(Win32Controls, ProgressBarFollowsMaxAndValue) {
    ui::Win32Driver driver(RealWindows());
    SettingsForm settings(driver);
    settings.form.show();
    HWND bar = settings.child(*settings.bar);
    ASSERT_NE(bar, nullptr);
    const auto range = [bar] { return SendMessageA(bar, PBM_GETRANGE, FALSE, 0); };
    const auto position = [bar] { return SendMessageA(bar, PBM_GETPOS, 0, 0); };
    EXPECT_EQ(range(), 100);
    EXPECT_EQ(position(), 0);

    ASSERT_TRUE(settings.bar->setMax(180.0f));
    EXPECT_EQ(range(), 180);
    ASSERT_TRUE(settings.bar->setValue(37.0f));
    EXPECT_EQ(position(), 37);
    ASSERT_TRUE(settings.bar->setValue(180.0f));
    EXPECT_EQ(position(), 180);
    EXPECT_EQ(range(), 180);
    ASSERT_TRUE(settings.bar->setValue(12.6f));
    EXPECT_EQ(position(), 13);
    ASSERT_TRUE(settings.bar->setValue(0.0f));
    EXPECT_EQ(position(), 0);

    settings.bar->setVisible(false);
    EXPECT_FALSE(IsWindowVisible(bar));
}

TEST(Win32Controls, TimersTickOnlyWhileEnabled) {
    ui::Win32Driver driver(RealWindows());
    TestForm form(driver, Design("Timers", 100, 100));
    auto& early = form.timer("Timer1", 20, true);
    auto& late = form.timer("Timer2", 20, false);
    int earlyTicks = 0;
    int lateTicks = 0;
    early.onTick = [&] {
        if (++earlyTicks == 3) {
            early.setEnabled(false);
        }
    };
    late.onTick = [&] { ++lateTicks; };
    // Timers run from the end of the load handler on, shown or not. A
    // message loop inside the handler (a message box's) does not run them.
    form.whileLoading = [&] { Pump(200); };
    form.load();
    EXPECT_EQ(earlyTicks, 0);

    ASSERT_TRUE(PumpUntil([&] { return earlyTicks >= 3; }, 5000));
    Pump(200);
    EXPECT_EQ(earlyTicks, 3);
    EXPECT_EQ(lateTicks, 0);

    late.setEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return lateTicks >= 2; }, 5000));
}

struct TooltipSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindTooltip(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TooltipSearch*>(param);
    if (ClassOf(window) == "tooltips_class32" && GetWindow(window, GW_OWNER) == search->owner) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The tooltip control that belongs to the form window `form`.
HWND TooltipOf(HWND form) {
    TooltipSearch search{form, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST(Win32Controls, HotAreaTooltipsFollowTheirVisibility) {
    ui::Win32Driver driver(RealWindows());
    TestForm form(driver, Design("Tips", 300, 200));
    auto& rate = form.place<ui::HotArea>("Label3", TwipsOf(10, 10, 50, 30), "Rate my settings");
    form.place<ui::HotArea>("Label4", TwipsOf(10, 60, 50, 30), "Help");
    form.place<ui::HotArea>("Label5", TwipsOf(10, 110, 50, 30));
    form.show();
    HWND tips = TooltipOf(WindowOf(form));
    ASSERT_NE(tips, nullptr);
    const auto tools = [tips] { return SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0); };
    EXPECT_EQ(tools(), 2);
    rate.setVisible(false);
    EXPECT_EQ(tools(), 1);
    rate.setVisible(true);
    EXPECT_EQ(tools(), 2);

    // The tool of a hot area covers the area's pixels on the form.
    TTHITTESTINFOA hit{};
    hit.hwnd = WindowOf(form);
    hit.pt = ClientPixel(rate.rect().center());
    hit.ti.cbSize = TTTOOLINFOA_V2_SIZE;
    char text[80] = {};
    hit.ti.lpszText = text;
    ASSERT_TRUE(SendMessageA(tips, TTM_HITTESTA, 0, reinterpret_cast<LPARAM>(&hit)));
}

TEST(Win32Controls, MessageBoxIsOwnedByTheActiveFormAndReturnsTheAnswer) {
    ui::Win32Driver driver(RealWindows());
    TestForm form(driver, Design("Owner", 200, 100));
    form.show();
    HWND window = WindowOf(form);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(GetActiveWindow(), window);

    std::atomic<HWND> owner{nullptr};
    std::thread user([&] {
        for (int attempt = 0; attempt < 200; ++attempt) {
            if (HWND box = FindWindowA("#32770", "Tarrow question")) {
                owner = GetWindow(box, GW_OWNER);
                PostMessageA(box, WM_COMMAND, IDRETRY, 0);
                return;
            }
            Sleep(25);
        }
    });
    const int answer = driver.messageBox("Try again?", "Tarrow question",
                                         ui::mb::kRetryCancel | ui::mb::kCritical);
    user.join();
    EXPECT_EQ(answer, ui::mb::kRetry);
    EXPECT_EQ(owner.load(), window);
}

} // namespace
} // namespace tarrow::testing
