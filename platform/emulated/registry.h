// The registry: the trees under the predefined roots, the open key handles
// with the rights they were opened with, and the Win32 rules of the Reg* calls
// that reach keys and values. Calls return Win32 status codes.
//
// The keys directly under HKEY_LOCAL_MACHINE and HKEY_USERS are hives, each
// kept on disk as it was when last flushed, with its changes since (a
// HiveLog). HKEY_CURRENT_USER is the running
// account's hive under HKEY_USERS. An account's own hive lies in its
// profile's file while the account is not logged on, and can be loaded from
// there.
#pragma once

#include "platform/emulated/handle_numbers.h"
#include "platform/emulated/hive_log.h"
#include "platform/emulated/registry_node.h"
#include "platform/emulated/survival.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::emulated {

class Registry {
public:
    explicit Registry(HandleNumbers& numbers);

    long open(Key parent, std::string_view subKey, std::uint32_t access, Key* result);
    long create(Key parent, std::string_view subKey, std::uint32_t access, Key* result,
                std::uint32_t* disposition);
    // Strings (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are kept as wide text:
    // the A calls convert them through the code page, a character it lacks
    // reading as "?"; queryWide hands over the wide text as stored.
    long query(Key key, std::string_view valueName, std::uint32_t* type, std::uint8_t* data,
               std::uint32_t* dataSize) const;
    long queryWide(Key key, std::string_view valueName, std::uint32_t* type, std::uint8_t* data,
                   std::uint32_t* dataSize) const;
    long set(Key key, std::string_view valueName, std::uint32_t type, const std::uint8_t* data,
             std::uint32_t dataSize);
    long deleteValue(Key key, std::string_view valueName);
    long countContents(Key key, std::uint32_t* subKeys, std::uint32_t* values) const;
    // RegDeleteKeyA: the subkey goes with its values, unless it has subkeys.
    long deleteKey(Key parent, std::string_view subKey);
    // The name of the key's subkey at `index`, in the order of their
    // lower-case names.
    long enumerate(Key key, std::uint32_t index, std::string* name) const;
    // RegRestoreKeyA's change: the key holds `contents` from now on.
    long replace(Key key, RegistryNode contents);
    long close(Key key);
    // The key behind a handle, for saving and restoring it.
    long node(Key key, std::shared_ptr<RegistryNode>* result) const;
    // "HKEY_USERS\s-1-5-18\consol": where a handle points, in lower case,
    // with HKEY_CURRENT_USER named by the hive it stands for.
    std::string describe(Key key) const;

    // --- Hives
    long flush(Key key);
    // Loads the account's hive whose profile file is `file`: kErrorFileNotFound
    // when no profile has that file.
    long load(Key root, std::string_view subKey, std::string_view file);
    // Loads `content`, read from a hive file that is no profile's, as
    // root\subKey. Unloading drops it: nothing is written back to the file.
    long loadCopy(Key root, std::string_view subKey, std::string_view file, RegistryNode content);
    long unload(Key root, std::string_view subKey);
    // Whether root\name is a loaded hive.
    bool hiveLoaded(Key root, std::string_view name) const;
    // HKEY_CURRENT_USER becomes HKEY_USERS\<hive>.
    void setCurrentUserHive(std::string hive);
    const std::string& currentUserHive() const { return currentUserHive_; }
    // An account's hive, kept in `file` while it is not loaded. Logged on, it
    // is loaded under HKEY_USERS\<name>; `setup` fills it either way.
    void addProfileHive(const std::string& name, const std::string& file, bool loggedOn,
                        const std::function<void(RegistryNode&)>& setup);
    // Logging on loads an account's hive, logging off unloads it.
    bool setLoggedOn(std::string_view name, bool loggedOn);
    // Every hive as it stands is on disk.
    void settle();
    // The hives changed since their last flush, with how many changes each.
    std::vector<CutDimensions::Hive> dimensions() const;
    // Every hive, loaded or not, as a cut leaves it when the hives that
    // dimensions() names keep as many of their changes as `changes` says, in
    // the same order. Named as DiskImage::hives names them.
    std::map<std::string, std::shared_ptr<const RegistryNode>>
    survivor(const std::vector<std::size_t>& changes) const;
    // A new boot from `hives`: every handle is gone, the hives that a
    // program loaded are unloaded, and every hive holds what `hives` gives it,
    // on disk.
    void restartFrom(const std::map<std::string, std::shared_ptr<const RegistryNode>>& hives);
    // Every key of every hive, loaded or not: "HKEY_USERS\<name>\<path>" in
    // the spelling of the keys, mapped to the key's values.
    std::map<std::string, std::map<std::string, RegistryValue>> dump() const;

