// The picture windows: small borderless windows that show one picture until
// the user clicks. One class serves the whole family; a table gives each
// member its picture, size, placement, where a click closes it and what that
// click does.
#pragma once

#include "ui/form.h"

#include <array>
#include <string_view>

namespace tarrow {

class TarrowApp;

enum class PictureWindowId { Star, Fast, Normal, Slow, Form6, Form7, Form3, Filee };

// Where a click closes the window.
enum class CloseArea {
    Anywhere,         // anywhere on the window
    AnywhereButLabel, // anywhere except its label, which does nothing
    LabelOnly,        // only its label
};

// What the closing click does, step by step.
enum class CloseStep { None, HideSelf, EnableMain, EnableIntro, EndProgram };

struct PictureWindowDesign {
    PictureWindowId id;
    ui::FormDesign form;
    // The picture's file name in the images folder; empty when another window
    // sets the picture.
    std::string_view picture;
    CloseArea closeArea;
    std::string_view labelName; // empty: no label
    ui::TwipRect label;
    std::array<CloseStep, 3> closeSteps;
};

const PictureWindowDesign& DesignOf(PictureWindowId id);

class PictureWindow final : public ui::Form {
public:
    PictureWindow(TarrowApp& app, PictureWindowId id);

    PictureWindowId id() const { return design_.id; }
    // The window's label, or nullptr.
    ui::HotArea* label() const { return label_; }

protected:
    void onLoad() override;
    void onClick() override;

private:
    void Close();

    TarrowApp& app_;
    const PictureWindowDesign& design_;
    ui::HotArea* label_ = nullptr;
};

} // namespace tarrow
