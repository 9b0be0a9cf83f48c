// Form1, the intro window: a picture with one hot area that leads to the
// main window.
#pragma once

#include "ui/form.h"

namespace tarrow {

class TarrowApp;

class IntroForm final : public ui::Form {
public:
    explicit IntroForm(TarrowApp& app);

    ui::HotArea& Label1;

protected:
    void onLoad() override;

private:
    TarrowApp& app_;
};

} // namespace tarrow
