#include "ui/headless/headless_driver.h"

#include "platform/files.h"

#include <algorithm>
#include <utility>

namespace ui {

namespace {

class HeadlessPicture final : public Picture {
public:
    explicit HeadlessPicture(std::string path) : path_(std::move(path)) {}
    const std::string& path() const override { return path_; }

private:
    std::string path_;
};

class HeadlessWindow final : public NativeWindow {
public:
    HeadlessWindow(Form& form, std::vector<const Form*>& drags, std::function<void(Form&)> shown)
        : form_(form), drags_(drags), shown_(std::move(shown)) {}
    void formChanged(FormChange what) override {
        if (what == FormChange::Visible && form_.visible()) {
            shown_(form_);
        }
    }
    void controlChanged(Control&) override {}
    void timerChanged(Timer&) override {}
    void beginDrag() override { drags_.push_back(&form_); }

private:
    Form& form_;
    std::vector<const Form*>& drags_;
    std::function<void(Form&)> shown_;
};

// What a picture loader accepts: JPEG, GIF and BMP files by their first bytes.
bool LooksLikeAPicture(const std::string& content) {
    const auto starts = [&](std::string_view magic) {
        return content.compare(0, magic.size(), magic) == 0;
    };
    return starts("\xFF\xD8\xFF") || starts("GIF8") || starts("BM");
}

int FirstButton(std::uint32_t style) {
    switch (style & 0xFu) {
    case 2:
        return 3; // Abort
    case 3:
    case 4:
        return 6; // Yes
    case 5:
        return mb::kRetry;
    default:
        return mb::kOk;
    }
}

} // namespace

HeadlessDriver::HeadlessDriver(platform::Platform& platform) : Driver(platform) {}

std::unique_ptr<NativeWindow> HeadlessDriver::createWindow(Form& form) {
    forms_.push_back(&form);
    return std::make_unique<HeadlessWindow>(form, drags_, [this](Form& shown) {
        std::erase(shownOrder_, &shown);
        shownOrder_.push_back(&shown);
    });
}

std::shared_ptr<const Picture> HeadlessDriver::loadPicture(const std::string& path) {
    const auto content = platform::ReadWholeFile(platform(), path);
    if (!content || !LooksLikeAPicture(*content)) {
        return nullptr;
    }
    return std::make_shared<HeadlessPicture>(path);
}

std::shared_ptr<const Picture> HeadlessDriver::loadResourcePicture(int id) {
    if (std::find(resources_.begin(), resources_.end(), id) == resources_.end()) {
        return nullptr;
    }
    return std::make_shared<HeadlessPicture>("resource " + std::to_string(id));
}

int HeadlessDriver::messageBox(const std::string& text, const std::string& title,
                               std::uint32_t style, const Form* owner) {
    dropQueuedKeys();
    int answer = FirstButton(style);
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    messages_.push_back({text, title, style, answer, owner});
    // A real box runs its own message loop, which goes on dispatching the
    // timers of the program's windows while it waits: one interval passes.
    // A box opened from such a tick does not tick again.
    if (!inMessageBox_) {
        inMessageBox_ = true;
        runTimers(1);
        inMessageBox_ = false;
    }
    return answer;
}

void HeadlessDriver::pause(std::uint32_t rounds) {
    pausedRounds_ += rounds;
    ++pauseCount_;
    if (onPause) {
        onPause();
    }
}

void HeadlessDriver::click(const Control& control) {
    clickAt(control.form(), control.rect().center());
}

void HeadlessDriver::clickAt(Form& form, TwipPoint point, MouseButton button) {
    // Keys typed while the click is handled wait for it.
    const bool outermost = !std::exchange(handlingInput_, true);
    form.mouseDown(point, button);
    form.mouseUp(point, button);
    if (outermost) {
        handlingInput_ = false;
        handleQueuedKeys();
    }
}

Form* HeadlessDriver::activeForm() const {
    for (auto it = shownOrder_.rbegin(); it != shownOrder_.rend(); ++it) {
        if ((*it)->takesInput()) {
            return *it;
        }
    }
    return nullptr;
}

void HeadlessDriver::type(Key key, bool shift) {
    queuedKeys_.push_back({key, shift, 0});
    handleQueuedKeys();
}

void HeadlessDriver::hold(Key key, int repeats) {
    queuedKeys_.push_back({key, false, repeats});
    handleQueuedKeys();
}

void HeadlessDriver::handleQueuedKeys() {
    if (std::exchange(handlingInput_, true)) {
        return; // the keystroke waits for the input being handled
    }
    // The message loop: each keystroke in turn goes to the window that is
    // active when it is taken from the queue.
    while (!queuedKeys_.empty() && !programEnded()) {
        const Keystroke next = queuedKeys_.front();
        queuedKeys_.pop_front();
        Form* form = activeForm();
        if (form == nullptr) {
            continue;
        }
        form->keyDown(next.key, next.shift, false);
        for (int repeat = 0; repeat < next.repeats; ++repeat) {
            form->keyDown(next.key, next.shift, true);
        }
        // The release goes to whichever window is active by then.
        if (Form* releasedOn = activeForm(); releasedOn != nullptr) {
            releasedOn->keyUp(next.key);
        }
    }
    handlingInput_ = false;
}

bool HeadlessDriver::drag(Form& form, TwipPoint point, int buttons) {
    const int before = dragCount(form);
    if ((buttons & static_cast<int>(MouseButton::Left)) != 0) {
        form.mouseDown(point, MouseButton::Left);
    }
    form.mouseMove({point.x + 30, point.y + 30}, buttons);
    if ((buttons & static_cast<int>(MouseButton::Left)) != 0) {
        form.mouseUp({point.x + 30, point.y + 30}, MouseButton::Left);
    }
    return dragCount(form) > before;
}

void HeadlessDriver::fireTimer(Timer& timer) {
    if (!programEnded() && timer.form().timersRunning()) {
        timer.tick();
    }
}

int HeadlessDriver::runTimers(int maxIntervals) {
    int intervals = 0;
    while (intervals < maxIntervals && !programEnded()) {
        std::vector<Timer*> running;
        for (Form* form : forms_) {
            for (const auto& timer : form->timers()) {
                if (form->timersRunning() && timer->enabled()) {
                    running.push_back(timer.get());
                }
            }
        }
        if (running.empty()) {
            break;
        }
        for (Timer* timer : running) {
            fireTimer(*timer);
        }
        ++intervals;
    }
    return intervals;
}

int HeadlessDriver::dragCount(const Form& form) const {
    return static_cast<int>(std::count(drags_.begin(), drags_.end(), &form));
}

} // namespace ui
