#include "ui/focus_order.h"

#include "ui/form.h"

#include <algorithm>
#include <cstddef>

namespace ui {

bool TakesFocus(const Control& control) {
    if (!control.takesInput() || control.tabIndex() < 0) {
        return false;
    }
    switch (control.kind()) {
    case ControlKind::HotArea:
        return static_cast<bool>(control.onClick);
    case ControlKind::CommandButton:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
        return true;
    case ControlKind::TextLabel:
    case ControlKind::Frame:
    case ControlKind::ProgressBar:
        break;
    }
    return false;
}

std::vector<Control*> TabOrder(const Form& form) {
    std::vector<Control*> order;
    for (const auto& control : form.controls()) {
        if (TakesFocus(*control)) {
            order.push_back(control.get());
        }
    }
    std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
        return a->tabIndex() < b->tabIndex();
    });
    return order;
}

namespace {

template <typename T> T* Step(const std::vector<T*>& ring, const Control* from, int step) {
    if (ring.empty()) {
        return nullptr;
    }
    const auto size = static_cast<std::ptrdiff_t>(ring.size());
    const auto at = std::find(ring.begin(), ring.end(), from);
    if (at == ring.end()) {
        return step >= 0 ? ring.front() : ring.back();
    }
    const std::ptrdiff_t index = ((at - ring.begin() + step) % size + size) % size;
    return ring[static_cast<std::size_t>(index)];
}

} // namespace

Control* NextTabStop(const Form& form, const Control* from, int step) {
    return Step(TabOrder(form), from, step);
}

OptionButton* NextOption(const Form& form, const OptionButton& from, int step) {
    std::vector<OptionButton*> group;
    for (Control* control : TabOrder(form)) {
        if (control->kind() == ControlKind::OptionButton) {
            auto* option = static_cast<OptionButton*>(control);
            if (&option->frame() == &from.frame()) {
                group.push_back(option);
            }
        }
    }
    OptionButton* next = Step(group, &from, step);
    return next != nullptr ? next : const_cast<OptionButton*>(&from);
}

} // namespace ui
