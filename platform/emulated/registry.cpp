#include "platform/emulated/registry.h"

#include "platform/emulated/code_page.h"
#include "platform/emulated/errors.h"
#include "platform/emulated/text.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace platform::emulated {

namespace {

constexpr std::uint32_t kGenericRead = 0x80000000u;
constexpr std::uint32_t kGenericWrite = 0x40000000u;
constexpr std::uint32_t kGenericExecute = 0x20000000u;
constexpr std::uint32_t kGenericAll = 0x10000000u;
constexpr std::uint32_t kMaximumAllowed = 0x02000000u;
constexpr std::uint32_t kSpecificAndStandardRights = 0x00FFFFFFu;

// The key rights that an access mask grants, generic rights mapped as Windows
// maps them for keys.
std::uint32_t GrantedAccess(std::uint32_t requested) {
    std::uint32_t granted = requested & kSpecificAndStandardRights;
    if ((requested & (kGenericRead | kGenericExecute)) != 0) {
        granted |= kKeyRead;
    }
    if ((requested & kGenericWrite) != 0) {
        granted |= kKeyWrite;
    }
    if ((requested & (kGenericAll | kMaximumAllowed)) != 0) {
        granted |= kKeyAllAccess;
    }
    return granted;
}

// The names of a relative key path. A leading backslash or an empty name in
// the middle is a bad path; one trailing backslash is tolerated.
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path) {
    std::vector<std::string> names;
    if (path.empty()) {
        return names;
    }
    if (path.front() == '\\') {
        return std::nullopt;
    }
    if (path.back() == '\\') {
        path.remove_suffix(1);
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t end = path.find('\\', start);
        const std::string_view name = path.substr(start, end - start);
        if (name.empty()) {
            return std::nullopt;
        }
        names.emplace_back(name);
        if (end == std::string_view::npos) {
            return names;
        }
        start = end + 1;
    }
}

std::string JoinFolded(std::string path, const std::vector<std::string>& names) {
    for (const auto& name : names) {
        if (!path.empty()) {
            path += '\\';
        }
        path += FoldCase(name);
    }
    return path;
}

bool IsStringKind(std::uint32_t kind) {
    return kind == kRegSz || kind == kRegExpandSz || kind == kRegMultiSz;
}

// A value's bytes as the A calls see them: strings, kept as wide text,
// converted to the code page; other kinds as stored.
std::vector<std::uint8_t> AnsiView(const RegistryValue& value) {
    if (!IsStringKind(value.kind)) {
        return value.bytes;
    }
    const std::string ansi = AnsiFromWide(WideOfBytes(value.bytes));
    return std::vector<std::uint8_t>(ansi.begin(), ansi.end());
}

} // namespace

Registry::Registry(HandleNumbers& numbers) : numbers_(numbers) {
    roots_[kHkeyClassesRoot] = std::make_shared<RegistryNode>("HKEY_CLASSES_ROOT");
    roots_[kHkeyLocalMachine] = std::make_shared<RegistryNode>("HKEY_LOCAL_MACHINE");
    roots_[kHkeyUsers] = std::make_shared<RegistryNode>("HKEY_USERS");
    roots_[kHkeyUsers]->childOrNew(currentUserHive_);
}

long Registry::resolve(Key key, OpenKey* result) const {
    if (key == kHkeyCurrentUser) {
        const auto& hives = roots_.at(kHkeyUsers)->subkeys;
        const std::string hive = FoldCase(currentUserHive_);
        const auto it = hives.find(hive);
        if (it == hives.end()) {
            return kErrorFileNotFound;
        }
        *result = OpenKey{it->second, kHkeyUsers, hive, kKeyAllAccess};
        return kErrorSuccess;
    }
    if (const auto root = roots_.find(key); root != roots_.end()) {
        *result = OpenKey{root->second, key, {}, kKeyAllAccess};
        return kErrorSuccess;
    }
    const auto it = open_.find(key);
    if (it == open_.end()) {
        return kErrorInvalidHandle;
    }
    *result = it->second;
    return it->second.node->deleted ? kErrorKeyDeleted : kErrorSuccess;
}

bool Registry::refusesNewSubkeys(const RegistryNode& node) const {
    // The keys directly under these two roots are hives that Windows loads;
    // nothing can be created beside them.
    return &node == roots_.at(kHkeyLocalMachine).get() || &node == roots_.at(kHkeyUsers).get();
}

Key Registry::add(OpenKey key) {
    const Key handle = numbers_.next();
    open_.emplace(handle, std::move(key));
    return handle;
}

