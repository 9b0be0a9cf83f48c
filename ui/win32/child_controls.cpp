#include "ui/win32/child_controls.h"

#include "ui/form.h"
#include "ui/win32/picture_surface.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

namespace ui::win32 {

namespace {

// Child window identifiers start above the dialog manager's IDOK and
// IDCANCEL, so Enter and Escape never reach a control by its number.
constexpr int kFirstChildId = 100;

// Text labels are drawn on the picture. A hot area that can take the focus
// gets a window of its own, so that the system's focus and accessibility
// know it; the others stay windowless.
bool HasWindow(const Control& control) {
    switch (control.kind()) {
    case ControlKind::TextLabel:
        return false;
    case ControlKind::HotArea:
        return control.tabIndex() >= 0 && static_cast<bool>(control.onClick);
    default:
        return true;
    }
}

constexpr char kChildOwnerProperty[] = "TarrowChildControls";

const Frame* FrameOf(const Control* control) {
    if (control->kind() != ControlKind::OptionButton) {
        return nullptr;
    }
    return &static_cast<const OptionButton*>(control)->frame();
}

struct WindowKind {
    const char* className;
    DWORD style;
};

WindowKind KindOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::CommandButton:
        return {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP};
    case ControlKind::CheckBox:
        // Not automatic: the control decides the state and the window shows
        // it, grayed included.
        return {"BUTTON", BS_3STATE | WS_TABSTOP};
    case ControlKind::OptionButton:
        return {"BUTTON", BS_RADIOBUTTON | WS_TABSTOP};
    case ControlKind::Frame:
        return {"BUTTON", BS_GROUPBOX};
    case ControlKind::ProgressBar:
        return {PROGRESS_CLASSA, 0};
    case ControlKind::HotArea:
        // Owner-drawn, so the system draws nothing of it: the form paints
        // the picture there, and the focus over it. Screen readers take an
        // owner-drawn button for a push button.
        return {"BUTTON", BS_OWNERDRAW | WS_TABSTOP};
    case ControlKind::TextLabel:
        break;
    }
    return {"STATIC", 0};
}

std::string CaptionOf(const Control& control) {
    switch (control.kind()) {
    case ControlKind::CommandButton:
        return static_cast<const CommandButton&>(control).caption();
    case ControlKind::CheckBox:
        return static_cast<const CheckBox&>(control).caption();
    case ControlKind::OptionButton:
        return static_cast<const OptionButton&>(control).caption();
    case ControlKind::Frame:
        return static_cast<const Frame&>(control).caption();
    case ControlKind::HotArea:
        // The name a screen reader reads; an owner-drawn button shows none.
        return static_cast<const HotArea&>(control).accessibleName();
    case ControlKind::TextLabel:
    case ControlKind::ProgressBar:
        break;
    }
    return {};
}

Font FontOf(const Control& control) {
    switch (control.kind()) {
    case ControlKind::CheckBox:
        return static_cast<const CheckBox&>(control).font();
    case ControlKind::OptionButton:
        return static_cast<const OptionButton&>(control).font();
    case ControlKind::HotArea:
    case ControlKind::TextLabel:
    case ControlKind::CommandButton:
    case ControlKind::Frame:
    case ControlKind::ProgressBar:
        break;
    }
    return Font{};
}

int ToBarUnits(float value) {
    if (!(value > 0.0f)) {
        return 0;
    }
    return static_cast<int>(std::lround(std::min(value, 1.0e9f)));
}

void ShowProgress(HWND bar, const ProgressBar& progress) {
    const int max = std::max(ToBarUnits(progress.max()), 1);
    const int value = std::min(ToBarUnits(progress.value()), max);
    const int shown = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
    SendMessageA(bar, PBM_SETRANGE32, 0, max);
    if (value > shown) {
        // Newer progress bars animate a step forward, and the animation only
        // runs while messages are handled; a step back is drawn at once. The
        // programs advance the bar without handling messages, so step one
        // past the value and back.
        if (value == max) {
            SendMessageA(bar, PBM_SETRANGE32, 0, max + 1);
        }
        SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(value + 1), 0);
        if (value == max) {
            SendMessageA(bar, PBM_SETRANGE32, 0, max);
        }
    }
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

WPARAM CheckStateOf(CheckState state) {
    switch (state) {
    case CheckState::Checked:
        return BST_CHECKED;
    case CheckState::Grayed:
        return BST_INDETERMINATE;
    case CheckState::Unchecked:
        break;
    }
    return BST_UNCHECKED;
}

WPARAM CheckOf(const Control& control) {
    switch (control.kind()) {
    case ControlKind::CheckBox:
        return CheckStateOf(static_cast<const CheckBox&>(control).value());
    case ControlKind::OptionButton:
        return static_cast<const OptionButton&>(control).selected() ? BST_CHECKED : BST_UNCHECKED;
    case ControlKind::HotArea:
    case ControlKind::TextLabel:
    case ControlKind::CommandButton:
    case ControlKind::Frame:
    case ControlKind::ProgressBar:
        break;
    }
    return BST_UNCHECKED;
}

} // namespace

