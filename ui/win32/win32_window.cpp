#include "ui/win32/win32_window.h"

#include "ui/form.h"
#include "ui/win32/focus_frame.h"
#include "ui/win32/picture_loader.h"
#include "ui/win32/placement.h"
#include "ui/win32/win32_driver.h"

#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

namespace ui::win32 {

namespace {

constexpr char kFormClassName[] = "TarrowForm";

struct WindowStyle {
    DWORD style;
    DWORD exStyle;
};

WindowStyle StyleOf(const FormDesign& design) {
    WindowStyle result{WS_POPUP | WS_CLIPSIBLINGS, 0};
    if (design.border == BorderStyle::FixedDialog) {
        result.style |= WS_DLGFRAME;
        result.exStyle |= WS_EX_DLGMODALFRAME;
        // Only a caption brings a title bar, and with it the control box.
        if (!design.caption.empty()) {
            result.style |= WS_CAPTION | WS_SYSMENU;
        }
    }
    if (design.showInTaskbar) {
        result.exStyle |= WS_EX_APPWINDOW;
    }
    return result;
}

MouseButton ButtonOf(UINT message) {
    switch (message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return MouseButton::Right;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        return MouseButton::Middle;
    default:
        return MouseButton::Left;
    }
}

int ButtonsOf(WPARAM keys) {
    int buttons = 0;
    if ((keys & MK_LBUTTON) != 0) {
        buttons |= static_cast<int>(MouseButton::Left);
    }
    if ((keys & MK_RBUTTON) != 0) {
        buttons |= static_cast<int>(MouseButton::Right);
    }
    if ((keys & MK_MBUTTON) != 0) {
        buttons |= static_cast<int>(MouseButton::Middle);
    }
    return buttons;
}

POINT PointOf(LPARAM lParam) {
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

std::optional<Key> KeyOf(WPARAM virtualKey) {
    switch (virtualKey) {
    case VK_TAB:
        return Key::Tab;
    case VK_RETURN:
        return Key::Enter;
    case VK_SPACE:
        return Key::Space;
    case VK_ESCAPE:
        return Key::Escape;
    case VK_LEFT:
        return Key::Left;
    case VK_RIGHT:
        return Key::Right;
    case VK_UP:
        return Key::Up;
    case VK_DOWN:
        return Key::Down;
    default:
        return std::nullopt;
    }
}

// --- The window class

ATOM FormClass(WNDPROC procedure) {
    static const ATOM atom = [procedure] {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground =
            reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        // The program's icon (resource 1) for the taskbar and Alt+Tab, where
        // it has one; shared icons belong to the system and are never freed.
        windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
        if (windowClass.hIcon == nullptr) {
            windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        }
        windowClass.hIconSm = static_cast<HICON>(
            LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                       GetSystemMetrics(SM_CYSMICON), LR_SHARED));
        windowClass.lpszClassName = kFormClassName;
        return RegisterClassExA(&windowClass);
    }();
    return atom;
}

} // namespace

bool Win32Window::IsFormWindow(HWND window) {
    const ATOM atom = FormClass(&Win32Window::Procedure);
    return atom != 0 && GetClassLongA(window, GCW_ATOM) == atom;
}

bool Win32Window::HandleKey(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_KEYUP) {
        return false;
    }
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (root == nullptr || !IsFormWindow(root) || !KeyOf(message.wParam)) {
        return false;
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(root, GWLP_USERDATA));
    if (self == nullptr) {
        return false;
    }
    try {
        self->key(message.message, message.wParam, message.lParam);
    } catch (...) {
        self->driver_.failed(std::current_exception());
    }
    return true;
}

WindowHandle Win32Window::CreateHiddenOwner() {
    if (FormClass(&Win32Window::Procedure) == 0) {
        return {};
    }
    return WindowHandle(CreateWindowExA(0, kFormClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                        nullptr, GetModuleHandleA(nullptr), nullptr));
}

// --- Making and ending the window

