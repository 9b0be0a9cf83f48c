// What a form needs from the system that draws it. The Win32 driver makes
// real windows; the headless driver keeps everything in memory so tests can
// click, fire timers and answer message boxes.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ui {

class Control;
class Form;
class Timer;

// A picture loaded by a driver; forms only hold it and show it.
class Picture {
public:
    virtual ~Picture() = default;
    virtual const std::string& path() const = 0;
};

// Focus: the focused control or whether focus cues show changed.
enum class FormChange { Visible, Enabled, Picture, Caption, Focus };

// The native side of one form, made when the form loads.
class NativeWindow {
public:
    virtual ~NativeWindow() = default;
    virtual void formChanged(FormChange what) = 0;
    virtual void controlChanged(Control& control) = 0;
    virtual void timerChanged(Timer& timer) = 0;
    // Hands the window to the system to be moved with the mouse, as a press
    // on a title bar would.
    virtual void beginDrag() = 0;
};

class Driver {
public:
    // The program runs on `platform`: its end is the platform's process end,
    // the one way out that the platform, the windows and tests all see.
    explicit Driver(platform::Platform& platform) : platform_(platform) {}
    virtual ~Driver() = default;
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;
    platform::Platform& platform() const { return platform_; }

    virtual std::unique_ptr<NativeWindow> createWindow(Form& form) = 0;
    // The picture at `path` (file name case does not matter), or nullptr.
    virtual std::shared_ptr<const Picture> loadPicture(const std::string& path) = 0;
    // The picture stored in the running executable's resources under `id`
    // (raw data: a JPEG, GIF or BMP file), or nullptr.
    virtual std::shared_ptr<const Picture> loadResourcePicture(int id) = 0;
    // A modal message box; `style` is the classic MessageBox style number
    // (buttons + icon + default button). Returns the classic answer number.
    // A box with an owner keeps that window from taking input while it
    // shows; without one it belongs to the active window, if any.
    virtual int messageBox(const std::string& text, const std::string& title, std::uint32_t style,
                           const Form* owner = nullptr) = 0;
    // An operation that paces a progress bar begins: its pauses are planned
    // from now (see ui/pacer.h).
    virtual void beginPacing() {}
    // Paces a progress bar: returns when the pauses planned since the
    // operation began, PauseLength(rounds) (ui/pacing.h) each, have passed;
    // the window thread does nothing else meanwhile but paint what is due.
    virtual void pause(std::uint32_t rounds) = 0;
    // Ends the program at once, with all its windows: ExitProcess, which on
    // Windows does not return.
    void endProgram(std::uint32_t exitCode = 0) { platform_.ExitProcess(exitCode); }
    // Whether the process was told to end (only ever true where ExitProcess
    // returns: on the emulated machine). Windows take no input then, and
    // start-up goes no further.
    bool programEnded() const { return platform_.exitRequested(); }
    // Throws away the keys typed but not yet handled: called after a handler
    // that input ran, and before a message box shows, so that keys pressed
    // while an operation ran neither start another nor answer the box.
    virtual void dropQueuedKeys() {}
    // Whether the system asks for focus cues at all times, not only once the
    // keyboard was used (SPI_GETKEYBOARDCUES).
    virtual bool focusCuesAlwaysShown() const { return false; }
    // Runs the message loop until the program ends; returns the exit code.
    virtual int run() = 0;

private:
    platform::Platform& platform_;
};

// Message box style numbers and answers.
namespace mb {
inline constexpr std::uint32_t kOkOnly = 0;
inline constexpr std::uint32_t kRetryCancel = 5;
inline constexpr std::uint32_t kCritical = 16;
inline constexpr std::uint32_t kExclamation = 48;
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kRetry = 4;
} // namespace mb

} // namespace ui