long Registry::open(Key parent, std::string_view subKey, std::uint32_t access, Key* result) {
    if (result == nullptr) {
        return kErrorInvalidParameter;
    }
    *result = 0;
    OpenKey from;
    if (const long status = resolve(parent, &from); status != kErrorSuccess) {
        return status;
    }
    const auto names = SplitKeyPath(subKey);
    if (!names) {
        return kErrorBadPathname;
    }
    std::string path = JoinFolded(from.path, *names);
    if (refused({from.root, path}, access)) {
        return kErrorAccessDenied;
    }
    std::shared_ptr<RegistryNode> node = from.node;
    for (const auto& name : *names) {
        const auto it = node->subkeys.find(FoldCase(name));
        if (it == node->subkeys.end()) {
            return kErrorFileNotFound;
        }
        node = it->second;
    }
    *result = add(OpenKey{std::move(node), from.root, std::move(path), GrantedAccess(access)});
    return kErrorSuccess;
}

long Registry::create(Key parent, std::string_view subKey, std::uint32_t access, Key* result,
                      std::uint32_t* disposition) {
    if (result == nullptr) {
        return kErrorInvalidParameter;
    }
    *result = 0;
    OpenKey from;
    if (const long status = resolve(parent, &from); status != kErrorSuccess) {
        return status;
    }
    const auto names = SplitKeyPath(subKey);
    if (!names) {
        return kErrorBadPathname;
    }
    std::string path = JoinFolded(from.path, *names);
    if (refused({from.root, path}, access)) {
        return kErrorAccessDenied;
    }
    if (!names->empty() && from.node->child(names->front()) == nullptr &&
        (refusesNewSubkeys(*from.node) || (from.access & kKeyCreateSubKey) == 0)) {
        return kErrorAccessDenied;
    }
    std::shared_ptr<RegistryNode> node = from.node;
    bool created = false;
    for (const auto& name : *names) {
        auto& slot = node->subkeys[FoldCase(name)];
        created = !slot;
        if (created) {
            slot = std::make_shared<RegistryNode>(name);
        }
        node = slot;
    }
    if (disposition != nullptr) {
        *disposition = created ? kRegCreatedNewKey : kRegOpenedExistingKey;
    }
    if (created) {
        record({from.root, from.path}, {HiveChange::Kind::CreateKey, *names, {}, nullptr});
    }
    *result = add(OpenKey{std::move(node), from.root, std::move(path), GrantedAccess(access)});
    return kErrorSuccess;
}

long Registry::query(Key key, std::string_view valueName, std::uint32_t* type, std::uint8_t* data,
                     std::uint32_t* dataSize) const {
    return read(key, valueName, Text::Ansi, type, data, dataSize);
}

long Registry::queryWide(Key key, std::string_view valueName, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* dataSize) const {
    return read(key, valueName, Text::Wide, type, data, dataSize);
}

long Registry::read(Key key, std::string_view valueName, Text text, std::uint32_t* type,
                    std::uint8_t* data, std::uint32_t* dataSize) const {
    OpenKey open;
    if (const long status = resolve(key, &open); status != kErrorSuccess) {
        return status;
    }
    if ((open.access & kKeyQueryValue) == 0) {
        return kErrorAccessDenied;
    }
    if (data != nullptr && dataSize == nullptr) {
        return kErrorInvalidParameter;
    }
    const RegistryValue* value = open.node->value(valueName);
    if (value == nullptr) {
        return kErrorFileNotFound;
    }
    if (type != nullptr) {
        *type = value->kind;
    }
    if (dataSize == nullptr) {
        return kErrorSuccess;
    }
    const std::vector<std::uint8_t> bytes = text == Text::Ansi ? AnsiView(*value) : value->bytes;
    // A string stored without its terminating NUL is reported, and read, with
    // one by the A call; the wide call hands over what is stored.
    const auto stored = static_cast<std::uint32_t>(bytes.size());
    const bool addsNul =
        text == Text::Ansi && IsStringKind(value->kind) && (bytes.empty() || bytes.back() != 0);
    const std::uint32_t reported = stored + (addsNul ? 1 : 0);
    if (data == nullptr) {
        *dataSize = reported;
        return kErrorSuccess;
    }
    const std::uint32_t room = *dataSize;
    if (room < stored) {
        *dataSize = reported;
        return kErrorMoreData;
    }
    std::copy(bytes.begin(), bytes.end(), data);
    if (addsNul && room > stored) {
        data[stored] = 0;
        *dataSize = reported;
    } else {
        // Exactly the stored size: Windows hands over the bytes without a NUL.
        *dataSize = stored;
    }
    return kErrorSuccess;
}

