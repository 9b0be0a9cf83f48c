// The picture windows: small borderless windows that show one picture until
// the user clicks. One class serves the whole family; a table gives each
// member its picture, size, placement, where a click closes it and what that
// click does.
#pragma once

#include "tarrow/layout/window_layouts.h"
#include "ui/form.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string_view>

namespace tarrow {

enum class PictureWindowId { Star, Fast, Normal, Slow, Form6, Form7, Form3, Filee };
inline constexpr std::size_t kPictureWindowCount = 8;

// Where a click closes the window.
enum class CloseArea {
    Anywhere,         // anywhere on the window
    AnywhereButLabel, // anywhere except its label, which does nothing
    LabelOnly,        // only its label
};

// What the closing click does, step by step: the window hides itself, tells
// that it closed (the program then enables the windows it covered), or ends
// the program.
enum class CloseStep { None, HideSelf, Closed, EndProgram };

struct PictureWindowDesign {
    ui::FormDesign form;
    // The picture's file name in the images folder; empty when another window
    // sets the picture.
    std::string_view picture;
    CloseArea closeArea;
    // The window's one hot area, its row in the window's layout table;
    // nullptr: no label.
    const HotAreaLayout* label;
    std::array<CloseStep, 3> closeSteps;
};

const PictureWindowDesign& DesignOf(PictureWindowId id);

class PictureWindow final : public ui::Form {
public:
    PictureWindow(ui::Driver& driver, PictureWindowId id);

    PictureWindowId id() const { return id_; }
    // The window's label, or nullptr.
    ui::HotArea* label() const { return label_; }

    // The closing click: raised at its place among the closing steps.
    std::function<void()> onClosed;

protected:
    void onLoad() override;
    void onClick() override;

private:
    void Close();

    PictureWindowId id_;
    const PictureWindowDesign& design_;
    ui::HotArea* label_ = nullptr;
};

} // namespace tarrow
