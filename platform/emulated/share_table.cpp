#include "platform/emulated/share_table.h"

#include <utility>

namespace platform::emulated {

namespace {

// Whether an open with `access` is refused by an existing open's sharing.
bool Conflicts(std::uint32_t access, std::uint32_t share) {
    return ((access & ShareTable::kRead) != 0 && (share & ShareTable::kShareRead) == 0) ||
           ((access & ShareTable::kWrite) != 0 && (share & ShareTable::kShareWrite) == 0) ||
           ((access & ShareTable::kDelete) != 0 && (share & ShareTable::kShareDelete) == 0);
}

} // namespace

ShareTable::Lease::~Lease() {
    if (table_ != nullptr) {
        table_->uses_.erase(id_);
    }
}

ShareTable::Lease::Lease(Lease&& other) noexcept
    : table_(std::exchange(other.table_, nullptr)), id_(other.id_) {}

ShareTable::Lease& ShareTable::Lease::operator=(Lease&& other) noexcept {
    if (this != &other) {
        if (table_ != nullptr) {
            table_->uses_.erase(id_);
        }
        table_ = std::exchange(other.table_, nullptr);
        id_ = other.id_;
    }
    return *this;
}

bool ShareTable::allows(const std::string& key, std::uint32_t access, std::uint32_t share) const {
    for (const auto& [id, use] : uses_) {
        if (use.key == key && (Conflicts(access, use.share) || Conflicts(use.access, share))) {
            return false;
        }
    }
    return true;
}

bool ShareTable::inUse(const std::string& key) const {
    for (const auto& [id, use] : uses_) {
        if (use.key == key) {
            return true;
        }
    }
    return false;
}

ShareTable::Lease ShareTable::take(const std::string& key, std::uint32_t access,
                                   std::uint32_t share) {
    const std::uint64_t id = next_++;
    uses_.emplace(id, Use{key, access, share});
    return Lease(this, id);
}

} // namespace platform::emulated
