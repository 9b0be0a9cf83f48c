// A form in the spirit of classic forms: a window with a picture, a caption
// and controls, created on first use and afterwards only shown and hidden
// until the program ends.
#pragma once

#include "ui/controls.h"
#include "ui/driver.h"
#include "ui/geometry.h"
#include "ui/keys.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {

enum class BorderStyle {
    None,        // no border and no title bar; the caption shows only in the taskbar
    FixedDialog, // thin dialog frame; with an empty caption no title bar either
};

enum class Placement { WindowsDefault, CenterOwner, CenterScreen };

enum class MouseButton { Left = 1, Right = 2, Middle = 4 };

// What a screen reader says of a window, and what the keys do on it beyond
// its tab stops.
struct FormAccess {
    // For a window without a caption, which is otherwise named by it.
    std::string name = {};
    // The words its picture shows, which a screen reader cannot see.
    std::string description = {};
    // Keys that act as a click on the surface, outside any control.
    KeySet surfaceKeys = {};
    // The control whose click Esc is, if any.
    std::string escapeControl = {};
};

struct FormDesign {
    std::string name;
    std::string caption;
    BorderStyle border = BorderStyle::None;
    TwipSize clientSize;
    Placement placement = Placement::WindowsDefault;
    bool showInTaskbar = true;
    // A move with only the left button held, on the surface outside the
    // controls, drags the window.
    bool draggable = false;
    FormAccess access = {};
};

class Form {
public:
    Form(Driver& driver, FormDesign design);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const FormDesign& design() const { return design_; }
    const std::string& name() const { return design_.name; }
    Driver& driver() const { return driver_; }

    // Loads the form once: its initialization, then its native window, then
    // its load handler. Later calls do nothing.
    void load();
    // Loads the form if needed and makes it visible. `owner` is the window
    // it is centred on when its placement asks for that.
    void show(Form* owner = nullptr);
    void hide();
    bool loaded() const { return loaded_; }
    // Enabled timers run from the end of the load handler on, so that a
    // message box shown while loading cannot run them early.
    bool timersRunning() const { return timersRunning_; }
    bool visible() const { return visible_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    Form* owner() const { return owner_; }

    const std::string& caption() const { return design_.caption; }
    void setCaption(std::string caption);
    // Loads the form if needed. False, and the picture unchanged, when the
    // file cannot be loaded.
    bool setPicture(const std::string& path);
    // The same with a picture stored in the executable.
    bool setResourcePicture(int id);
    const std::shared_ptr<const Picture>& picture() const { return picture_; }

    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    const std::vector<std::unique_ptr<Timer>>& timers() const { return timers_; }
    Control* findControl(const std::string& name) const;

    // Mouse input from the driver, in twips of the client area. Hidden forms,
    // disabled forms and an ended program take none.
    void mouseDown(TwipPoint point, MouseButton button);
    void mouseUp(TwipPoint point, MouseButton button);
    // `buttons` is the set of buttons held (MouseButton values or'ed).
    void mouseMove(TwipPoint point, int buttons);
    // The topmost control at the point that takes input, or nullptr.
    Control* controlAt(TwipPoint point) const;
    bool takesInput() const;

    // Keyboard input from the driver, for the window or any of its
    // controls. Tab and Shift+Tab move the focus through the tab stops,
    // wrapping at either end; the arrows move it among the option buttons
    // of a frame and select the one it reaches. Enter and Space on the
    // focused control, and Esc, act on the key's release, once per press: a
    // held key repeats no action. Hidden forms, disabled forms and an ended
    // program take none.
    void keyDown(Key key, bool shift, bool repeat);
    void keyUp(Key key);
    // The control with the keyboard focus, or nullptr. It is the first tab
    // stop whenever the form shows, and again when the one that had it can
    // no longer take it.
    Control* focus() const { return focus_; }
    // Whether the focus is drawn: hidden until the keyboard moves it in this
    // window, unless the system always shows focus cues.
    bool focusCuesShown() const { return cuesShown_ || driver_.focusCuesAlwaysShown(); }
    // The system gave `control` the focus (a click on a real control, or an
    // accessibility tool); the form follows without telling the driver back.
    void focusFromSystem(Control& control);

    // For controls and timers: their state changed.
    void controlChanged(Control& control);
    void timerChanged(Timer& timer);
    NativeWindow* native() const { return native_.get(); }

protected:
    template <typename T, typename... Args> T& add(Args&&... args) {
        auto control = std::make_unique<T>(*this, std::forward<Args>(args)...);
        T& added = *control;
        controls_.push_back(std::move(control));
        return added;
    }
    Timer& addTimer(std::string name, std::uint32_t intervalMs, bool enabled);

    // Runs once, before the native window exists.
    virtual void onInitialize() {}
    // Runs once, after the native window exists and before the form is shown.
    virtual void onLoad() {}
    // A click on the surface outside any control.
    virtual void onClick() {}

private:
    // Keeps and shows a loaded picture; false, and the picture unchanged,
    // for none.
    bool showPicture(std::shared_ptr<const Picture> picture);

    Driver& driver_;
    FormDesign design_;
    std::unique_ptr<NativeWindow> native_;
    std::shared_ptr<const Picture> picture_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<std::unique_ptr<Timer>> timers_;
    Form* owner_ = nullptr;
    bool loaded_ = false;
    bool timersRunning_ = false;
    bool visible_ = false;
    bool enabled_ = true;
    // What the left button went down on: a control, the surface, or nothing.
    enum class PressTarget { None, Surface, Control };
    PressTarget pressTarget_ = PressTarget::None;
    Control* pressedControl_ = nullptr;

    // Moves the focus, and tells the native window.
    void setFocus(Control* control);
    void showFocusCues();
    void focusFirstIfLost();
    // Runs what the released `key` does: the focused control's click, or
    // the window's way out.
    void act(Key key);
    // After a handler that input ran: keys typed meanwhile waited in the
    // queue and would act on what the handler changed.
    void handled() { driver_.dropQueuedKeys(); }

    Control* focus_ = nullptr;
    bool cuesShown_ = false;
    // The Enter, Space or Esc that went down, and the focus it went down on.
    std::optional<Key> pressedKey_;
    Control* keyTarget_ = nullptr;
};

} // namespace ui
