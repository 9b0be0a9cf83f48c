// The driver that shows forms as real Win32 windows: borderless or dialog
// framed windows whose face is the form's picture, with the hot areas as
// invisible click areas over it and real child windows for buttons, check
// boxes, option buttons, frames and progress bars.
#pragma once

#include "ui/driver.h"
#include "ui/pacer.h"
#include "ui/win32/accessible_annotations.h"
#include "ui/win32/dpi.h"
#include "ui/win32/font_cache.h"
#include "ui/win32/gdi_handles.h"

#include <windows.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

namespace ui {

class Win32Driver final : public Driver {
public:
    // Initialises OLE and the common controls for the calling thread, which
    // becomes the window thread, and reads the screen's DPI.
    explicit Win32Driver(platform::Platform& platform);
    ~Win32Driver() override;
    Win32Driver(const Win32Driver&) = delete;
    Win32Driver& operator=(const Win32Driver&) = delete;

    std::unique_ptr<NativeWindow> createWindow(Form& form) override;
    std::shared_ptr<const Picture> loadPicture(const std::string& path) override;
    std::shared_ptr<const Picture> loadResourcePicture(int id) override;
    int messageBox(const std::string& text, const std::string& title, std::uint32_t style,
                   const Form* owner = nullptr) override;
    void beginPacing() override;
    void pause(std::uint32_t rounds) override;
    void dropQueuedKeys() override;
    bool focusCuesAlwaysShown() const override;
    // Runs the message loop until WM_QUIT and returns its exit code. An
    // exception that escaped a form's event is thrown again from here.
    int run() override;

    // --- For the windows of this driver
    const win32::Dpi& dpi() const { return dpi_; }
    win32::FontCache& fonts() { return fonts_; }
    const win32::AccessibleAnnotations& annotations() const { return *annotations_; }
    // A hidden window that owns the forms kept out of the taskbar.
    HWND hiddenOwner();
    // Called by a window procedure when an event threw: the exception is
    // kept, and the message loop ends so that run() can throw it again.
    void failed(std::exception_ptr failure) noexcept;
    // The first exception kept by failed(), taken out.
    std::exception_ptr takeFailure() noexcept;

private:
    // The system's clock, sleep and yield.
    class SystemClock final : public PaceClock {
    public:
        TimePoint now() override;
        void sleepFor(std::chrono::nanoseconds duration) override;
        void yield() override;
    };

    bool oleInitialized_ = false;
    SystemClock clock_;
    Pacer pacer_{clock_};
    win32::Dpi dpi_;
    win32::FontCache fonts_;
    // Made once OLE is ready, and let go before OLE ends.
    std::unique_ptr<win32::AccessibleAnnotations> annotations_;
    win32::WindowHandle hiddenOwner_;
    std::exception_ptr failure_;
};

} // namespace ui
