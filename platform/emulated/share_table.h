// Who has which file open, with what access and what sharing: the rule by which
// Windows refuses a second open, a copy or a delete with a sharing violation.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace platform::emulated {

class ShareTable {
public:
    // Access to a file's data, as reduced from Win32 access masks.
    static constexpr std::uint32_t kRead = 1;
    static constexpr std::uint32_t kWrite = 2;
    static constexpr std::uint32_t kDelete = 4;
    // Share flags, as FILE_SHARE_READ, FILE_SHARE_WRITE and FILE_SHARE_DELETE.
    static constexpr std::uint32_t kShareRead = 1;
    static constexpr std::uint32_t kShareWrite = 2;
    static constexpr std::uint32_t kShareDelete = 4;

    // One open of a file; it ends when the lease is destroyed.
    class Lease {
    public:
        Lease() = default;
        Lease(ShareTable* table, std::uint64_t id) : table_(table), id_(id) {}
        ~Lease();
        Lease(Lease&& other) noexcept;
        Lease& operator=(Lease&& other) noexcept;
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

    private:
        ShareTable* table_ = nullptr;
        std::uint64_t id_ = 0;
    };

    ShareTable() = default;
    ShareTable(const ShareTable&) = delete;
    ShareTable& operator=(const ShareTable&) = delete;

    // Whether `key` can be opened with `access` and `share` beside its opens.
    bool allows(const std::string& key, std::uint32_t access, std::uint32_t share) const;
    // Whether any open of `key` is left.
    bool inUse(const std::string& key) const;
    // Records an open; the table must outlive the lease.
    Lease take(const std::string& key, std::uint32_t access, std::uint32_t share);

private:
    struct Use {
        std::string key;
        std::uint32_t access = 0;
        std::uint32_t share = 0;
    };

    std::map<std::uint64_t, Use> uses_;
    std::uint64_t next_ = 1;
};

} // namespace platform::emulated
