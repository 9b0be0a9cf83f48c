// A form in the spirit of classic forms: a window with a picture, a caption
// and controls, created on first use and afterwards only shown and hidden
// until the program ends.
#pragma once

#include "ui/controls.h"
#include "ui/driver.h"
#include "ui/geometry.h"

#include <memory>
#include <string>
#include <vector>

namespace ui {

enum class BorderStyle {
    None,        // no border and no title bar; the caption shows only in the taskbar
    FixedDialog, // thin dialog frame; with an empty caption no title bar either
};

enum class Placement { WindowsDefault, CenterOwner, CenterScreen };

enum class MouseButton { Left = 1, Right = 2, Middle = 4 };

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
};

} // namespace ui
