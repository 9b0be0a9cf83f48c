// A window's progress bar as the shutdown operations see it: the bar's
// value, maximum and visibility, paced by the window driver's pause. One is
// made for each operation, which begins its pacing.
#pragma once

#include "shutdown/progress.h"
#include "ui/controls.h"
#include "ui/driver.h"

namespace tarrow::shell {

class BarProgress final : public shutdown::Progress {
public:
    BarProgress(ui::ProgressBar& bar, ui::Driver& driver) : bar_(bar), driver_(driver) {
        driver_.beginPacing();
    }

    float value() const override { return bar_.value(); }
    bool setValue(float value) override { return bar_.setValue(value); }
    float max() const override { return bar_.max(); }
    bool setMax(float max) override { return bar_.setMax(max); }
    bool visible() const override { return bar_.visible(); }
    void setVisible(bool visible) override { bar_.setVisible(visible); }
    void pause(std::uint32_t rounds) override { driver_.pause(rounds); }

private:
    ui::ProgressBar& bar_;
    ui::Driver& driver_;
};

} // namespace tarrow::shell
