// Every window as the user meets it: name, caption, frame, size, where it
// appears, whether it shows in the taskbar, and where its controls and hot
// areas lie. The hot areas are the rows of the windows' layout tables, which
// window_pictures_test.py holds to the committed pictures.
#include "tarrow/layout/window_layouts.h"
#include "tests/tarrow/tarrow_fixture.h"
#include "ui/focus_order.h"

#include <algorithm>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tarrow {
namespace {

using ui::BorderStyle;
using ui::Placement;

struct WindowDesign {
    const char* name;
    const char* caption;
    BorderStyle border;
    ui::TwipSize clientSize; // {0, 0}: chosen to fit its picture
    Placement placement;
    bool inTaskbar;
    bool draggable;
};

// The real controls; the hot areas are in the windows' layout tables.
struct AreaDesign {
    const char* form;
    const char* name;
    ui::TwipRect rect;
};

// clang-format off
const WindowDesign kWindows[] = {
    {"Check", "Files Searching", BorderStyle::None, {0, 0}, Placement::CenterScreen, true, false},
    {"Form1", "Tarrow", BorderStyle::None, {0, 0}, Placement::CenterScreen, true, true},
    {"Form2", "Tarrow", BorderStyle::None, {0, 0}, Placement::CenterScreen, true, true},
    {"Star", "", BorderStyle::FixedDialog, {5985, 1485}, Placement::CenterOwner, false, false},
    {"Fast", "", BorderStyle::FixedDialog, {6000, 1470}, Placement::CenterOwner, false, false},
    {"Normal", "", BorderStyle::FixedDialog, {5985, 1470}, Placement::CenterOwner, false, false},
    {"Slow", "", BorderStyle::FixedDialog, {6000, 1500}, Placement::CenterOwner, false, false},
    {"Form6", "", BorderStyle::FixedDialog, {4050, 4035}, Placement::WindowsDefault, false, false},
    {"Form7", "", BorderStyle::FixedDialog, {7500, 6000}, Placement::WindowsDefault, false, false},
    {"Form3", "", BorderStyle::FixedDialog, {4500, 3585}, Placement::CenterOwner, false, true},
    {"Filee", "", BorderStyle::FixedDialog, {4485, 4485}, Placement::CenterScreen, false, false},
    {"Working", "", BorderStyle::FixedDialog, {5985, 3000}, Placement::CenterScreen, false, false},
};

const AreaDesign kAreas[] = {
    {"Check", "Label1", {2160, 1200, 3255, 255}},
    {"Working", "Check1", {2400, 1920, 3015, 255}},
    {"Working", "Command1", {3120, 2520, 1575, 375}},
    {"Working", "Command2", {1440, 2520, 1455, 375}},
    {"Working", "Frame1", {2400, 960, 3015, 855}},
    // The option buttons lie in the frame, 120 twips from its left edge.
    {"Working", "Option1", {2520, 1320, 2535, 195}},
    {"Working", "Option2", {2520, 1560, 2535, 195}},
};
// clang-format on

// The program's windows, each under the name of its accessor.
ui::Form& FormOf(TarrowApp& app, std::string_view accessor) {
    const std::pair<std::string_view, ui::Form*> forms[] = {
        {"Check", &app.Check()}, {"Form1", &app.Form1()}, {"Form2", &app.Form2()},
        {"Star", &app.Star()},   {"Fast", &app.Fast()},   {"Normal", &app.Normal()},
        {"Slow", &app.Slow()},   {"Form6", &app.Form6()}, {"Form7", &app.Form7()},
        {"Form3", &app.Form3()}, {"Filee", &app.Filee()}, {"Working", &app.Working()},
    };
    for (const auto& [name, form] : forms) {
        if (name == accessor) {
            return *form;
        }
    }
    ADD_FAILURE() << "no window " << accessor;
    return app.Check();
}

bool SameRect(ui::TwipRect a, ui::TwipRect b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

class WindowDesigns : public testing::TarrowFixture {};

TEST_F(WindowDesigns, EveryWindowIsMadeAsDesigned) {
    for (const WindowDesign& expected : kWindows) {
        SCOPED_TRACE(expected.name);
        const ui::FormDesign& design = FormOf(*app, expected.name).design();
        EXPECT_EQ(design.name, expected.name);
        EXPECT_EQ(design.caption, expected.caption);
        EXPECT_EQ(design.border, expected.border);
        if (expected.clientSize.width != 0) {
            EXPECT_EQ(design.clientSize.width, expected.clientSize.width);
            EXPECT_EQ(design.clientSize.height, expected.clientSize.height);
        }
        EXPECT_EQ(design.placement, expected.placement);
        EXPECT_EQ(design.showInTaskbar, expected.inTaskbar);
        EXPECT_EQ(design.draggable, expected.draggable);
    }
}

// The real controls lie where their pictures leave room for them. Each
// window's hot areas are the rows of its layout table, which its picture is
// drawn from and held to, and it has no other.
TEST_F(WindowDesigns, EveryClickableAreaLiesWhereItsPictureDrawsIt) {
    for (const AreaDesign& expected : kAreas) {
        ui::Form& form = FormOf(*app, expected.form);
        SCOPED_TRACE(form.name() + "." + expected.name);
        const ui::Control* control = form.findControl(expected.name);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(SameRect(control->rect(), expected.rect));
        EXPECT_NE(control->kind(), ui::ControlKind::HotArea) << "hot areas are in the tables";
    }
    const std::pair<const char*, std::span<const HotAreaLayout>> windows[] = {
        {"Form1", kIntroLayout}, {"Form2", kMainLayout},        {"Form6", kNoticeLayout},
        {"Form7", kHelpLayout},  {"Form3", kInformationLayout},
    };
    for (const auto& [accessor, rows] : windows) {
        ui::Form& form = FormOf(*app, accessor);
        const auto hotAreas =
            std::count_if(form.controls().begin(), form.controls().end(), [](const auto& control) {
                return control->kind() == ui::ControlKind::HotArea;
            });
        EXPECT_EQ(static_cast<std::size_t>(hotAreas), rows.size()) << accessor;
        for (const HotAreaLayout& row : rows) {
            SCOPED_TRACE(form.name() + "." + std::string(row.name));
            const auto* area =
                dynamic_cast<const ui::HotArea*>(form.findControl(std::string(row.name)));
            ASSERT_NE(area, nullptr);
            EXPECT_TRUE(SameRect(area->rect(), row.rect));
            EXPECT_EQ(area->tooltip(), row.tooltip);
            EXPECT_EQ(area->accessibleName(), row.accessibleName);
            EXPECT_EQ(area->tabIndex(), row.tabIndex);
        }
    }
    // The intro has its one hot area and nothing else; the main window its
    // seven.
    EXPECT_EQ(app->Form1().controls().size(), 1u);
    EXPECT_EQ(app->Form2().controls().size(), 8u) << "seven hot areas and the progress bar";
}

TEST_F(WindowDesigns, TheSettingsWindowHasItsCaptionsTabOrderFontAndOneOptionGroup) {
    struct ControlDesign {
        const char* name;
        ui::ControlKind kind;
        const char* caption;
        int tabIndex;
        bool tahoma;
    };
    const ControlDesign expected[] = {
        {"Check1", ui::ControlKind::CheckBox, "Remove  windows shutdown sound", 0, true},
        {"Command1", ui::ControlKind::CommandButton, "Processoring", 1, false},
        {"Command2", ui::ControlKind::CommandButton, "Cancel", 2, false},
        {"Frame1", ui::ControlKind::Frame, "Time out (For Advanced User)", 3, false},
        {"Option1", ui::ControlKind::OptionButton, "Powerful", 4, true},
        {"Option2", ui::ControlKind::OptionButton, "Fast(Our recommend)", 5, true},
    };
    WorkingForm& working = app->Working();
    ASSERT_EQ(working.controls().size(), std::size(expected));
    for (const ControlDesign& design : expected) {
        SCOPED_TRACE(design.name);
        const ui::Control* control = working.findControl(design.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->kind(), design.kind);
        EXPECT_EQ(control->tabIndex(), design.tabIndex);
        std::string caption;
        const ui::Font* font = nullptr;
        if (const auto* box = dynamic_cast<const ui::CheckBox*>(control)) {
            caption = box->caption();
            font = &box->font();
        } else if (const auto* option = dynamic_cast<const ui::OptionButton*>(control)) {
            caption = option->caption();
            font = &option->font();
            EXPECT_EQ(&option->frame(), &working.Frame1);
        } else if (const auto* button = dynamic_cast<const ui::CommandButton*>(control)) {
            caption = button->caption();
        } else if (const auto* frame = dynamic_cast<const ui::Frame*>(control)) {
            caption = frame->caption();
        }
        EXPECT_EQ(caption, design.caption);
        if (design.tahoma) {
            ASSERT_NE(font, nullptr);
            EXPECT_EQ(font->name, "Tahoma");
            EXPECT_EQ(font->points, 8.25);
        }
    }
    EXPECT_EQ(working.Check1.value(), ui::CheckState::Unchecked);
    EXPECT_FALSE(working.Option1.selected());
    EXPECT_FALSE(working.Option2.selected());
}

TEST_F(WindowDesigns, TheMainAndIntroWindowsFitTheirHotAreas) {
    for (ui::Form* form :
         {static_cast<ui::Form*>(&app->Form1()), static_cast<ui::Form*>(&app->Form2())}) {
        SCOPED_TRACE(form->name());
        const ui::TwipSize size = form->design().clientSize;
        for (const auto& control : form->controls()) {
            const ui::TwipRect r = control->rect();
            EXPECT_LE(r.left + r.width, size.width) << control->name();
            EXPECT_LE(r.top + r.height, size.height) << control->name();
        }
    }
}

// What a screen reader meets in each window: the window's name (its caption,
// or for a window without one the words its picture shows), and its tab
// stops in order, each named by its words; hot areas are the windowless
// buttons a screen reader could not otherwise see. The main window is seen
// without and with a speed-up in force.
TEST_F(WindowDesigns, EachWindowTellsAScreenReaderItsNameAndItsTabStopsInOrder) {
    struct Exposed {
        const char* form;
        bool inForce;
        const char* windowName;
        std::vector<std::string> tabStops;
    };
    const Exposed windows[] = {
        {"Form1", false, "Tarrow", {"Start"}},
        {"Form2",
         false,
         "Tarrow",
         {"Rate my current settings", "Speed up shutdown", "Exit", "About", "Help"}},
        {"Form2",
         true,
         "Tarrow",
         {"Rate my current settings", "Speed up shutdown", "Restore original settings", "Exit",
          "About", "Help"}},
        {"Form7", false, "Help", {"Close"}},
        {"Form3", false, "About Tarrow", {"Close"}},
        {"Form6", false, "Shutdown is already sped up.", {}},
        {"Star", false, "Rating: Excellent", {}},
        {"Fast", false, "Rating: Fast", {}},
        {"Normal", false, "Rating: Normal", {}},
        {"Slow", false, "Rating: Slow", {}},
        {"Filee", false, "Some of Tarrow\u2019s files are missing.", {}},
        {"Working",
         false,
         "Speed up shutdown",
         {"Remove  windows shutdown sound", "Processoring", "Cancel", "Powerful",
          "Fast(Our recommend)"}},
    };
    for (const Exposed& expected : windows) {
        SCOPED_TRACE(std::string(expected.form) + (expected.inForce ? ", speed-up in force" : ""));
        testing::TarrowWorld world;
        if (expected.inForce) {
            modregistry::SetValue(world.p, ValueKind::Text, RegistryRoot::CurrentUser,
                                  "Control Panel\\Desktop", "Beforce", "1");
            modregistry::SetValue(world.p, ValueKind::Text, RegistryRoot::CurrentUser, "Consol",
                                  "Change", "1");
        }
        world.StartToMainWindow();
        ui::Form& form = FormOf(*world.app, expected.form);
        form.load();
        const ui::FormDesign& design = form.design();
        EXPECT_EQ(design.caption.empty() ? design.access.name : design.caption,
                  expected.windowName);
        EXPECT_FALSE(design.access.description.empty() && design.caption.empty() &&
                     expected.form != std::string("Working"))
            << "a picture window describes what its picture says";
        std::vector<std::string> names;
        for (const ui::Control* stop : ui::TabOrder(form)) {
            switch (stop->kind()) {
            case ui::ControlKind::HotArea:
                names.push_back(static_cast<const ui::HotArea*>(stop)->accessibleName());
                break;
            case ui::ControlKind::CommandButton:
                names.push_back(static_cast<const ui::CommandButton*>(stop)->caption());
                break;
            case ui::ControlKind::CheckBox:
                names.push_back(static_cast<const ui::CheckBox*>(stop)->caption());
                break;
            case ui::ControlKind::OptionButton:
                names.push_back(static_cast<const ui::OptionButton*>(stop)->caption());
                break;
            default:
                ADD_FAILURE() << stop->name() << " takes the focus but does nothing";
            }
        }
        EXPECT_EQ(names, expected.tabStops);
    }
}

} // namespace
} // namespace tarrow
