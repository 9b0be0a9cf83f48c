#include "ui/form.h"

#include "ui/focus_order.h"

#include <utility>

namespace ui {

Form::Form(Driver& driver, FormDesign design) : driver_(driver), design_(std::move(design)) {}

// The native window goes first: it may still look at the controls and
// timers while it is taken down, and members are destroyed after the body.
Form::~Form() {
    native_.reset();
}

void Form::load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    onInitialize();
    if (driver_.programEnded()) {
        return;
    }
    native_ = driver_.createWindow(*this);
    onLoad();
    if (driver_.programEnded()) {
        return;
    }
    timersRunning_ = true;
    if (native_ != nullptr) {
        for (const auto& timer : timers_) {
            if (timer->enabled()) {
                native_->timerChanged(*timer);
            }
        }
    }
}

void Form::show(Form* owner) {
    load();
    if (driver_.programEnded() || native_ == nullptr) {
        return;
    }
    if (owner != nullptr) {
        owner_ = owner;
    }
    if (!visible_) {
        visible_ = true;
        // A window that shows starts at its first tab stop.
        focus_ = NextTabStop(*this, nullptr, 1);
        native_->formChanged(FormChange::Visible);
    }
}

void Form::hide() {
    pressTarget_ = PressTarget::None;
    pressedControl_ = nullptr;
    pressedKey_.reset();
    keyTarget_ = nullptr;
    if (visible_) {
        visible_ = false;
        if (native_ != nullptr) {
            native_->formChanged(FormChange::Visible);
        }
    }
}

void Form::setEnabled(bool enabled) {
    if (enabled_ != enabled) {
        enabled_ = enabled;
        if (native_ != nullptr) {
            native_->formChanged(FormChange::Enabled);
        }
    }
    if (enabled) {
        // Back from a child window: the focus stays where it was, unless
        // what had it is gone meanwhile.
        focusFirstIfLost();
    }
}

void Form::setCaption(std::string caption) {
    design_.caption = std::move(caption);
    if (native_ != nullptr) {
        native_->formChanged(FormChange::Caption);
    }
}

bool Form::setPicture(const std::string& path) {
    load();
    return showPicture(driver_.loadPicture(path));
}

bool Form::setResourcePicture(int id) {
    load();
    return showPicture(driver_.loadResourcePicture(id));
}

bool Form::showPicture(std::shared_ptr<const Picture> picture) {
    if (picture == nullptr) {
        return false;
    }
    picture_ = std::move(picture);
    if (native_ != nullptr) {
        native_->formChanged(FormChange::Picture);
    }
    return true;
}

Control* Form::findControl(const std::string& name) const {
    for (const auto& control : controls_) {
        if (control->name() == name) {
            return control.get();
        }
    }
    return nullptr;
}

Timer& Form::addTimer(std::string name, std::uint32_t intervalMs, bool enabled) {
    timers_.push_back(std::make_unique<Timer>(*this, std::move(name), intervalMs, enabled));
    return *timers_.back();
}

bool Form::takesInput() const {
    return loaded_ && visible_ && enabled_ && !driver_.programEnded();
}

Control* Form::controlAt(TwipPoint point) const {
    // Later controls lie over earlier ones.
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        Control& control = **it;
        if (control.takesInput() && control.rect().contains(point)) {
            return &control;
        }
    }
    return nullptr;
}

void Form::mouseDown(TwipPoint point, MouseButton button) {
    if (!takesInput() || button != MouseButton::Left) {
        return;
    }
    pressedControl_ = controlAt(point);
    pressTarget_ = pressedControl_ != nullptr ? PressTarget::Control : PressTarget::Surface;
}

void Form::mouseUp(TwipPoint point, MouseButton button) {
    if (button != MouseButton::Left) {
        return;
    }
    const PressTarget pressed = std::exchange(pressTarget_, PressTarget::None);
    Control* pressedControl = std::exchange(pressedControl_, nullptr);
    if (!takesInput()) {
        return;
    }
    // A click is a press and a release on the same control, or both on the
    // surface: a press dragged off the window and let go outside is none.
    Control* released = controlAt(point);
    const TwipRect client{0, 0, design_.clientSize.width, design_.clientSize.height};
    if (pressed == PressTarget::Control && released == pressedControl) {
        released->click();
        handled();
    } else if (pressed == PressTarget::Surface && released == nullptr && client.contains(point)) {
        onClick();
        handled();
    }
}

