// The kernel handles of the emulated process: what each refers to, until
// CloseHandle ends it.
#pragma once

#include "platform/emulated/handle_numbers.h"
#include "platform/emulated/open_file.h"
#include "platform/emulated/pipes.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <variant>

namespace platform::emulated {

struct TokenObject {
    std::uint32_t access = 0;
};
// A started process: the emulated ones have ended by the time their start
// returns.
struct ProcessObject {
    std::uint32_t id = 0;
    std::uint32_t exitCode = 0;
};
struct ThreadObject {
    std::uint32_t id = 0;
};
// A handle to a named mutex; the mutex lives while any handle names it.
struct MutexObject {
    std::string name;
};

using KernelObject = std::variant<TokenObject, ProcessObject, ThreadObject, PipeEnd,
                                  std::unique_ptr<OpenFile>, MutexObject>;

class KernelHandles {
public:
    explicit KernelHandles(HandleNumbers& numbers) : numbers_(numbers) {}

    Handle add(KernelObject object) {
        const Handle handle = numbers_.next();
        objects_.emplace(handle, std::move(object));
        return handle;
    }

    // The object of a handle if it is of kind T.
    template <typename T> T* find(Handle handle) {
        const auto it = objects_.find(handle);
        return it == objects_.end() ? nullptr : std::get_if<T>(&it->second);
    }

    // Whether a handle to the named mutex is open. Names are case-sensitive,
    // as Windows' object names are.
    bool mutexExists(const std::string& name) const {
        for (const auto& [handle, object] : objects_) {
            const auto* mutex = std::get_if<MutexObject>(&object);
            if (mutex != nullptr && mutex->name == name) {
                return true;
            }
        }
        return false;
    }

    bool close(Handle handle) { return objects_.erase(handle) != 0; }
    void closeAll() { objects_.clear(); }
    std::size_t count() const { return objects_.size(); }

private:
    HandleNumbers& numbers_;
    std::map<Handle, KernelObject> objects_;
};

} // namespace platform::emulated
