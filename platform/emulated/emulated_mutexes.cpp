// Named mutexes: one object per name, alive while any handle names it.
// Nobody waits on them here; their existence is what callers look at.
#include "platform/emulated/emulated_platform.h"

#include "platform/emulated/emulated_state.h"

namespace platform {

Handle EmulatedPlatform::CreateMutexA(const SecurityAttributes* /*security*/, bool /*initialOwner*/,
                                      const std::string& name) {
    if (state_->powerOff()) {
        return 0;
    }
    const bool existed = !name.empty() && state_->kernel.mutexExists(name);
    const Handle handle = state_->kernel.add(emulated::MutexObject{name});
    if (!existed) {
        state_->journal.record("CreateMutexA", name);
    }
    // Windows sets the last error on success too: it tells whether the
    // mutex was there before.
    state_->lastError = existed ? kErrorAlreadyExists : kErrorSuccess;
    return handle;
}

Handle EmulatedPlatform::OpenMutexA(std::uint32_t /*access*/, bool /*inheritHandle*/,
                                    const std::string& name) {
    if (name.empty() || !state_->kernel.mutexExists(name)) {
        state_->fail(kErrorFileNotFound);
        return 0;
    }
    return state_->kernel.add(emulated::MutexObject{name});
}

} // namespace platform