void Form::mouseMove(TwipPoint point, int buttons) {
    if (!takesInput() || !design_.draggable || buttons != static_cast<int>(MouseButton::Left)) {
        return;
    }
    // A press that began on a control belongs to that control.
    const bool onSurface = pressTarget_ == PressTarget::Surface ||
                           (pressTarget_ == PressTarget::None && controlAt(point) == nullptr);
    if (!onSurface) {
        return;
    }
    pressTarget_ = PressTarget::None;
    pressedControl_ = nullptr;
    native_->beginDrag();
}

void Form::controlChanged(Control& control) {
    if (native_ != nullptr) {
        native_->controlChanged(control);
    }
    if (&control == focus_ && !TakesFocus(control)) {
        focusFirstIfLost();
    }
}

// --- The keyboard

namespace {

// Whether `key` on the focused `control` is a click on it: Space on all
// that take the focus, as in dialogs; Enter on what is pressed like a
// button.
bool PressedBy(const Control& control, Key key) {
    if (key == Key::Space) {
        return true;
    }
    return key == Key::Enter &&
           (control.kind() == ControlKind::HotArea || control.kind() == ControlKind::CommandButton);
}

} // namespace

void Form::keyDown(Key key, bool shift, bool repeat) {
    if (!takesInput()) {
        return;
    }
    switch (key) {
    case Key::Tab:
        showFocusCues();
        setFocus(NextTabStop(*this, focus_, shift ? -1 : 1));
        return;
    case Key::Left:
    case Key::Up:
    case Key::Right:
    case Key::Down: {
        showFocusCues();
        if (focus_ == nullptr || focus_->kind() != ControlKind::OptionButton) {
            return;
        }
        const int step = key == Key::Left || key == Key::Up ? -1 : 1;
        OptionButton* next = NextOption(*this, static_cast<OptionButton&>(*focus_), step);
        setFocus(next);
        next->click();
        return;
    }
    case Key::Enter:
    case Key::Space:
    case Key::Escape:
        // A repeat of a held key, or a second press without a release,
        // starts nothing new.
        if (!repeat && pressedKey_ != key) {
            pressedKey_ = key;
            keyTarget_ = focus_;
        }
        return;
    }
}

void Form::keyUp(Key key) {
    if (pressedKey_ != key) {
        return; // it went down elsewhere, or before this window showed
    }
    pressedKey_.reset();
    Control* target = std::exchange(keyTarget_, nullptr);
    if (takesInput() && target == focus_) {
        act(key);
    }
}

void Form::act(Key key) {
    if (key != Key::Escape && focus_ != nullptr && PressedBy(*focus_, key)) {
        focus_->click();
        handled();
        return;
    }
    if (key == Key::Escape && !design_.access.escapeControl.empty()) {
        if (Control* way = findControl(design_.access.escapeControl);
            way != nullptr && way->takesInput()) {
            way->click();
            handled();
        }
        return;
    }
    if (design_.access.surfaceKeys.has(key)) {
        onClick();
        handled();
    }
}

void Form::focusFromSystem(Control& control) {
    if (TakesFocus(control)) {
        setFocus(&control);
    }
}

void Form::setFocus(Control* control) {
    if (focus_ == control) {
        return;
    }
    focus_ = control;
    if (native_ != nullptr) {
        native_->formChanged(FormChange::Focus);
    }
}

void Form::showFocusCues() {
    if (!cuesShown_) {
        cuesShown_ = true;
        if (native_ != nullptr) {
            native_->formChanged(FormChange::Focus);
        }
    }
}

void Form::focusFirstIfLost() {
    if (focus_ == nullptr || !TakesFocus(*focus_)) {
        setFocus(NextTabStop(*this, nullptr, 1));
    }
}

void Form::timerChanged(Timer& timer) {
    if (timersRunning_ && native_ != nullptr) {
        native_->timerChanged(timer);
    }
}

} // namespace ui
