// The rules of the toolkit that every driver shares, on the headless driver:
// what counts as a click, option groups, three-state check boxes and the
// progress bar's bounds.
#include "tests/support/test_machine.h"
#include "ui/form.h"
#include "ui/headless/headless_driver.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace tarrow::testing {
namespace {

class RulesForm : public ui::Form {
public:
    explicit RulesForm(ui::Driver& driver)
        : Form(driver, {"Rules", "", ui::BorderStyle::None, {3000, 3000}}),
          area(add<ui::HotArea>("Area", ui::TwipRect{0, 0, 600, 600})),
          box(add<ui::CheckBox>("Check1", ui::TwipRect{0, 700, 2000, 255}, "Box")),
          frameA(add<ui::Frame>("FrameA", ui::TwipRect{0, 1000, 3000, 900}, "A")),
          a1(add<ui::OptionButton>("A1", frameA, ui::TwipRect{100, 100, 1000, 200}, "a1")),
          a2(add<ui::OptionButton>("A2", frameA, ui::TwipRect{100, 400, 1000, 200}, "a2")),
          frameB(add<ui::Frame>("FrameB", ui::TwipRect{0, 2000, 3000, 900}, "B")),
          b1(add<ui::OptionButton>("B1", frameB, ui::TwipRect{100, 100, 1000, 200}, "b1")),
          bar(add<ui::ProgressBar>("PB1", ui::TwipRect{1000, 0, 1000, 255}, 10.0f)) {
        area.onClick = [this] { ++areaClicks; };
    }
    ui::HotArea& area;
    ui::CheckBox& box;
    ui::Frame& frameA;
    ui::OptionButton& a1;
    ui::OptionButton& a2;
    ui::Frame& frameB;
    ui::OptionButton& b1;
    ui::ProgressBar& bar;
    int areaClicks = 0;
    int surfaceClicks = 0;

protected:
    void onClick() override { ++surfaceClicks; }
};

class FormRules : public ::testing::Test {
protected:
    TestMachine machine;
    ui::HeadlessDriver driver{machine.platform()};
    RulesForm form{driver};
    void SetUp() override { form.show(); }
    void PressAndRelease(ui::TwipPoint press, ui::TwipPoint release) {
        form.mouseDown(press, ui::MouseButton::Left);
        form.mouseUp(release, ui::MouseButton::Left);
    }
};

TEST_F(FormRules, AClickIsAPressAndAReleaseOnTheSameControlOrBothOnTheSurface) {
    const ui::TwipPoint onArea{300, 300};
    const ui::TwipPoint onSurface{2500, 300};
    struct Case {
        ui::TwipPoint press, release;
        int areaClicks, surfaceClicks;
    };
    const Case cases[] = {
        {onArea, onArea, 1, 0},
        {onSurface, onSurface, 0, 1},
        {onSurface, {2900, 2990}, 0, 1},
        {onArea, onSurface, 0, 0},
        {onSurface, onArea, 0, 0},
        // Dragged off the window and released outside it, on any side.
        {onSurface, {3000, 300}, 0, 0},
        {onSurface, {-1, 300}, 0, 0},
        {onSurface, {300, 4000}, 0, 0},
        {onArea, {300, -200}, 0, 0},
    };
    for (const Case& c : cases) {
        form.areaClicks = form.surfaceClicks = 0;
        PressAndRelease(c.press, c.release);
        EXPECT_EQ(form.areaClicks, c.areaClicks) << c.release.x << "," << c.release.y;
        EXPECT_EQ(form.surfaceClicks, c.surfaceClicks) << c.release.x << "," << c.release.y;
    }
}

TEST_F(FormRules, OptionButtonsOfOneFrameExcludeEachOtherAndAClickCannotClearOne) {
    EXPECT_FALSE(form.a1.selected() || form.a2.selected() || form.b1.selected()) << "none at first";
    driver.click(form.a1);
    EXPECT_TRUE(form.a1.selected());
    driver.click(form.b1);
    EXPECT_TRUE(form.a1.selected()) << "another frame is another group";
    EXPECT_TRUE(form.b1.selected());
    driver.click(form.a2);
    EXPECT_FALSE(form.a1.selected());
    EXPECT_TRUE(form.a2.selected());
    driver.click(form.a2);
    EXPECT_TRUE(form.a2.selected()) << "clicking the selected one keeps it";
    EXPECT_TRUE(form.b1.selected());
}

TEST_F(FormRules, ACheckBoxHasThreeStatesAndAClickChecksOrClearsIt) {
    using ui::CheckState;
    struct Case {
        CheckState before, after;
    };
    for (const Case c : {Case{CheckState::Unchecked, CheckState::Checked},
                         Case{CheckState::Checked, CheckState::Unchecked},
                         Case{CheckState::Grayed, CheckState::Checked}}) {
        form.box.setValue(c.before);
        driver.click(form.box);
        EXPECT_EQ(form.box.value(), c.after);
    }
}

TEST_F(FormRules, AProgressBarNeverGoesBeyondItsMax) {
    for (int step = 1; step <= 12; ++step) {
        form.bar.setValue(form.bar.value() + 1.0f);
    }
    EXPECT_EQ(form.bar.value(), 10.0f) << "the steps beyond Max were skipped";
    EXPECT_FALSE(form.bar.setValue(10.5f));
    EXPECT_FALSE(form.bar.setValue(-1.0f));
    EXPECT_FALSE(form.bar.setMax(5.0f)) << "below the value";
    EXPECT_TRUE(form.bar.setValue(0.0f));
    EXPECT_TRUE(form.bar.setMax(5.0f));
    EXPECT_FALSE(form.bar.setMax(0.0f));
    EXPECT_EQ(form.bar.max(), 5.0f);
}

// Three hot areas in tab order, a fourth without an action, and a surface
// that Esc clicks.
class KeysForm : public ui::Form {
public:
    explicit KeysForm(ui::Driver& driver)
        : Form(driver, {"Keys",
                        "",
                        ui::BorderStyle::None,
                        {3000, 3000},
                        ui::Placement::WindowsDefault,
                        true,
                        false,
                        {"Keys", "", {ui::Key::Escape}, ""}}) {
        for (int i = 0; i < 3; ++i) {
            auto& area =
                add<ui::HotArea>("Area" + std::to_string(i), ui::TwipRect{i * 1000, 0, 900, 900});
            area.onClick = [this, i] { ++clicks[static_cast<std::size_t>(i)]; };
            // Added in one order, tabbed through in another: 2, 0, 1.
            area.setTabIndex((i + 1) % 3);
            areas.push_back(&area);
        }
        idle = &add<ui::HotArea>("Idle", ui::TwipRect{0, 1000, 900, 900});
        idle->setTabIndex(0);
    }
    std::vector<ui::HotArea*> areas;
    ui::HotArea* idle = nullptr;
    std::array<int, 3> clicks{};
    int surfaceClicks = 0;

protected:
    void onClick() override { ++surfaceClicks; }
};

// The keyboard's rules on one form, each case from a freshly shown form: a
// sequence of key events, then where the focus is and what acted.
TEST(KeyboardRules, FocusMovesInTabOrderAndEachPressActsOnceOnRelease) {
    enum Event {
        Tab,
        BackTab,
        EnterDown,
        EnterRepeat,
        EnterUp,
        EscDown,
        EscUp,
        Disable,
        Enable,
        HideFocused,
        HideFirst
    };
    struct Case {
        const char* what;
        std::vector<Event> events;
        int focus; // index into areas; -1 none
        std::array<int, 3> clicks;
        int surfaceClicks;
    };
    const Case cases[] = {
        {"the first in tab order has the focus", {}, 2, {0, 0, 0}, 0},
        {"Tab follows the tab indexes", {Tab}, 0, {0, 0, 0}, 0},
        {"and wraps", {Tab, Tab, Tab}, 2, {0, 0, 0}, 0},
        {"Shift+Tab wraps backwards", {BackTab}, 1, {0, 0, 0}, 0},
        {"Enter acts on its release", {EnterDown}, 2, {0, 0, 0}, 0},
        {"once", {EnterDown, EnterUp, EnterUp}, 2, {0, 0, 1}, 0},
        {"a held key acts once", {EnterDown, EnterRepeat, EnterRepeat, EnterUp}, 2, {0, 0, 1}, 0},
        {"two presses without a release act once",
         {EnterDown, EnterDown, EnterUp},
         2,
         {0, 0, 1},
         0},
        {"a release without its press does nothing", {EnterUp}, 2, {0, 0, 0}, 0},
        {"a press whose focus moved does nothing", {EnterDown, Tab, EnterUp}, 0, {0, 0, 0}, 0},
        {"Esc clicks the surface", {EscDown, EscUp}, 2, {0, 0, 0}, 1},
        {"a disabled form takes no key", {Disable, Tab, EnterDown, EnterUp}, 2, {0, 0, 0}, 0},
        {"nor a release of a press before", {EnterDown, Disable, EnterUp, Enable}, 2, {0, 0, 0}, 0},
        {"enabled again, the focus is where it was", {Tab, Disable, Enable}, 0, {0, 0, 0}, 0},
        {"unless it went meanwhile", {Tab, Disable, HideFocused, Enable}, 2, {0, 0, 0}, 0},
        {"a hidden area is skipped", {HideFirst, Tab}, 1, {0, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestMachine machine;
        ui::HeadlessDriver driver{machine.platform()};
        KeysForm form{driver};
        form.show();
        for (Event event : c.events) {
            switch (event) {
            case Tab:
            case BackTab:
                form.keyDown(ui::Key::Tab, event == BackTab, false);
                form.keyUp(ui::Key::Tab);
                break;
            case EnterDown:
            case EnterRepeat:
                form.keyDown(ui::Key::Enter, false, event == EnterRepeat);
                break;
            case EnterUp:
                form.keyUp(ui::Key::Enter);
                break;
            case EscDown:
                form.keyDown(ui::Key::Escape, false, false);
                break;
            case EscUp:
                form.keyUp(ui::Key::Escape);
                break;
            case Disable:
            case Enable:
                form.setEnabled(event == Enable);
                break;
            case HideFocused:
                form.focus()->setVisible(false);
                break;
            case HideFirst:
                form.areas[2]->setVisible(false);
                break;
            }
        }
        const ui::Control* expected =
            c.focus >= 0 ? form.areas[static_cast<std::size_t>(c.focus)] : nullptr;
        EXPECT_EQ(form.focus(), expected);
        EXPECT_EQ(form.clicks, c.clicks);
        EXPECT_EQ(form.surfaceClicks, c.surfaceClicks);
    }
}

TEST(KeyboardRules, FocusCuesShowOnceTheKeyboardMovesTheFocusOrAlwaysIfTheSystemSaysSo) {
    for (const bool always : {false, true}) {
        TestMachine machine;
        ui::HeadlessDriver driver{machine.platform()};
        driver.setFocusCuesAlwaysShown(always);
        KeysForm form{driver};
        form.show();
        EXPECT_EQ(form.focusCuesShown(), always) << "before any key";
        form.keyDown(ui::Key::Escape, false, false);
        form.keyUp(ui::Key::Escape);
        EXPECT_EQ(form.focusCuesShown(), always) << "Esc moves no focus";
        form.keyDown(ui::Key::Tab, false, false);
        EXPECT_TRUE(form.focusCuesShown()) << "after Tab";
    }
}

} // namespace
} // namespace tarrow::testing