    // Creates root\subKey with no rules applied: how the machine is set up.
    void ensure(Key root, std::string_view subKey);
    // The same with a value in it, its bytes stored as given (a string's
    // as wide text).
    void ensureValue(Key root, std::string_view subKey, std::string_view name, std::uint32_t kind,
                     std::vector<std::uint8_t> bytes);
    void failOpen(Key root, std::string_view subKey);
    // Loading the hive file fails with kErrorSharingViolation, as for an
    // NTUSER.DAT that another process holds open.
    void failLoadOf(std::string_view file);
    void clearFaults() {
        failingOpens_.clear();
        failingWrites_.clear();
        accessLimits_.clear();
        failingLoads_.clear();
    }
    void failValueWrites(Key root, std::string_view subKey);
    void limitAccess(Key root, std::string_view subKey, std::uint32_t allowed);
    std::size_t openCount() const { return open_.size(); }
    // Open handles other than `key` to its key or to keys below it.
    std::size_t otherHandlesAtOrBelow(Key key) const;

private:
    struct OpenKey {
        std::shared_ptr<RegistryNode> node;
        Key root = 0;
        std::string path; // lower case, from the root
        std::uint32_t access = 0;
    };
    using PathOfKey = std::pair<Key, std::string>;
    enum class Loaded { No, ByLogon, ByCall };
    struct ProfileHive {
        std::string name;                     // the key it is loaded as
        std::string account;                  // whose profile it is ("" for a copy)
        std::string file;                     // as the drive keys paths: "c:\users\a\ntuser.dat"
        std::shared_ptr<RegistryNode> stored; // the hive while not loaded
        Loaded loaded = Loaded::No;
        Key root = kHkeyUsers; // where it is loaded
        bool copy = false;     // read from a file that is no profile's: dropped when unloaded
    };

    enum class Text { Ansi, Wide };
    long read(Key key, std::string_view valueName, Text text, std::uint32_t* type,
              std::uint8_t* data, std::uint32_t* dataSize) const;
    // The lower-case path by which the fault tables know root\subKey.
    PathOfKey PathOf(Key root, std::string_view subKey) const;
    // The hive that holds the key at `path` ({root, hive name}), or nothing
    // for a root itself.
    static std::optional<PathOfKey> HiveOf(const PathOfKey& path);
    ProfileHive* profileLoadedAs(Key root, const std::string& foldedName);
    const ProfileHive* profileLoadedAs(Key root, const std::string& foldedName) const;
    // How DiskImage::hives names the hive loaded at `hive`.
    std::string imageName(const PathOfKey& hive) const;
    // The key root\subKey in its hive as last flushed, or nullptr.
    RegistryNode* flushedNode(Key root, std::string_view subKey);
    // Notes a change in the hive of the key at `at` ({root, lower-case
    // path}), the change's path leading on from there.
    void record(const PathOfKey& at, HiveChange change);
    void mount(ProfileHive& profile, Key root, const std::string& name, Loaded how);
    void unmount(ProfileHive& profile);
    // Whether root\subKey may be loaded: the status that refuses it, else
    // kErrorSuccess. `file` is the lower-case path of the hive file.
    long loadable(Key root, std::string_view subKey, const std::string& file) const;
    // Forgets the copies that are no longer loaded.
    void dropUnloadedCopies();
    long resolve(Key key, OpenKey* result) const;
    // Whether an open of the key at `path` with `access` is refused.
    bool refused(const PathOfKey& path, std::uint32_t access) const;
    bool refusesNewSubkeys(const RegistryNode& node) const;
    Key add(OpenKey key);

    HandleNumbers& numbers_;
    std::map<Key, std::shared_ptr<RegistryNode>> roots_;
    std::map<Key, OpenKey> open_;
    std::set<PathOfKey> failingOpens_;
    std::set<PathOfKey> failingWrites_;
    std::map<PathOfKey, std::uint32_t> accessLimits_;
    std::set<std::string> failingLoads_; // hive files by lower-case path
    std::string currentUserHive_ = ".DEFAULT";
    // Each loaded hive as it was last flushed and its changes since, by
    // {root, lower-case name}.
    std::map<PathOfKey, HiveLog> logs_;
    std::vector<ProfileHive> profiles_;
};

} // namespace platform::emulated
