// Tarrow used with the keyboard alone. Each row starts a window in a state,
// types keys into whatever window is active, and says what the user then
// meets: the active window, the control with the focus, and the message
// boxes that showed; rows whose keys run an operation say what it left.
#include "shutdown/markers.h"
#include "tests/tarrow/tarrow_fixture.h"

#include <cctype>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace tarrow {
namespace {

using testing::TarrowWorld;
using ui::Key;

// A key as the user types it.
struct Stroke {
    Key key;
    bool shift = false;
    int repeats = 0; // held down for this many repeats of the keyboard
};
const Stroke kTab{Key::Tab};
const Stroke kBackTab{Key::Tab, true};
const Stroke kEnter{Key::Enter};
const Stroke kSpace{Key::Space};
const Stroke kEsc{Key::Escape};
const Stroke kDown{Key::Down};
const Stroke kUp{Key::Up};
const Stroke kHeldEnter{Key::Enter, false, 5};

std::vector<Stroke> Tabs(int count) {
    return std::vector<Stroke>(static_cast<std::size_t>(count), kTab);
}

std::vector<Stroke> Then(std::vector<Stroke> first, const std::vector<Stroke>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// What a screen reader calls the focused control.
std::string FocusName(const ui::Form* form) {
    const ui::Control* focus = form != nullptr ? form->focus() : nullptr;
    if (focus == nullptr) {
        return "";
    }
    switch (focus->kind()) {
    case ui::ControlKind::HotArea:
        return static_cast<const ui::HotArea*>(focus)->accessibleName();
    case ui::ControlKind::CommandButton:
        return static_cast<const ui::CommandButton*>(focus)->caption();
    case ui::ControlKind::CheckBox:
        return static_cast<const ui::CheckBox*>(focus)->caption();
    case ui::ControlKind::OptionButton:
        return static_cast<const ui::OptionButton*>(focus)->caption();
    default:
        return focus->name();
    }
}

void InForce(TarrowWorld& w) {
    modregistry::SetValue(w.p, ValueKind::Text, RegistryRoot::CurrentUser, "Control Panel\\Desktop",
                          "Beforce", "1");
    modregistry::SetValue(w.p, ValueKind::Text, RegistryRoot::CurrentUser, "Consol", "Change", "1");
}

struct Row {
    const char* what;
    // Before the program starts, then once the main window shows (or, for
    // rows that start at the intro, once the intro shows).
    std::function<void(TarrowWorld&)> before;
    std::function<void(TarrowWorld&)> state;
    bool toMainWindow;
    std::vector<Stroke> keys;
    const char* active; // the active window's name; "" when the program ended
    const char* focus;
    std::size_t boxes;
    std::function<void(TarrowWorld&)> leaves; // further checks, if any
};

void Nothing(TarrowWorld&) {}

const Row kRows[] = {
    // The intro: its one hot area has the focus; Enter and Space continue.
    {"the intro starts on its hot area", Nothing, Nothing, false, {}, "Form1", "Start", 0, {}},
    {"Enter on the intro",
     Nothing,
     Nothing,
     false,
     {kEnter},
     "Form2",
     "Rate my current settings",
     0,
     {}},
    {"Space on the intro",
     Nothing,
     Nothing,
     false,
     {kSpace},
     "Form2",
     "Rate my current settings",
     0,
     {}},
    {"Esc on the intro does nothing", Nothing, Nothing, false, {kEsc}, "Form1", "Start", 0, {}},
    // The main window's tab order wraps at either end and skips what is
    // hidden (the restore, with no speed-up in force) or disabled.
    {"Tab", Nothing, Nothing, true, {kTab}, "Form2", "Speed up shutdown", 0, {}},
    {"Tab to the bottom row", Nothing, Nothing, true, Tabs(3), "Form2", "About", 0, {}},
    {"Tab wraps at the end",
     Nothing,
     Nothing,
     true,
     Tabs(5),
     "Form2",
     "Rate my current settings",
     0,
     {}},
    {"Shift+Tab wraps at the start", Nothing, Nothing, true, {kBackTab}, "Form2", "Help", 0, {}},
    {"Shift+Tab goes back",
     Nothing,
     Nothing,
     true,
     {kTab, kTab, kBackTab},
     "Form2",
     "Speed up shutdown",
     0,
     {}},
    {"with a speed-up in force the restore is a tab stop",
     InForce,
     Nothing,
     true,
     Tabs(2),
     "Form2",
     "Restore original settings",
     0,
     {}},
    {"a disabled hot area is skipped",
     Nothing,
     [](TarrowWorld& w) { w.app->Form2().Label6.setEnabled(false); },
     true,
     {kTab},
     "Form2",
     "Exit",
     0,
     {}},
    {"Esc on the main window does nothing",
     Nothing,
     Nothing,
     true,
     {kEsc},
     "Form2",
     "Rate my current settings",
     0,
     {}},
    {"Enter on the exit ends the program",
     Nothing,
     Nothing,
     true,
     Then(Tabs(2), {kEnter}),
     "",
     "",
     0,
     {}},
    // The windows it opens, and their keyboard ways out; the main window's
    // focus is where it was when they close.
    {"Enter on the speed-up opens the settings",
     Nothing,
     Nothing,
     true,
     {kTab, kEnter},
     "Working",
     "Remove  windows shutdown sound",
     0,
     {}},
    {"Esc in the settings is its Cancel",
     Nothing,
     Nothing,
     true,
     {kTab, kEnter, kEsc},
     "Form2",
     "Speed up shutdown",
     0,
     [](TarrowWorld& w) { EXPECT_FALSE(w.app->Working().visible()); }},
    {"the settings' tab order wraps",
     Nothing,
     Nothing,
     true,
     Then({kTab, kEnter}, Tabs(5)),
     "Working",
     "Remove  windows shutdown sound",
     0,
     {}},
    {"Space ticks the check box",
     Nothing,
     Nothing,
     true,
     {kTab, kEnter, kSpace},
     "Working",
     "Remove  windows shutdown sound",
     0,
     [](TarrowWorld& w) { EXPECT_EQ(w.app->Working().Check1.value(), ui::CheckState::Checked); }},
    {"an arrow selects the option it reaches", Nothing, Nothing, true,
     Then({kTab, kEnter}, {kTab, kTab, kTab, kDown}), "Working", "Fast(Our recommend)", 0,
     [](TarrowWorld& w) {
         EXPECT_TRUE(w.app->Working().Option2.selected());
         EXPECT_FALSE(w.app->Working().Option1.selected());
     }},
    {"the arrows wrap within the options", Nothing, Nothing, true,
     Then({kTab, kEnter}, {kTab, kTab, kTab, kDown, kDown, kUp}), "Working",
     "Fast(Our recommend)", 0,
     [](TarrowWorld& w) { EXPECT_TRUE(w.app->Working().Option2.selected()); }},
    {"Tab alone selects no option", Nothing, Nothing, true, Then({kTab, kEnter}, Tabs(4)),
     "Working", "Fast(Our recommend)", 0,
     [](TarrowWorld& w) {
         EXPECT_FALSE(w.app->Working().Option1.selected() || w.app->Working().Option2.selected());
     }},
    {"Enter on a check box presses nothing",
     Nothing,
     Nothing,
     true,
     {kTab, kEnter, kEnter},
     "Working",
     "Remove  windows shutdown sound",
     0,
     {}},
    // A held Enter on "Processoring" asks once; Cancel is the answer given.
    {"a held Enter asks once",
     Nothing,
     [](TarrowWorld& w) { w.driver.queueAnswer(ui::mb::kCancel); },
     true,
     {kTab, kEnter, kTab, kHeldEnter},
     "Working",
     "Processoring",
     1,
     [](TarrowWorld& w) { EXPECT_EQ(shutdown::ReadMarkers(w.p).change, false); }},
    // The speed-up from the keyboard; a key typed while it ran is dropped,
    // and the focus, whose hot area went, is on the first one again.
    {"the speed-up, with Enter typed while it runs",
     Nothing,
     [](TarrowWorld& w) {
         w.driver.onPause = [&w] {
             w.driver.onPause = nullptr;
             w.driver.type(Key::Enter);
         };
     },
     true,
     {kTab, kEnter, kTab, kEnter},
     "Form2",
     "Rate my current settings",
     1,
     [](TarrowWorld& w) {
         EXPECT_TRUE(shutdown::ReadMarkers(w.p).change) << "the speed-up ran";
         EXPECT_TRUE(w.app->Form2().Label7.visible());
         for (PictureWindow* rating :
              {&w.app->Star(), &w.app->Fast(), &w.app->Normal(), &w.app->Slow()}) {
             EXPECT_FALSE(rating->visible()) << "the Enter typed meanwhile rated nothing";
         }
     }},
    {"the restore from the keyboard",
     InForce,
     Nothing,
     true,
     {kTab, kTab, kEnter},
     "Form2",
     "Rate my current settings",
     0,
     [](TarrowWorld& w) {
         EXPECT_FALSE(w.app->Form2().Label5.visible()) << "the restore ran";
         EXPECT_TRUE(w.app->Form2().Label6.visible());
     }},
    // The rating, and its window's ways out; a key typed while it ran
    // neither closes the window nor rates again.
    {"Enter rates", Nothing, Nothing, true, {kEnter}, "Rating", "", 0, {}},
    {"Enter closes the rating",
     Nothing,
     Nothing,
     true,
     {kEnter, kEnter},
     "Form2",
     "Rate my current settings",
     0,
     {}},
    {"Space closes the rating",
     Nothing,
     Nothing,
     true,
     {kEnter, kSpace},
     "Form2",
     "Rate my current settings",
     0,
     {}},
    {"Esc closes the rating",
     Nothing,
     Nothing,
     true,
     {kEnter, kEsc},
     "Form2",
     "Rate my current settings",
     0,
     {}},
    {"Tab on the rating moves nothing",
     Nothing,
     Nothing,
     true,
     {kEnter, kTab},
     "Rating",
     "",
     0,
     {}},
    {"a key typed while the rating runs is dropped",
     Nothing,
     [](TarrowWorld& w) {
         w.driver.onPause = [&w] {
             w.driver.onPause = nullptr;
             w.driver.type(Key::Escape);
         };
     },
     true,
     {kEnter},
     "Rating",
     "",
     0,
     {}},
    // Help and information close with Esc, or Enter on their label.
    {"Enter on help opens it", Nothing, Nothing, true, {kBackTab, kEnter}, "Form7", "Close", 0, {}},
    {"Esc closes help", Nothing, Nothing, true, {kBackTab, kEnter, kEsc}, "Form2", "Help", 0, {}},
    {"Enter on help's label closes it",
     Nothing,
     Nothing,
     true,
     {kBackTab, kEnter, kEnter},
     "Form2",
     "Help",
     0,
     {}},
    {"Space on help's label closes it",
     Nothing,
     Nothing,
     true,
     {kBackTab, kEnter, kSpace},
     "Form2",
     "Help",
     0,
     {}},
    {"Esc closes the information",
     Nothing,
     Nothing,
     true,
     Then(Tabs(3), {kEnter, kEsc}),
     "Form2",
     "About",
     0,
     {}},
    // The notice closes with Enter and Esc; its label has no action.
    {"Enter on the notice's hot area opens it",
     InForce,
     Nothing,
     true,
     {kTab, kEnter},
     "Form6",
     "",
     0,
     {}},
    {"Esc closes the notice",
     InForce,
     Nothing,
     true,
     {kTab, kEnter, kEsc},
     "Form2",
     "Speed up shutdown",
     0,
     {}},
    {"Enter closes the notice",
     InForce,
     Nothing,
     true,
     {kTab, kEnter, kEnter},
     "Form2",
     "Speed up shutdown",
     0,
     {}},
    {"Space leaves the notice open",
     InForce,
     Nothing,
     true,
     {kTab, kEnter, kSpace},
     "Form6",
     "",
     0,
     {}},
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.what;
}

class Keyboard : public ::testing::TestWithParam<Row> {};

TEST_P(Keyboard, LeadsWhereTheMouseDoes) {
    const Row& row = GetParam();
    TarrowWorld w;
    row.before(w);
    if (row.toMainWindow) {
        w.StartToMainWindow();
    } else {
        w.InstallImages();
        w.StartAndCheck();
    }
    row.state(w);
    for (const Stroke& stroke : row.keys) {
        if (stroke.repeats > 0) {
            w.driver.hold(stroke.key, stroke.repeats);
        } else {
            w.driver.type(stroke.key, stroke.shift);
        }
    }
    ui::Form* active = w.driver.activeForm();
    std::string activeName = active != nullptr ? active->name() : "";
    for (PictureWindow* rating :
         {&w.app->Star(), &w.app->Fast(), &w.app->Normal(), &w.app->Slow()}) {
        if (active == rating) {
            activeName = "Rating";
        }
    }
    EXPECT_EQ(activeName, row.active);
    EXPECT_EQ(w.driver.programEnded(), std::string(row.active).empty());
    EXPECT_EQ(FocusName(active), row.focus);
    EXPECT_EQ(w.driver.messages().size(), row.boxes);
    if (row.leaves) {
        row.leaves(w);
    }
}

// The keyboard's way out of the missing-files window ends the program, as
// its click does.
TEST(KeyboardMissingFiles, EnterSpaceOrEscEndTheProgram) {
    for (Key key : {Key::Enter, Key::Space, Key::Escape}) {
        TarrowWorld w;
        w.InstallImages("Star.jpg");
        w.StartAndCheck();
        ASSERT_EQ(w.driver.activeForm(), &w.app->Filee());
        w.driver.type(Key::Tab);
        EXPECT_FALSE(w.driver.programEnded()) << "Tab has nothing to move to";
        w.driver.type(key);
        EXPECT_TRUE(w.driver.programEnded());
    }
}

std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    std::string name;
    bool upper = true;
    for (const char c : std::string(info.param.what)) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
            upper = false;
        } else {
            upper = true;
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Rows, Keyboard, ::testing::ValuesIn(kRows), RowName);

} // namespace
} // namespace tarrow