LRESULT CALLBACK ChildControls::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<ChildControls*>(GetPropA(window, kChildOwnerProperty));
    const Child* child = self != nullptr ? self->find(window) : nullptr;
    if (child == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    const WNDPROC original = child->original;
    const bool hotArea = child->control->kind() == ControlKind::HotArea;
    switch (message) {
    case WM_NCHITTEST:
        // The mouse goes through a hot area to the form, whose click rules
        // hold for it as for the windowless ones.
        if (hotArea) {
            return HTTRANSPARENT;
        }
        break;
    case WM_ERASEBKGND:
        if (hotArea) {
            return 1; // drawn whole on WM_DRAWITEM
        }
        break;
    case WM_SETFOCUS:
        if (self->onFocus) {
            self->onFocus(*child->control);
        }
        break;
    default:
        break;
    }
    return CallWindowProcA(original, window, message, wParam, lParam);
}

void ChildControls::create(HWND parent, const Form& form, const Dpi& dpi, FontCache& fonts) {
    std::vector<Control*> ordered;
    for (const auto& control : form.controls()) {
        if (HasWindow(*control)) {
            ordered.push_back(control.get());
        }
    }
    // Tab order; controls without a tab index come last, in the order they
    // were added.
    std::stable_sort(ordered.begin(), ordered.end(), [](const Control* a, const Control* b) {
        const bool aIndexed = a->tabIndex() >= 0;
        const bool bIndexed = b->tabIndex() >= 0;
        if (aIndexed != bIndexed) {
            return aIndexed;
        }
        return aIndexed && a->tabIndex() < b->tabIndex();
    });

    HINSTANCE instance = GetModuleHandleA(nullptr);
    const Control* previous = nullptr;
    int id = kFirstChildId;
    for (Control* control : ordered) {
        const WindowKind kind = KindOf(control->kind());
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind.style;
        if (control->visible()) {
            style |= WS_VISIBLE;
        }
        if (!control->enabled()) {
            style |= WS_DISABLED;
        }
        // Each control is a group of its own, except that the option buttons
        // of one frame that follow each other form one group, in which the
        // arrow keys move.
        const Frame* frame = FrameOf(control);
        if (frame == nullptr || FrameOf(previous) != frame) {
            style |= WS_GROUP;
        }
        const RECT rect = dpi.toPixels(control->rect());
        WindowHandle window(
            CreateWindowExA(0, kind.className, CaptionOf(*control).c_str(), style, rect.left,
                            rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr));
        ++id;
        previous = control;
        if (!window) {
            continue;
        }
        if (HFONT font = fonts.get(FontOf(*control)); font != nullptr) {
            SendMessageA(window.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
        // Every child passes through this object's procedure first, which
        // tells the form where the focus went.
        HWND raw = window.get();
        SetPropA(raw, kChildOwnerProperty, this);
        const auto original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            raw, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChildControls::Procedure)));
        children_.push_back({control, std::move(window), POINT{rect.left, rect.top}, {}, original});
        update(*control);
    }
    // A frame lies under the controls inside it, which paint themselves over
    // it. Frames take no focus, so moving them does not change the tab order.
    for (const Child& child : children_) {
        if (child.control->kind() == ControlKind::Frame) {
            SetWindowPos(child.window.get(), HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
        }
    }
}

void ChildControls::destroy() {
    // Each window gets its own procedure back before it goes, so none of
    // its last messages reaches this object half taken down.
    for (Child& child : children_) {
        SetWindowLongPtrA(child.window.get(), GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(child.original));
        RemovePropA(child.window.get(), kChildOwnerProperty);
    }
    children_.clear();
}

const ChildControls::Child* ChildControls::find(const Control& control) const {
    for (const Child& child : children_) {
        if (child.control == &control) {
            return &child;
        }
    }
    return nullptr;
}

const ChildControls::Child* ChildControls::find(HWND window) const {
    for (const Child& child : children_) {
        if (child.window.get() == window) {
            return &child;
        }
    }
    return nullptr;
}

Control* ChildControls::controlOf(HWND window) const {
    for (const Child& child : children_) {
        if (child.window.get() == window) {
            return child.control;
        }
    }
    return nullptr;
}

HWND ChildControls::windowOf(const Control& control) const {
    const Child* child = find(control);
    return child != nullptr ? child->window.get() : nullptr;
}

void ChildControls::update(const Control& control) {
    const Child* child = find(control);
    if (child == nullptr) {
        return;
    }
    HWND window = child->window.get();
    switch (control.kind()) {
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
        // For option buttons this also moves the tab stop of their group to
        // the selected one, so Tab enters the group there.
        SendMessageA(window, BM_SETCHECK, CheckOf(control), 0);
        break;
    case ControlKind::ProgressBar:
        ShowProgress(window, static_cast<const ProgressBar&>(control));
        // The programs advance the bar in long operations that do not return
        // to the message loop; draw it now.
        UpdateWindow(window);
        break;
    default:
        break;
    }
    if (IsWindowEnabled(window) != (control.enabled() ? TRUE : FALSE)) {
        EnableWindow(window, control.enabled() ? TRUE : FALSE);
    }
    const bool shown = (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != control.visible()) {
        ShowWindow(window, control.visible() ? SW_SHOWNA : SW_HIDE);
    }
}

HBRUSH ChildControls::background(HWND window, const PictureSurface& surface) {
    auto* child = const_cast<Child*>(find(window));
    if (child == nullptr || surface.empty()) {
        return nullptr;
    }
    if (!child->background) {
        const auto colour = surface.colourAt(child->origin);
        if (!colour) {
            return nullptr;
        }
        child->background.reset(CreateSolidBrush(*colour));
    }
    return child->background.get();
}

void ChildControls::clearBackgrounds() {
    for (Child& child : children_) {
        child.background.reset();
    }
}

} // namespace ui::win32