long Registry::set(Key key, std::string_view valueName, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t dataSize) {
    OpenKey open;
    if (const long status = resolve(key, &open); status != kErrorSuccess) {
        return status;
    }
    if ((open.access & kKeySetValue) == 0 || failingWrites_.count({open.root, open.path}) != 0) {
        return kErrorAccessDenied;
    }
    if (data == nullptr && dataSize != 0) {
        return kErrorInvalidParameter;
    }
    std::vector<std::uint8_t> bytes;
    if (dataSize != 0) {
        bytes.assign(data, data + dataSize);
    }
    // Strings are kept as wide text, converted from the code page.
    if (IsStringKind(type)) {
        bytes = BytesOfWide(WideFromAnsi(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
    }
    open.node->setValue(valueName, type, bytes);
    record({open.root, open.path}, {HiveChange::Kind::SetValue,
                                    {},
                                    {std::string(valueName), type, std::move(bytes)},
                                    nullptr});
    return kErrorSuccess;
}

long Registry::deleteValue(Key key, std::string_view valueName) {
    OpenKey open;
    if (const long status = resolve(key, &open); status != kErrorSuccess) {
        return status;
    }
    if ((open.access & kKeySetValue) == 0 || failingWrites_.count({open.root, open.path}) != 0) {
        return kErrorAccessDenied;
    }
    if (!open.node->removeValue(valueName)) {
        return kErrorFileNotFound;
    }
    record({open.root, open.path},
           {HiveChange::Kind::DeleteValue, {}, {std::string(valueName), 0, {}}, nullptr});
    return kErrorSuccess;
}

long Registry::countContents(Key key, std::uint32_t* subKeys, std::uint32_t* values) const {
    OpenKey open;
    if (const long status = resolve(key, &open); status != kErrorSuccess) {
        return status;
    }
    if ((open.access & kKeyQueryValue) == 0) {
        return kErrorAccessDenied;
    }
    if (subKeys != nullptr) {
        *subKeys = static_cast<std::uint32_t>(open.node->subkeys.size());
    }
    if (values != nullptr) {
        *values = static_cast<std::uint32_t>(open.node->values.size());
    }
    return kErrorSuccess;
}

long Registry::deleteKey(Key parent, std::string_view subKey) {
    OpenKey from;
    if (const long status = resolve(parent, &from); status != kErrorSuccess) {
        return status;
    }
    const auto names = SplitKeyPath(subKey);
    if (!names || names->empty()) {
        return kErrorBadPathname;
    }
    RegistryNode* holder = from.node.get();
    for (std::size_t k = 0; k + 1 < names->size() && holder != nullptr; ++k) {
        holder = holder->child((*names)[k]);
    }
    const RegistryNode* node = holder != nullptr ? holder->child(names->back()) : nullptr;
    if (node == nullptr) {
        return kErrorFileNotFound;
    }
    // A hive directly under a root is unloaded, never deleted; a key with
    // subkeys is refused, as RegDeleteKeyA refuses it.
    const std::string path = JoinFolded(from.path, *names);
    if (refusesNewSubkeys(*holder) || !node->subkeys.empty() ||
        refused({from.root, path}, kDelete) || failingWrites_.count({from.root, path}) != 0) {
        return kErrorAccessDenied;
    }
    holder->removeChild(names->back());
    record({from.root, from.path}, {HiveChange::Kind::DeleteKey, *names, {}, nullptr});
    return kErrorSuccess;
}

long Registry::replace(Key key, RegistryNode contents) {
    OpenKey open;
    if (const long status = resolve(key, &open); status != kErrorSuccess) {
        return status;
    }
    auto kept = std::make_shared<const RegistryNode>(DeepCopy(contents));
    ReplaceContents(*open.node, std::move(contents));
    record({open.root, open.path}, {HiveChange::Kind::ReplaceKey, {}, {}, std::move(kept)});
    return kErrorSuccess;
}

long Registry::enumerate(Key key, std::uint32_t index, std::string* name) const {
    OpenKey open;
    if (const long status = resolve(key, &open); status != kErrorSuccess) {
        return status;
    }
    if ((open.access & kKeyEnumerateSubKeys) == 0) {
        return kErrorAccessDenied;
    }
    const auto& subkeys = open.node->subkeys;
    if (index >= subkeys.size()) {
        return kErrorNoMoreItems;
    }
    *name = std::next(subkeys.begin(), index)->second->name;
    return kErrorSuccess;
}

long Registry::close(Key key) {
    if (key == kHkeyCurrentUser || roots_.count(key) != 0) {
        return kErrorSuccess;
    }
    return open_.erase(key) != 0 ? kErrorSuccess : kErrorInvalidHandle;
}

long Registry::node(Key key, std::shared_ptr<RegistryNode>* result) const {
    OpenKey open;
    const long status = resolve(key, &open);
    if (status == kErrorSuccess) {
        *result = std::move(open.node);
    }
    return status;
}

void Registry::ensure(Key root, std::string_view subKey) {
    std::string path(subKey);
    if (root == kHkeyCurrentUser) {
        root = kHkeyUsers;
        path = currentUserHive_ + (path.empty() ? "" : "\\" + path);
    }
    const auto names = SplitKeyPath(path).value_or(std::vector<std::string>{});
    RegistryNode* node = roots_.at(root).get();
    for (const auto& name : names) {
        node = &node->childOrNew(name);
    }
    // The setup is on disk: in the hive as flushed too, or as a new hive.
    if (names.empty() || (root != kHkeyLocalMachine && root != kHkeyUsers)) {
        return;
    }
    const std::string hive = FoldCase(names.front());
    const auto log = logs_.find({root, hive});
    if (log == logs_.end()) {
        logs_.emplace(PathOfKey{root, hive}, HiveLog(DeepCopy(*roots_.at(root)->subkeys.at(hive))));
        return;
    }
    RegistryNode* flushed = &log->second.flushedForSetup();
    for (std::size_t k = 1; k < names.size(); ++k) {
        flushed = &flushed->childOrNew(names[k]);
    }
}

void Registry::ensureValue(Key root, std::string_view subKey, std::string_view name,
                           std::uint32_t kind, std::vector<std::uint8_t> bytes) {
    ensure(root, subKey);
    OpenKey at;
    resolve(root, &at);
    std::shared_ptr<RegistryNode> node = at.node;
    for (const auto& part : SplitKeyPath(subKey).value_or(std::vector<std::string>{})) {
        node = node->subkeys.at(FoldCase(part));
    }
    node->setValue(name, kind, bytes);
    // On disk as the setup left it.
    if (RegistryNode* flushed = flushedNode(root, subKey)) {
        flushed->setValue(name, kind, std::move(bytes));
    }
}

void Registry::record(const PathOfKey& at, HiveChange change) {
    // The names from the root: the hive's, then those below it.
    auto names = SplitKeyPath(at.second).value_or(std::vector<std::string>{});
    names.insert(names.end(), change.path.begin(), change.path.end());
    if (names.empty() || (at.first != kHkeyLocalMachine && at.first != kHkeyUsers)) {
        return;
    }
    const auto log = logs_.find({at.first, FoldCase(names.front())});
    if (log == logs_.end()) {
        return;
    }
    change.path.assign(names.begin() + 1, names.end());
    log->second.record(std::move(change));
}

RegistryNode* Registry::flushedNode(Key root, std::string_view subKey) {
    const PathOfKey at = PathOf(root, subKey);
    const auto hive = HiveOf(at);
    const auto log = hive ? logs_.find(*hive) : logs_.end();
    if (log == logs_.end()) {
        return nullptr;
    }
    RegistryNode* node = &log->second.flushedForSetup();
    const auto names = SplitKeyPath(at.second).value_or(std::vector<std::string>{});
    for (std::size_t k = 1; k < names.size() && node != nullptr; ++k) {
        node = node->child(names[k]);
    }
    return node;
}

Registry::PathOfKey Registry::PathOf(Key root, std::string_view subKey) const {
    std::string path = JoinFolded(
        {}, SplitKeyPath(subKey).value_or(std::vector<std::string>{std::string(subKey)}));
    if (root == kHkeyCurrentUser) {
        return {kHkeyUsers, FoldCase(currentUserHive_) + (path.empty() ? "" : "\\" + path)};
    }
    return {root, path};
}

std::string Registry::describe(Key key) const {
    OpenKey open;
    if (resolve(key, &open) != kErrorSuccess) {
        return "<invalid key>";
    }
    std::string text = FoldCase(roots_.at(open.root)->name);
    if (!open.path.empty()) {
        text += "\\" + open.path;
    }
    return text;
}

void Registry::failOpen(Key root, std::string_view subKey) {
    failingOpens_.insert(PathOf(root, subKey));
}

bool Registry::refused(const PathOfKey& path, std::uint32_t access) const {
    if (failingOpens_.count(path) != 0) {
        return true;
    }
    const auto limit = accessLimits_.find(path);
    return limit != accessLimits_.end() && (access & ~limit->second) != 0;
}

void Registry::limitAccess(Key root, std::string_view subKey, std::uint32_t allowed) {
    accessLimits_[PathOf(root, subKey)] = allowed;
}

std::size_t Registry::otherHandlesAtOrBelow(Key key) const {
    const auto it = open_.find(key);
    if (it == open_.end()) {
        return 0;
    }
    const OpenKey& at = it->second;
    std::size_t count = 0;
    for (const auto& [handle, other] : open_) {
        const bool below =
            other.path == at.path || at.path.empty() || other.path.rfind(at.path + "\\", 0) == 0;
        if (handle != key && other.root == at.root && below) {
            ++count;
        }
    }
    return count;
}

void Registry::failValueWrites(Key root, std::string_view subKey) {
    failingWrites_.insert(PathOf(root, subKey));
}

} // namespace platform::emulated
