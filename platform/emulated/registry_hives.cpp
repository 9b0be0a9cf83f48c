// The registry's hives: flushing them, loading and unloading an account's
// hive, the changes made to each since its last flush, and what of them
// survives a power cut.
#include "platform/emulated/errors.h"
#include "platform/emulated/registry.h"
#include "platform/emulated/text.h"
#include "platform/emulated/windows_path.h"

#include <vector>
#include <utility>

namespace platform::emulated {

namespace {

// A file path as the profile table knows it: "c:\users\a\ntuser.dat".
std::string FileKey(std::string_view file) {
    const auto names = ParseDrivePath(file);
    return names ? PathKey(*names) : FoldCase(file);
}

void Dump(const RegistryNode& node, const std::string& path,
          std::map<std::string, std::map<std::string, RegistryValue>>& out) {
    out[path] = node.values;
    for (const auto& [name, child] : node.subkeys) {
        Dump(*child, path + '\\' + name, out);
    }
}

} // namespace

std::optional<Registry::PathOfKey> Registry::HiveOf(const PathOfKey& path) {
    if ((path.first != kHkeyLocalMachine && path.first != kHkeyUsers) || path.second.empty()) {
        return std::nullopt;
    }
    return PathOfKey{path.first, path.second.substr(0, path.second.find('\\'))};
}

long Registry::flush(Key key) {
    OpenKey open;
    if (const long status = resolve(key, &open); status != kErrorSuccess) {
        return status;
    }
    const RegistryNode& root = *roots_.at(open.root);
    if (open.path.empty()) {
        // A root flushes every hive below it.
        if (open.root == kHkeyLocalMachine || open.root == kHkeyUsers) {
            for (const auto& [name, hive] : root.subkeys) {
                logs_.insert_or_assign({open.root, name}, HiveLog(DeepCopy(*hive)));
            }
        }
        return kErrorSuccess;
    }
    if (const auto hive = HiveOf({open.root, open.path})) {
        logs_.insert_or_assign(*hive, HiveLog(DeepCopy(*root.subkeys.at(hive->second))));
    }
    return kErrorSuccess;
}

Registry::ProfileHive* Registry::profileLoadedAs(Key root, const std::string& foldedName) {
    return const_cast<ProfileHive*>(std::as_const(*this).profileLoadedAs(root, foldedName));
}

const Registry::ProfileHive* Registry::profileLoadedAs(Key root,
                                                       const std::string& foldedName) const {
    for (const ProfileHive& profile : profiles_) {
        if (profile.loaded != Loaded::No && profile.root == root &&
            FoldCase(profile.name) == foldedName) {
            return &profile;
        }
    }
    return nullptr;
}

std::string Registry::imageName(const PathOfKey& hive) const {
    if (const ProfileHive* profile = profileLoadedAs(hive.first, hive.second)) {
        return profile->file;
    }
    return FoldCase(roots_.at(hive.first)->name) + '\\' + hive.second;
}

void Registry::mount(ProfileHive& profile, Key root, const std::string& name, Loaded how) {
    profile.stored->name = name;
    const std::string folded = FoldCase(name);
    roots_.at(root)->subkeys[folded] = std::move(profile.stored);
    profile.root = root;
    profile.name = name;
    profile.loaded = how;
    logs_.insert_or_assign({root, folded}, HiveLog(DeepCopy(*roots_.at(root)->subkeys.at(folded))));
}

void Registry::unmount(ProfileHive& profile) {
    // Unloading writes the hive back to its file.
    const std::string folded = FoldCase(profile.name);
    auto& hives = roots_.at(profile.root)->subkeys;
    profile.stored = std::move(hives.at(folded));
    hives.erase(folded);
    logs_.erase({profile.root, folded});
    profile.loaded = Loaded::No;
}

long Registry::loadable(Key root, std::string_view subKey, const std::string& file) const {
    if ((root != kHkeyUsers && root != kHkeyLocalMachine) || subKey.empty() ||
        subKey.find('\\') != std::string_view::npos) {
        return kErrorInvalidParameter;
    }
    if (roots_.at(root)->child(subKey) != nullptr) {
        return kErrorAccessDenied;
    }
    if (failingLoads_.count(file) != 0) {
        return kErrorSharingViolation;
    }
    // A hive that is loaded already holds its file open.
    for (const ProfileHive& profile : profiles_) {
        if (profile.file == file && profile.loaded != Loaded::No) {
            return kErrorSharingViolation;
        }
    }
    return kErrorSuccess;
}

long Registry::load(Key root, std::string_view subKey, std::string_view file) {
    const std::string wanted = FileKey(file);
    if (const long status = loadable(root, subKey, wanted); status != kErrorSuccess) {
        return status;
    }
    for (ProfileHive& profile : profiles_) {
        if (profile.file == wanted && !profile.copy) {
            mount(profile, root, std::string(subKey), Loaded::ByCall);
            return kErrorSuccess;
        }
    }
    return kErrorFileNotFound;
}

long Registry::loadCopy(Key root, std::string_view subKey, std::string_view file,
                        RegistryNode content) {
    const std::string wanted = FileKey(file);
    if (const long status = loadable(root, subKey, wanted); status != kErrorSuccess) {
        return status;
    }
    ProfileHive hive;
    hive.file = wanted;
    hive.copy = true;
    hive.stored = std::make_shared<RegistryNode>(std::move(content));
    profiles_.push_back(std::move(hive));
    mount(profiles_.back(), root, std::string(subKey), Loaded::ByCall);
    return kErrorSuccess;
}

bool Registry::hiveLoaded(Key root, std::string_view name) const {
    return roots_.at(root)->child(name) != nullptr;
}

void Registry::failLoadOf(std::string_view file) {
    failingLoads_.insert(FileKey(file));
}

void Registry::dropUnloadedCopies() {
    std::erase_if(profiles_, [](const ProfileHive& profile) {
        return profile.copy && profile.loaded == Loaded::No;
    });
}

long Registry::unload(Key root, std::string_view subKey) {
    const std::string folded = FoldCase(subKey);
    ProfileHive* profile = profileLoadedAs(root, folded);
    if (profile == nullptr) {
        // The machine's own hives cannot be unloaded.
        return roots_.at(root)->child(subKey) != nullptr ? kErrorAccessDenied : kErrorFileNotFound;
    }
    for (const auto& [handle, open] : open_) {
        if (open.root == root && (open.path == folded || open.path.rfind(folded + '\\', 0) == 0)) {
            return kErrorAccessDenied;
        }
    }
    unmount(*profile);
    dropUnloadedCopies();
    return kErrorSuccess;
}

void Registry::setCurrentUserHive(std::string hive) {
    currentUserHive_ = std::move(hive);
}

void Registry::addProfileHive(const std::string& name, const std::string& file, bool loggedOn,
                              const std::function<void(RegistryNode&)>& setup) {
    ProfileHive profile;
    profile.name = name;
    profile.account = name;
    profile.file = FileKey(file);
    profile.stored = std::make_shared<RegistryNode>(name);
    setup(*profile.stored);
    profiles_.push_back(std::move(profile));
    if (loggedOn) {
        mount(profiles_.back(), kHkeyUsers, name, Loaded::ByLogon);
    }
}

bool Registry::setLoggedOn(std::string_view name, bool loggedOn) {
    for (ProfileHive& profile : profiles_) {
        if (profile.copy || !EqualsNoCase(profile.account, name)) {
            continue;
        }
        if (loggedOn && profile.loaded == Loaded::No) {
            mount(profile, kHkeyUsers, profile.account, Loaded::ByLogon);
        } else if (!loggedOn && profile.loaded != Loaded::No) {
            unmount(profile);
        }
        return true;
    }
    return false;
}

void Registry::settle() {
    logs_.clear();
    for (const Key root : {kHkeyLocalMachine, kHkeyUsers}) {
        for (const auto& [name, hive] : roots_.at(root)->subkeys) {
            logs_.insert_or_assign({root, name}, HiveLog(DeepCopy(*hive)));
        }
    }
}

std::vector<CutDimensions::Hive> Registry::dimensions() const {
    std::vector<CutDimensions::Hive> hives;
    for (const auto& [hive, log] : logs_) {
        if (log.changes() != 0) {
            hives.push_back(
                {FoldCase(roots_.at(hive.first)->name) + '\\' + hive.second, log.changes()});
        }
    }
    return hives;
}

std::map<std::string, std::shared_ptr<const RegistryNode>>
Registry::survivor(const std::vector<std::size_t>& changes) const {
    // How many changes each changed hive keeps, taken in dimensions()' order.
    std::map<PathOfKey, std::size_t> kept;
    for (const auto& [hive, log] : logs_) {
        if (log.changes() != 0) {
            const std::size_t next = kept.size();
            kept[hive] = next < changes.size() ? changes[next] : log.changes();
        }
    }
    std::map<std::string, std::shared_ptr<const RegistryNode>> hives;
    for (const Key root : {kHkeyLocalMachine, kHkeyUsers}) {
        for (const auto& [name, hive] : roots_.at(root)->subkeys) {
            const auto log = logs_.find({root, name});
            const auto keeps = kept.find({root, name});
            hives.emplace(imageName({root, name}),
                          log == logs_.end()
                              ? std::make_shared<const RegistryNode>(DeepCopy(*hive))
                              : log->second.replayed(keeps == kept.end() ? 0 : keeps->second));
        }
    }
    for (const ProfileHive& profile : profiles_) {
        if (profile.loaded == Loaded::No) {
            hives.emplace(profile.file,
                          std::make_shared<const RegistryNode>(DeepCopy(*profile.stored)));
        }
    }
    return hives;
}

void Registry::restartFrom(
    const std::map<std::string, std::shared_ptr<const RegistryNode>>& hives) {
    open_.clear();
    // What a program loaded went with it; the accounts logged on again.
    for (ProfileHive& profile : profiles_) {
        if (profile.loaded == Loaded::ByCall) {
            unmount(profile);
        }
    }
    dropUnloadedCopies();
    for (const Key root : {kHkeyLocalMachine, kHkeyUsers}) {
        for (const auto& [name, hive] : roots_.at(root)->subkeys) {
            if (const auto kept = hives.find(imageName({root, name})); kept != hives.end()) {
                ReplaceContents(*hive, DeepCopy(*kept->second));
            }
        }
    }
    for (ProfileHive& profile : profiles_) {
        const auto kept = hives.find(profile.file);
        if (profile.loaded == Loaded::No && kept != hives.end()) {
            profile.stored = std::make_shared<RegistryNode>(DeepCopy(*kept->second));
            profile.stored->name = profile.name;
        }
    }
    settle();
}

std::map<std::string, std::map<std::string, RegistryValue>> Registry::dump() const {
    std::map<std::string, std::map<std::string, RegistryValue>> out;
    for (const Key root : {kHkeyLocalMachine, kHkeyUsers}) {
        const RegistryNode& node = *roots_.at(root);
        for (const auto& [name, hive] : node.subkeys) {
            Dump(*hive, FoldCase(node.name) + '\\' + name, out);
        }
    }
    for (const ProfileHive& profile : profiles_) {
        if (profile.loaded == Loaded::No) {
            Dump(*profile.stored, "hkey_users\\" + FoldCase(profile.account), out);
        }
    }
    return out;
}

} // namespace platform::emulated
