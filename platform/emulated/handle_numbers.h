// Hands out the numbers of keys, kernel handles and find handles from one
// sequence, as multiples of 4 like Windows' handles, never reused: a closed
// handle stays invalid and a handle of one kind is never valid as another.
#pragma once

#include "platform/types.h"

namespace platform::emulated {

class HandleNumbers {
public:
    Handle next() {
        last_ += 4;
        return last_;
    }

private:
    Handle last_ = 0x40;
};

} // namespace platform::emulated
