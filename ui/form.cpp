#include "ui/form.h"

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
        native_->formChanged(FormChange::Visible);
    }
}

void Form::hide() {
    pressTarget_ = PressTarget::None;
    pressedControl_ = nullptr;
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
    } else if (pressed == PressTarget::Surface && released == nullptr && client.contains(point)) {
        onClick();
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
}

void Form::timerChanged(Timer& timer) {
    if (timersRunning_ && native_ != nullptr) {
        native_->timerChanged(timer);
    }
}

} // namespace ui