Win32Window::Win32Window(Win32Driver& driver, Form& form) : driver_(driver), form_(form) {
    if (FormClass(&Win32Window::Procedure) == 0) {
        return;
    }
    const FormDesign& design = form.design();
    const WindowStyle style = StyleOf(design);
    const SIZE client = driver.dpi().toPixels(design.clientSize);
    RECT frame{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&frame, style.style, FALSE, style.exStyle);
    HWND owner = design.showInTaskbar ? nullptr : driver.hiddenOwner();
    window_.reset(CreateWindowExA(style.exStyle, kFormClassName, design.caption.c_str(),
                                  style.style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, owner,
                                  nullptr, GetModuleHandleA(nullptr), this));
    if (!window_) {
        return;
    }
    children_.onFocus = [this](Control& control) { form_.focusFromSystem(control); };
    children_.create(hwnd_, form, driver.dpi(), driver.fonts());
    tips_.create(hwnd_, form, driver.dpi());
    driver.annotations().annotateForm(hwnd_, design);
    for (const auto& control : form.controls()) {
        if (HWND child = children_.windowOf(*control);
            child != nullptr && control->kind() == ControlKind::HotArea) {
            driver.annotations().annotateHotArea(child);
        }
    }
    // Focus cues start hidden, as in a dialog opened with the mouse, unless
    // the system always shows them; the form says when the keyboard is used.
    if (!form.focusCuesShown()) {
        SendMessageA(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL),
                     0);
    }
    rebuildSurface();
}

Win32Window::~Win32Window() {
    if (!window_) {
        return;
    }
    // From here on the procedure no longer reaches the form: the part of it
    // that a derived form added is gone already.
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    for (UINT_PTR id = 1; id <= lastTimerId_; ++id) {
        KillTimer(hwnd_, id);
    }
    if (GetCapture() == hwnd_) {
        ReleaseCapture();
    }
    tips_.destroy();
    for (const auto& control : form_.controls()) {
        if (HWND child = children_.windowOf(*control); child != nullptr) {
            driver_.annotations().forget(child);
        }
    }
    driver_.annotations().forget(hwnd_);
    children_.destroy();
    window_.reset();
}

HWND Win32Window::childOf(const Control& control) const {
    return children_.windowOf(control);
}

// --- Changes of the model

void Win32Window::formChanged(FormChange what) {
    switch (what) {
    case FormChange::Visible:
        if (form_.visible()) {
            show();
        } else {
            if (GetCapture() == hwnd_) {
                ReleaseCapture();
            }
            ShowWindow(hwnd_, SW_HIDE);
        }
        break;
    case FormChange::Enabled:
        EnableWindow(hwnd_, form_.enabled() ? TRUE : FALSE);
        // A child that hid while this window was still disabled left the
        // program without an active window, and the keyboard without a
        // place to go: this window takes it back, as an owner does when
        // its dialog ends.
        if (form_.enabled() && form_.visible() && GetActiveWindow() == nullptr) {
            SetForegroundWindow(hwnd_);
        }
        break;
    case FormChange::Picture:
        rebuildSurface();
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        break;
    case FormChange::Caption:
        SetWindowTextA(hwnd_, form_.caption().c_str());
        break;
    case FormChange::Focus:
        showFocus();
        break;
    }
}

