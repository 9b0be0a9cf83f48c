// Form1, the intro window: a picture with one hot area that leads on.
#pragma once

#include "ui/form.h"

#include <functional>

namespace tarrow {

class IntroForm final : public ui::Form {
public:
    explicit IntroForm(ui::Driver& driver);

    ui::HotArea& Label1;

    // Label1 was clicked: the intro has hidden itself (it stays loaded).
    std::function<void()> onStart;

protected:
    void onLoad() override;
};

} // namespace tarrow
