// Where the keyboard focus can rest on a form, and where Tab, Shift+Tab and
// the arrow keys take it from there.
#pragma once

#include <vector>

namespace ui {

class Control;
class Form;
class OptionButton;

// A visible, enabled control with a tab index that acts: a hot area with a
// click handler, a command button, a check box or an option button. Frames,
// labels, bars and hot areas without an action never take the focus.
bool TakesFocus(const Control& control);

// The controls that take the focus, by tab index (ties in the order they
// were added).
std::vector<Control*> TabOrder(const Form& form);

// The tab stop `step` places after `from` (negative: before), wrapping at
// either end; the first (or, backwards, the last) when `from` is none of
// them. Nullptr when the form has no tab stop.
Control* NextTabStop(const Form& form, const Control* from, int step);

// The option button of `from`'s frame `step` places after it in tab order,
// wrapping, among those that take the focus; `from` itself when it is alone.
OptionButton* NextOption(const Form& form, const OptionButton& from, int step);

} // namespace ui
