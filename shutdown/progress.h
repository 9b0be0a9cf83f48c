// What the shutdown operations show their progress on: a bar with a value, a
// maximum and a visibility, and the pause that paces it. A window adapts its
// progress bar to this; tests and measurements use one in memory.
#pragma once

#include <cstdint>

namespace tarrow::shutdown {

// Pauses are counted in rounds of an empty counting loop; how long a round
// lasts is the pacer's business. These are the three lengths in use.
inline constexpr std::uint32_t kShortPause = 100'000;
inline constexpr std::uint32_t kPause = 1'000'000;
inline constexpr std::uint32_t kLongPause = 10'000'000;

class Progress {
public:
    virtual ~Progress() = default;
    virtual float value() const = 0;
    // Refuses (returns false and changes nothing) a value below 0 or beyond
    // the maximum.
    virtual bool setValue(float value) = 0;
    virtual float max() const = 0;
    // Refuses a maximum not above 0 or below the current value.
    virtual bool setMax(float max) = 0;
    virtual bool visible() const = 0;
    virtual void setVisible(bool visible) = 0;
    // Paces the bar; the window thread does nothing else meanwhile.
    virtual void pause(std::uint32_t rounds) = 0;
};

// Adds `amount` to the bar's value. A step that would go beyond the maximum
// is skipped, and the bar stays where it was.
inline void Advance(Progress& progress, float amount = 1.0f) {
    progress.setValue(progress.value() + amount);
}

// `count` times: one step forward, then a pause.
inline void StepsThenPauses(Progress& progress, int count, std::uint32_t rounds) {
    for (int step = 0; step < count; ++step) {
        Advance(progress);
        progress.pause(rounds);
    }
}

// Back to 0, hidden: how every operation leaves the bar.
inline void ResetAndHide(Progress& progress) {
    progress.setValue(0.0f);
    progress.setVisible(false);
}

// A bar held in memory that does not pace at all: for running an operation
// without a window, and for looking at what it did to the bar.
class MemoryProgress final : public Progress {
public:
    explicit MemoryProgress(float max = 100.0f) : max_(max) {}

    float value() const override { return value_; }
    bool setValue(float value) override {
        if (!(value >= 0.0f) || value > max_) {
            return false;
        }
        value_ = value;
        highest_ = value > highest_ ? value : highest_;
        return true;
    }
    float max() const override { return max_; }
    bool setMax(float max) override {
        if (!(max > 0.0f) || max < value_) {
            return false;
        }
        max_ = max;
        return true;
    }
    bool visible() const override { return visible_; }
    void setVisible(bool visible) override { visible_ = visible; }
    void pause(std::uint32_t rounds) override {
        pausedRounds_ += rounds;
        ++pauses_;
    }

    // The highest value the bar reached, and the pauses it was paced with.
    float highest() const { return highest_; }
    std::uint64_t pausedRounds() const { return pausedRounds_; }
    int pauses() const { return pauses_; }

private:
    float max_;
    float value_ = 0.0f;
    float highest_ = 0.0f;
    bool visible_ = false;
    std::uint64_t pausedRounds_ = 0;
    int pauses_ = 0;
};

} // namespace tarrow::shutdown
