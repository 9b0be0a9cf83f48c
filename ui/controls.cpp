#include "ui/controls.h"

#include "ui/form.h"

#include <utility>

namespace ui {

Control::Control(Form& form, std::string name, ControlKind kind, TwipRect rect)
    : form_(form), name_(std::move(name)), kind_(kind), rect_(rect) {}

void Control::setVisible(bool visible) {
    if (visible_ != visible) {
        visible_ = visible;
        changed();
    }
}

void Control::setEnabled(bool enabled) {
    if (enabled_ != enabled) {
        enabled_ = enabled;
        changed();
    }
}

void Control::click() {
    if (!takesInput()) {
        return;
    }
    clicked();
    if (onClick) {
        onClick();
    }
}

void Control::changed() {
    form_.controlChanged(*this);
}

HotArea::HotArea(Form& form, std::string name, TwipRect rect, std::string tooltip,
                 std::string accessibleName)
    : Control(form, std::move(name), ControlKind::HotArea, rect), tooltip_(std::move(tooltip)),
      accessibleName_(std::move(accessibleName)) {}

TextLabel::TextLabel(Form& form, std::string name, TwipRect rect, Font font)
    : Control(form, std::move(name), ControlKind::TextLabel, rect), font_(std::move(font)) {}

void TextLabel::setCaption(std::string caption) {
    if (caption_ != caption) {
        caption_ = std::move(caption);
        changed();
    }
}

CommandButton::CommandButton(Form& form, std::string name, TwipRect rect, std::string caption)
    : Control(form, std::move(name), ControlKind::CommandButton, rect),
      caption_(std::move(caption)) {}

CheckBox::CheckBox(Form& form, std::string name, TwipRect rect, std::string caption, Font font)
    : Control(form, std::move(name), ControlKind::CheckBox, rect), caption_(std::move(caption)),
      font_(std::move(font)) {}

void CheckBox::setValue(CheckState value) {
    if (value_ != value) {
        value_ = value;
        changed();
    }
}

void CheckBox::clicked() {
    setValue(value_ == CheckState::Checked ? CheckState::Unchecked : CheckState::Checked);
}

Frame::Frame(Form& form, std::string name, TwipRect rect, std::string caption)
    : Control(form, std::move(name), ControlKind::Frame, rect), caption_(std::move(caption)) {}

namespace {
TwipRect InFrame(const Frame& frame, TwipRect rect) {
    return {frame.rect().left + rect.left, frame.rect().top + rect.top, rect.width, rect.height};
}
} // namespace

OptionButton::OptionButton(Form& form, std::string name, Frame& frame, TwipRect rectInFrame,
                           std::string caption, Font font)
    : Control(form, std::move(name), ControlKind::OptionButton, InFrame(frame, rectInFrame)),
      frame_(frame), caption_(std::move(caption)), font_(std::move(font)) {}

void OptionButton::setSelected(bool selected) {
    if (selected) {
        for (const auto& control : form().controls()) {
            if (control->kind() != ControlKind::OptionButton || control.get() == this) {
                continue;
            }
            auto& sibling = static_cast<OptionButton&>(*control);
            if (&sibling.frame() == &frame_ && sibling.selected_) {
                sibling.selected_ = false;
                sibling.changed();
            }
        }
    }
    if (selected_ != selected) {
        selected_ = selected;
        changed();
    }
}

void OptionButton::clicked() {
    setSelected(true);
}

ProgressBar::ProgressBar(Form& form, std::string name, TwipRect rect, float max)
    : Control(form, std::move(name), ControlKind::ProgressBar, rect), max_(max) {}

bool ProgressBar::setMax(float max) {
    if (!(max > 0.0f) || max < value_) {
        return false;
    }
    if (max_ != max) {
        max_ = max;
        changed();
    }
    return true;
}

bool ProgressBar::setValue(float value) {
    if (!(value >= 0.0f) || value > max_) {
        return false;
    }
    if (value_ != value) {
        value_ = value;
        changed();
    }
    return true;
}

Timer::Timer(Form& form, std::string name, std::uint32_t intervalMs, bool enabled)
    : form_(form), name_(std::move(name)), interval_(intervalMs), enabled_(enabled) {}

void Timer::setEnabled(bool enabled) {
    if (enabled_ != enabled) {
        enabled_ = enabled;
        form_.timerChanged(*this);
    }
}

void Timer::tick() {
    if (enabled_ && onTick) {
        onTick();
    }
}

} // namespace ui