void Win32Window::showFocus() {
    if (form_.focusCuesShown()) {
        // Real controls draw their own focus once the window says so; Wine
        // answers WM_QUERYUISTATE with 0 whatever was sent, and the form
        // keeps the state itself.
        SendMessageA(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    }
    if (GetActiveWindow() == hwnd_) {
        const Control* focus = form_.focus();
        HWND child = focus != nullptr ? children_.windowOf(*focus) : nullptr;
        HWND target = child != nullptr ? child : hwnd_;
        if (GetFocus() != target) {
            // A button that gets the focus may tell of a click (an option
            // button does, under some systems): the focus moving is none.
            settingFocus_ = true;
            SetFocus(target);
            settingFocus_ = false;
        }
    }
    const Control* framed = form_.focusCuesShown() ? form_.focus() : nullptr;
    if (framed != nullptr && framed->kind() != ControlKind::HotArea) {
        framed = nullptr; // real controls draw their own
    }
    if (framed != framed_) {
        const Control* previous = std::exchange(framed_, framed);
        redrawHotArea(previous);
        redrawHotArea(framed_);
    }
}

void Win32Window::redrawHotArea(const Control* control) {
    if (control == nullptr) {
        return;
    }
    const RECT rect = driver_.dpi().toPixels(control->rect());
    RedrawWindow(hwnd_, &rect, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void Win32Window::show() {
    if (!placed_) {
        placed_ = true;
        HWND owner = nullptr;
        if (Form* ownerForm = form_.owner(); ownerForm != nullptr && ownerForm->loaded()) {
            // Every form of this driver has a window of this driver.
            if (const NativeWindow* ownerWindow = ownerForm->native()) {
                owner = static_cast<const Win32Window*>(ownerWindow)->hwnd();
            }
        }
        PlaceWindow(hwnd_, form_.design().placement, owner);
    }
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    // The form put the focus on its first tab stop.
    showFocus();
    UpdateWindow(hwnd_);
}

void Win32Window::controlChanged(Control& control) {
    if (control.kind() == ControlKind::HotArea) {
        tips_.update(static_cast<const HotArea&>(control));
        // Hot areas draw nothing but the focus: the picture stays as it was.
        children_.update(control);
        showFocus();
        return;
    }
    if (children_.has(control)) {
        // A bar that an operation moves is painted by the driver's pacing.
        children_.update(control);
        return;
    }
    const RECT rect = driver_.dpi().toPixels(control.rect());
    InvalidateRect(hwnd_, &rect, TRUE);
    // A label that reports progress changes in a long operation that does not
    // return to the message loop; draw it now.
    UpdateWindow(hwnd_);
}

void Win32Window::startTimer(const Timer& timer, UINT_PTR id) {
    SetTimer(hwnd_, id, timer.interval(), nullptr);
    lastTimerId_ = std::max(lastTimerId_, id);
}

void Win32Window::timerChanged(Timer& timer) {
    const auto& timers = form_.timers();
    for (std::size_t i = 0; i < timers.size(); ++i) {
        if (timers[i].get() != &timer) {
            continue;
        }
        if (timer.enabled()) {
            startTimer(timer, i + 1);
        } else {
            KillTimer(hwnd_, i + 1);
        }
    }
}

void Win32Window::beginDrag() {
    ReleaseCapture();
    SendMessageA(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

// --- The window procedure

LRESULT CALLBACK Win32Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (auto* self = static_cast<Win32Window*>(create->lpCreateParams); self != nullptr) {
            self->hwnd_ = hwnd;
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    // Nothing may be thrown through the system's code that called us.
    try {
        return self->handle(message, wParam, lParam);
    } catch (...) {
        self->driver_.failed(std::current_exception());
        return 0;
    }
}

LRESULT Win32Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        if (!surface_.empty()) {
            return 1; // WM_PAINT covers everything with the picture
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return controlBackground(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                                 message, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        mouseButton(message, lParam);
        return 0;
    case WM_MOUSEMOVE:
        mouseMove(wParam, lParam);
        return 0;
    case WM_COMMAND:
        command(wParam, lParam);
        return 0;
    case WM_DRAWITEM:
        // The hot areas' windows: the form's own painting shows the picture
        // and the focus there.
        return TRUE;
    case WM_TIMER: {
        const auto& timers = form_.timers();
        if (wParam >= 1 && wParam <= timers.size()) {
            timers[wParam - 1]->tick();
        }
        return 0;
    }
    case WM_ACTIVATE:
        // The form keeps its focus across deactivation, as dialogs do; the
        // system's focus follows it when the window is active again.
        if (LOWORD(wParam) != WA_INACTIVE) {
            showFocus();
            return 0;
        }
        break;
    case WM_CLOSE:
        // Forms are shown and hidden by the program only; Alt+F4 closes none.
        return 0;
    default:
        break;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

// --- Painting

void Win32Window::rebuildSurface() {
    // The driver loaded the form's picture: it is one of its own.
    auto picture = std::static_pointer_cast<const Win32Picture>(form_.picture());
    children_.clearBackgrounds();
    if (picture == nullptr) {
        // A window made before its picture is set needs no device context.
        surface_.rebuild(nullptr, nullptr, {});
        return;
    }
    RECT client{};
    GetClientRect(hwnd_, &client);
    WindowDc screen(hwnd_);
    surface_.rebuild(std::move(picture), screen.get(), {client.right, client.bottom});
}

void Win32Window::paint() {
    PaintDc paint(hwnd_);
    HDC dc = paint.get();
    if (surface_.empty()) {
        FillRect(dc, &paint.area(), GetSysColorBrush(COLOR_BTNFACE));
    } else {
        surface_.paint(dc, paint.area());
    }
    drawTextLabels(dc, paint.area());
    drawFocus(dc, paint.area());
}

void Win32Window::drawFocus(HDC dc, const RECT& area) {
    if (framed_ == nullptr || !framed_->visible()) {
        return;
    }
    const RECT rect = driver_.dpi().toPixels(framed_->rect());
    RECT overlap{};
    if (IntersectRect(&overlap, &rect, &area)) {
        DrawFocusFrame(dc, rect, driver_.dpi());
    }
}

void Win32Window::drawTextLabels(HDC dc, const RECT& area) {
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    for (const auto& control : form_.controls()) {
        if (control->kind() != ControlKind::TextLabel) {
            continue;
        }
        const auto* label = static_cast<const TextLabel*>(control.get());
        if (!label->visible() || label->caption().empty()) {
            continue;
        }
        RECT rect = driver_.dpi().toPixels(label->rect());
        RECT overlap{};
        if (!IntersectRect(&overlap, &rect, &area)) {
            continue;
        }
        HFONT font = driver_.fonts().get(label->font());
        Selection selected(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
        SetTextColor(dc, GetSysColor(label->enabled() ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        DrawTextA(dc, label->caption().c_str(), static_cast<int>(label->caption().size()), &rect,
                  DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    }
    SetBkMode(dc, oldMode);
}

LRESULT Win32Window::controlBackground(HDC dc, HWND child, UINT message, WPARAM wParam,
                                       LPARAM lParam) {
    HBRUSH brush = children_.background(child, surface_);
    if (brush == nullptr) {
        return DefWindowProcA(hwnd_, message, wParam, lParam);
    }
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(brush);
}

// --- Input

void Win32Window::mouseButton(UINT message, LPARAM lParam) {
    const POINT pixel = PointOf(lParam);
    const TwipPoint point = driver_.dpi().toTwips(pixel);
    const MouseButton button = ButtonOf(message);
    const bool down =
        message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
    if (down) {
        lastPress_ = pixel;
        if (button == MouseButton::Left) {
            SetCapture(hwnd_);
        }
        form_.mouseDown(point, button);
        return;
    }
    if (button == MouseButton::Left && GetCapture() == hwnd_) {
        ReleaseCapture();
    }
    form_.mouseUp(point, button);
}

void Win32Window::mouseMove(WPARAM wParam, LPARAM lParam) {
    const POINT pixel = PointOf(lParam);
    if (lastPress_ && lastPress_->x == pixel.x && lastPress_->y == pixel.y) {
        return;
    }
    form_.mouseMove(driver_.dpi().toTwips(pixel), ButtonsOf(wParam));
}

void Win32Window::command(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) != BN_CLICKED || lParam == 0 || settingFocus_ || !form_.takesInput()) {
        return;
    }
    // A click with the mouse on a real control, or a press by an
    // accessibility tool (BM_CLICK) on any child.
    if (Control* control = children_.controlOf(reinterpret_cast<HWND>(lParam))) {
        control->click();
        driver_.dropQueuedKeys();
    }
}

void Win32Window::key(UINT message, WPARAM wParam, LPARAM lParam) {
    const std::optional<Key> pressed = KeyOf(wParam);
    if (!pressed) {
        return;
    }
    if (message == WM_KEYDOWN) {
        // Bit 30: the key was down before, so this is the keyboard's repeat.
        const bool repeat = (lParam & (1L << 30)) != 0;
        form_.keyDown(*pressed, GetKeyState(VK_SHIFT) < 0, repeat);
    } else {
        form_.keyUp(*pressed);
    }
}

} // namespace ui::win32
