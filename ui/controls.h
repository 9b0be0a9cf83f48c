// The controls a form can carry. They hold their own state; the driver's
// native window is told of each change and shows it.
#pragma once

#include "ui/geometry.h"

#include <cstdint>
#include <functional>
#include <string>

namespace ui {

class Form;

enum class ControlKind {
    HotArea,       // transparent label without caption that acts as a button
    TextLabel,     // transparent label that shows a caption
    CommandButton, // push button
    CheckBox,      // unchecked, checked or grayed
    OptionButton,  // one of a group inside a frame
    Frame,         // captioned group box
    ProgressBar,   // common-controls progress bar
};

struct Font {
    std::string name = "Tahoma";
    double points = 8.25;
};

class Control {
public:
    Control(Form& form, std::string name, ControlKind kind, TwipRect rect);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    ControlKind kind() const { return kind_; }
    Form& form() const { return form_; }
    // Position relative to the form's client area.
    TwipRect rect() const { return rect_; }

    bool visible() const { return visible_; }
    void setVisible(bool visible);
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    int tabIndex() const { return tabIndex_; }
    void setTabIndex(int tabIndex) { tabIndex_ = tabIndex; }

    // Whether a click at this control does anything: a hidden or disabled
    // control takes no clicks.
    bool takesInput() const { return visible_ && enabled_; }

    // A click by the user: the control changes its own state (a check box
    // toggles, an option button is selected), then onClick runs.
    void click();
    std::function<void()> onClick;

protected:
    virtual void clicked() {}
    void changed();

private:
    Form& form_;
    std::string name_;
    ControlKind kind_;
    TwipRect rect_;
    bool visible_ = true;
    bool enabled_ = true;
    int tabIndex_ = -1;
};

class HotArea : public Control {
public:
    // `accessibleName` is what a screen reader calls it: the picture shows
    // its words, which no one else can read.
    HotArea(Form& form, std::string name, TwipRect rect, std::string tooltip = {},
            std::string accessibleName = {});
    const std::string& tooltip() const { return tooltip_; }
    const std::string& accessibleName() const { return accessibleName_; }

private:
    std::string tooltip_;
    std::string accessibleName_;
};

class TextLabel : public Control {
public:
    TextLabel(Form& form, std::string name, TwipRect rect, Font font = {});
    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    const Font& font() const { return font_; }

private:
    std::string caption_;
    Font font_;
};

class CommandButton : public Control {
public:
    CommandButton(Form& form, std::string name, TwipRect rect, std::string caption);
    const std::string& caption() const { return caption_; }

private:
    std::string caption_;
};

enum class CheckState { Unchecked = 0, Checked = 1, Grayed = 2 };

class CheckBox : public Control {
public:
    CheckBox(Form& form, std::string name, TwipRect rect, std::string caption, Font font = {});
    const std::string& caption() const { return caption_; }
    const Font& font() const { return font_; }
    CheckState value() const { return value_; }
    void setValue(CheckState value);

protected:
    // A click checks an unchecked or grayed box and clears a checked one.
    void clicked() override;

private:
    std::string caption_;
    Font font_;
    CheckState value_ = CheckState::Unchecked;
};

class Frame : public Control {
public:
    Frame(Form& form, std::string name, TwipRect rect, std::string caption);
    const std::string& caption() const { return caption_; }

private:
    std::string caption_;
};

class OptionButton : public Control {
public:
    // `rectInFrame` is relative to the frame; rect() is relative to the form.
    OptionButton(Form& form, std::string name, Frame& frame, TwipRect rectInFrame,
                 std::string caption, Font font = {});
    const std::string& caption() const { return caption_; }
    const Font& font() const { return font_; }
    Frame& frame() const { return frame_; }
    bool selected() const { return selected_; }
    // Selecting one option clears the others of its frame.
    void setSelected(bool selected);

protected:
    void clicked() override;

private:
    Frame& frame_;
    std::string caption_;
    Font font_;
    bool selected_ = false;
};

class ProgressBar : public Control {
public:
    ProgressBar(Form& form, std::string name, TwipRect rect, float max = 100.0f);
    float max() const { return max_; }
    float value() const { return value_; }
    // Both refuse (return false and change nothing) a value outside 0..Max
    // and a Max below the current value or not above 0.
    bool setMax(float max);
    bool setValue(float value);

private:
    float max_;
    float value_ = 0.0f;
};

// A window timer: fires onTick every interval while enabled.
class Timer {
public:
    Timer(Form& form, std::string name, std::uint32_t intervalMs, bool enabled);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    const std::string& name() const { return name_; }
    Form& form() const { return form_; }
    std::uint32_t interval() const { return interval_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    // Called by the driver at each interval; does nothing while disabled.
    void tick();
    std::function<void()> onTick;

private:
    Form& form_;
    std::string name_;
    std::uint32_t interval_;
    bool enabled_;
};

} // namespace ui
