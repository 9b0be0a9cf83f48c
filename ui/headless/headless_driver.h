// A driver without a screen: forms keep all their state in memory, pictures
// are looked up on the platform's file system, and tests act as the user:
// they click, drag, fire timers and answer message boxes.
#pragma once

#include "platform/platform.h"
#include "ui/driver.h"
#include "ui/form.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace ui {

class HeadlessDriver final : public Driver {
public:
    explicit HeadlessDriver(platform::Platform& platform);

    std::unique_ptr<NativeWindow> createWindow(Form& form) override;
    std::shared_ptr<const Picture> loadPicture(const std::string& path) override;
    // Only the resources the test said the executable carries.
    std::shared_ptr<const Picture> loadResourcePicture(int id) override;
    int messageBox(const std::string& text, const std::string& title, std::uint32_t style,
                   const Form* owner = nullptr) override;
    void pause(std::uint32_t rounds) override;
    void dropQueuedKeys() override { queuedKeys_.clear(); }
    bool focusCuesAlwaysShown() const override { return focusCuesAlways_; }
    int run() override { return 0; }

    // --- The machine under test
    // The system's setting that shows focus cues at all times.
    void setFocusCuesAlwaysShown(bool always) { focusCuesAlways_ = always; }
    // Runs at each pause of an operation's progress bar: the user acting
    // while the operation runs.
    std::function<void()> onPause;

    // --- The executable under test: a picture resource it carries.
    void addPictureResource(int id) { resources_.push_back(id); }

    // --- Acting as the user
    // Presses and releases the left button at the middle of the control.
    void click(const Control& control);
    void clickAt(Form& form, TwipPoint point, MouseButton button = MouseButton::Left);
    // Presses `buttons` at the point and moves; true when the window was
    // handed to the system to be dragged.
    bool drag(Form& form, TwipPoint point, int buttons);
    // The form that takes the keyboard: the one shown last that is still
    // visible and enabled, or nullptr.
    Form* activeForm() const;
    // Presses and releases `key` on the active form. A key typed while a
    // handler of earlier input runs waits, as in a message queue, and is
    // handled once that input is, unless the program drops it meanwhile.
    void type(Key key, bool shift = false);
    // Holds `key` down for `repeats` repeats of the keyboard, then releases it.
    void hold(Key key, int repeats);

    // Fires the timer once, as its interval passing would.
    void fireTimer(Timer& timer);
    // Fires every running timer of every loaded form, one interval at a
    // time, until none runs or `maxIntervals` passed. Returns the intervals.
    int runTimers(int maxIntervals);

    // Answers for the next message boxes, in order; when none is queued a box
    // is answered with its first button. While a box is open, every running
    // timer ticks once, as under a real box's message loop.
    void queueAnswer(int answer) { answers_.push_back(answer); }
    struct ShownMessage {
        std::string text;
        std::string title;
        std::uint32_t style;
        int answer;
        const Form* owner;
    };
    const std::vector<ShownMessage>& messages() const { return messages_; }

    // --- Looking on
    const std::vector<Form*>& createdForms() const { return forms_; }
    int dragCount(const Form& form) const;
    std::uint64_t pausedRounds() const { return pausedRounds_; }
    int pauseCount() const { return pauseCount_; }

private:
    struct Keystroke {
        Key key;
        bool shift;
        int repeats;
    };
    // Handles the queued keystrokes in order, unless earlier input is being
    // handled: they then wait for it.
    void handleQueuedKeys();

    std::vector<Form*> forms_;
    std::vector<Form*> shownOrder_; // last shown last
    std::deque<Keystroke> queuedKeys_;
    bool handlingInput_ = false;
    bool focusCuesAlways_ = false;
    std::vector<int> resources_;
    std::vector<const Form*> drags_;
    std::deque<int> answers_;
    std::vector<ShownMessage> messages_;
    std::uint64_t pausedRounds_ = 0;
    int pauseCount_ = 0;
    bool inMessageBox_ = false;
};

} // namespace ui
