#include "ui/win32/win32_driver.h"

#include "ui/form.h"
#include "ui/win32/picture_loader.h"
#include "ui/win32/win32_window.h"

#include <commctrl.h>
#include <ole2.h>

#include <chrono>
#include <utility>

namespace ui {

namespace {

// Paints what is invalid in a window and its children (32-bit Windows calls
// this as stdcall, which a lambda cannot be).
BOOL CALLBACK PaintWhatIsDue(HWND window, LPARAM) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

void InitCommonControlClasses() {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof(init);
    // The standard classes are known from version 6 of the common controls
    // on; older versions refuse the whole call when asked for them.
    init.dwICC = ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
    if (InitCommonControlsEx(&init)) {
        return;
    }
    init.dwICC = ICC_PROGRESS_CLASS | ICC_BAR_CLASSES;
    if (InitCommonControlsEx(&init)) {
        return;
    }
    InitCommonControls();
}

} // namespace

Win32Driver::Win32Driver(platform::Platform& platform)
    : Driver(platform), oleInitialized_(SUCCEEDED(OleInitialize(nullptr))),
      dpi_(win32::Dpi::OfScreen()), fonts_(dpi_),
      annotations_(std::make_unique<win32::AccessibleAnnotations>()) {
    InitCommonControlClasses();
}

Win32Driver::~Win32Driver() {
    hiddenOwner_.reset();
    annotations_.reset();
    if (oleInitialized_) {
        OleUninitialize();
    }
}

std::unique_ptr<NativeWindow> Win32Driver::createWindow(Form& form) {
    auto window = std::make_unique<win32::Win32Window>(*this, form);
    if (!window->created()) {
        return nullptr;
    }
    return window;
}

std::shared_ptr<const Picture> Win32Driver::loadPicture(const std::string& path) {
    return win32::LoadPictureFile(path);
}

std::shared_ptr<const Picture> Win32Driver::loadResourcePicture(int id) {
    return win32::LoadPictureResource(id);
}

int Win32Driver::messageBox(const std::string& text, const std::string& title, std::uint32_t style,
                            const Form* owner) {
    // Every form's native window is one of this driver's.
    HWND ownerWindow = GetActiveWindow();
    if (owner != nullptr && owner->native() != nullptr) {
        ownerWindow = static_cast<const win32::Win32Window*>(owner->native())->hwnd();
    }
    // A key pressed before the box shows would answer it.
    dropQueuedKeys();
    return MessageBoxA(ownerWindow, text.c_str(), title.c_str(), style);
}

void Win32Driver::dropQueuedKeys() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // A quit comes through any filter once it is the only thing
            // left: it belongs to the message loop, which must still see it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
    }
}

bool Win32Driver::focusCuesAlwaysShown() const {
    BOOL always = FALSE;
    return SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &always, 0) && always;
}

PaceClock::TimePoint Win32Driver::SystemClock::now() {
    return std::chrono::steady_clock::now();
}

void Win32Driver::SystemClock::sleepFor(std::chrono::nanoseconds duration) {
    Sleep(static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(duration).count()));
}

void Win32Driver::SystemClock::yield() {
    SwitchToThread();
}

void Win32Driver::beginPacing() {
    pacer_.begin();
}

void Win32Driver::pause(std::uint32_t rounds) {
    // Operations move the bar without returning to the message loop: what
    // they changed is painted here, when a frame is due, in every window of
    // this thread (the bar, and whatever a window hidden meanwhile
    // uncovered).
    pacer_.pause(rounds, [] { EnumThreadWindows(GetCurrentThreadId(), PaintWhatIsDue, 0); });
}

int Win32Driver::run() {
    MSG message{};
    int exitCode = 0;
    for (;;) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            exitCode = static_cast<int>(message.wParam);
            break;
        }
        if (got == -1) {
            exitCode = 1;
            break;
        }
        // Tab, the arrow keys, Enter, Space and Esc go to the form, which
        // moves its focus and presses its controls as a dialog would.
        if (win32::Win32Window::HandleKey(message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (std::exception_ptr failure = takeFailure()) {
        std::rethrow_exception(failure);
    }
    return exitCode;
}

HWND Win32Driver::hiddenOwner() {
    if (!hiddenOwner_) {
        hiddenOwner_ = win32::Win32Window::CreateHiddenOwner();
    }
    return hiddenOwner_.get();
}

void Win32Driver::failed(std::exception_ptr failure) noexcept {
    if (!failure_) {
        failure_ = std::move(failure);
        PostQuitMessage(1);
    }
}

std::exception_ptr Win32Driver::takeFailure() noexcept {
    return std::exchange(failure_, nullptr);
}

} // namespace ui
