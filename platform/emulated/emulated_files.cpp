// The file calls: attributes, listings, copies, moves, deletes and file
// handles. Each change is journalled.
#include "platform/emulated/emulated_platform.h"

#include "platform/emulated/emulated_state.h"
#include "platform/emulated/errors.h"
#include "platform/emulated/text.h"
#include "platform/emulated/windows_path.h"

#include <optional>

namespace platform {

namespace {

// A path as the journal and the file rules name it: "c:\a\b".
std::string JournalPath(const std::string& path) {
    return emulated::PathKeyOf(path);
}

// Access that changes a file: writing its data or deleting it.
constexpr std::uint32_t kChangingAccess = kGenericWrite | 0x10000000u /*GENERIC_ALL*/ |
                                          0x2u /*FILE_WRITE_DATA*/ | 0x4u /*FILE_APPEND_DATA*/ |
                                          kDelete;

// The rule a new file gets from the descriptor it is made with: none for the
// default security, nothing at all for a malformed descriptor.
bool RuleOf(const SecurityAttributes* security, std::optional<emulated::AccessRule>* rule) {
    rule->reset();
    if (security == nullptr || security->securityDescriptor.empty()) {
        return true;
    }
    *rule = emulated::AccessRule::Parse(security->securityDescriptor);
    return rule->has_value();
}

} // namespace

emulated::Caller EmulatedPlatform::State::caller() const {
    const bool system = emulated::EqualsNoCase(runningSid, kLocalSystemSid);
    const auto account = accounts.find(emulated::FoldCase(runningSid));
    return {runningSid, system || (account != accounts.end() && account->second.administrator),
            system};
}

long EmulatedPlatform::State::refusal(const std::string& path, bool changes) const {
    const auto names = emulated::ParseDrivePath(path);
    if (!names) {
        return kErrorSuccess; // the drive says what is wrong with it
    }
    const std::string key = emulated::PathKey(*names);
    const emulated::Caller account = caller();
    for (const std::string& directory : {systemDirectory, wow64Directory}) {
        const auto folder = emulated::ParseDrivePath(directory);
        if (!changes || account.administrator || directory.empty() || !folder) {
            continue;
        }
        const std::string system = emulated::PathKey(*folder);
        if (key == system || key.starts_with(system + '\\')) {
            return kErrorAccessDenied;
        }
    }
    return fileSecurity.admits(key, account) ? kErrorSuccess : kErrorAccessDenied;
}

Handle EmulatedPlatform::FindFirstFileA(const std::string& pattern, FindData* data) {
    if (state_->powerOff()) {
        return kInvalidHandle;
    }
    State::FindListing listing;
    if (const long error = state_->drive.list(pattern, &listing.entries); error != kErrorSuccess) {
        state_->fail(error);
        return kInvalidHandle;
    }
    if (data != nullptr) {
        *data = listing.entries.front();
    }
    listing.next = 1;
    const Handle find = state_->numbers.next();
    state_->finds.emplace(find, std::move(listing));
    return find;
}

bool EmulatedPlatform::FindNextFileA(Handle find, FindData* data) {
    const auto it = state_->finds.find(find);
    if (it == state_->finds.end()) {
        return state_->fail(kErrorInvalidHandle);
    }
    State::FindListing& listing = it->second;
    if (listing.next >= listing.entries.size()) {
        return state_->fail(kErrorNoMoreFiles);
    }
    if (data != nullptr) {
        *data = listing.entries[listing.next];
    }
    ++listing.next;
    return true;
}

bool EmulatedPlatform::FindClose(Handle find) {
    if (state_->finds.erase(find) == 0) {
        return state_->fail(kErrorInvalidHandle);
    }
    return true;
}

std::uint32_t EmulatedPlatform::GetFileAttributesA(const std::string& path) {
    if (state_->powerOff()) {
        return kInvalidFileAttributes;
    }
    std::uint32_t attributes = 0;
    if (const long error = state_->drive.getAttributes(path, &attributes); error != kErrorSuccess) {
        state_->fail(error);
        return kInvalidFileAttributes;
    }
    return attributes;
}

bool EmulatedPlatform::SetFileAttributesA(const std::string& path, std::uint32_t attributes) {
    if (state_->powerOff()) {
        return false;
    }
    long error = state_->refusal(path, true);
    if (error == kErrorSuccess) {
        error = state_->drive.setAttributes(path, attributes);
    }
    if (error == kErrorSuccess) {
        state_->journal.record("SetFileAttributesA", JournalPath(path));
    }
    return error == kErrorSuccess || state_->fail(error);
}

bool EmulatedPlatform::CopyFileA(const std::string& from, const std::string& to,
                                 bool failIfExists) {
    if (state_->powerOff()) {
        return false;
    }
    long error = state_->refusal(from, false);
    if (error == kErrorSuccess) {
        error = state_->refusal(to, true);
    }
    if (error == kErrorSuccess) {
        error = state_->drive.copy(from, to, failIfExists);
    }
    if (error == kErrorSuccess) {
        state_->fileSecurity.removed(JournalPath(to));
        state_->journal.record("CopyFileA", JournalPath(to));
    }
    return error == kErrorSuccess || state_->fail(error);
}

bool EmulatedPlatform::MoveFileExA(const std::string& from, const std::string& to,
                                   std::uint32_t flags) {
    if (state_->powerOff()) {
        return false;
    }
    long error = state_->refusal(from, true);
    if (error == kErrorSuccess) {
        error = state_->refusal(to, true);
    }
    if (error == kErrorSuccess) {
        error = state_->drive.move(from, to, flags);
    }
    if (error == kErrorSuccess) {
        state_->fileSecurity.moved(JournalPath(from), JournalPath(to));
        state_->drive.forgetDeleteOnClose(JournalPath(from));
        state_->journal.record("MoveFileExA", JournalPath(to));
    }
    return error == kErrorSuccess || state_->fail(error);
}

bool EmulatedPlatform::CreateDirectoryA(const std::string& path,
                                        const SecurityAttributes* security) {
    if (state_->powerOff()) {
        return false;
    }
    std::optional<emulated::AccessRule> rule;
    if (!RuleOf(security, &rule)) {
        return state_->fail(kErrorInvalidParameter);
    }
    long error = state_->refusal(path, true);
    if (error == kErrorSuccess) {
        error = state_->drive.makeDirectory(path);
    }
    if (error == kErrorSuccess) {
        state_->fileSecurity.made(JournalPath(path), std::move(rule));
        state_->journal.record("CreateDirectoryA", JournalPath(path));
    }
    return error == kErrorSuccess || state_->fail(error);
}

bool EmulatedPlatform::DeleteFileA(const std::string& path) {
    if (state_->powerOff()) {
        return false;
    }
    long error = state_->refusal(path, true);
    if (error == kErrorSuccess) {
        error = state_->drive.remove(path);
    }
    if (error == kErrorSuccess) {
        state_->fileSecurity.removed(JournalPath(path));
        state_->drive.forgetDeleteOnClose(JournalPath(path));
        state_->journal.record("DeleteFileA", JournalPath(path));
    }
    return error == kErrorSuccess || state_->fail(error);
}

Handle EmulatedPlatform::CreateFileA(const std::string& path, std::uint32_t access,
                                     std::uint32_t share, const SecurityAttributes* security,
                                     std::uint32_t disposition, std::uint32_t flagsAndAttributes) {
    if (state_->powerOff()) {
        return kInvalidHandle;
    }
    std::optional<emulated::AccessRule> rule;
    if (!RuleOf(security, &rule)) {
        state_->fail(kErrorInvalidParameter);
        return kInvalidHandle;
    }
    std::uint32_t ignored = 0;
    const bool exists = state_->drive.getAttributes(path, &ignored) == kErrorSuccess;
    const bool creates =
        !exists && disposition != kOpenExisting && disposition != emulated::kTruncateExisting;
    const bool truncates =
        exists && (disposition == kCreateAlways || disposition == emulated::kTruncateExisting);
    const bool changes = creates || truncates || (access & kChangingAccess) != 0 ||
                         (flagsAndAttributes & kFileFlagDeleteOnClose) != 0;
    if (const long refused = state_->refusal(path, changes); refused != kErrorSuccess) {
        state_->fail(refused);
        return kInvalidHandle;
    }
    auto opened = state_->drive.open(path, access, share, disposition, flagsAndAttributes);
    if (opened.error != kErrorSuccess) {
        state_->fail(opened.error);
        return kInvalidHandle;
    }
    // A descriptor is the new file's own; an existing file keeps its own.
    if (!opened.existed) {
        state_->fileSecurity.made(opened.file->key(), std::move(rule));
    }
    if (opened.changed) {
        state_->journal.record("CreateFileA", opened.file->key());
    }
    // These two dispositions say whether the file was there, through the last
    // error, even though the call succeeded.
    if (disposition == kCreateAlways || disposition == kOpenAlways) {
        state_->lastError =
            static_cast<std::uint32_t>(opened.existed ? kErrorAlreadyExists : kErrorSuccess);
    }
    return state_->kernel.add(std::move(opened.file));
}

bool EmulatedPlatform::ReadFile(Handle file, void* buffer, std::uint32_t toRead,
                                std::uint32_t* read) {
    if (state_->powerOff()) {
        return false;
    }
    std::uint32_t count = 0;
    long error = kErrorInvalidHandle;
    if (auto* pipe = state_->kernel.find<emulated::PipeEnd>(file)) {
        error = pipe->read(buffer, toRead, &count);
    } else if (auto* open = state_->kernel.find<std::unique_ptr<emulated::OpenFile>>(file)) {
        error = (*open)->read(buffer, toRead, &count);
    }
    if (read != nullptr) {
        *read = count;
    }
    return error == kErrorSuccess || state_->fail(error);
}

bool EmulatedPlatform::WriteFile(Handle file, const void* buffer, std::uint32_t toWrite,
                                 std::uint32_t* written) {
    if (state_->powerOff()) {
        return false;
    }
    std::uint32_t count = 0;
    long error = kErrorInvalidHandle;
    if (auto* pipe = state_->kernel.find<emulated::PipeEnd>(file)) {
        error = pipe->write(buffer, toWrite, &count);
    } else if (auto* open = state_->kernel.find<std::unique_ptr<emulated::OpenFile>>(file)) {
        error = (*open)->write(buffer, toWrite, &count);
        if (count > 0) {
            state_->journal.record("WriteFile", (*open)->key());
        }
    }
    if (written != nullptr) {
        *written = count;
    }
    return error == kErrorSuccess || state_->fail(error);
}

bool EmulatedPlatform::FlushFileBuffers(Handle file) {
    if (state_->powerOff()) {
        return false;
    }
    auto* open = state_->kernel.find<std::unique_ptr<emulated::OpenFile>>(file);
    if (open == nullptr) {
        return state_->fail(kErrorInvalidHandle);
    }
    const long error = (*open)->flush();
    if (error == kErrorSuccess) {
        state_->journal.record("FlushFileBuffers", (*open)->key());
    }
    return error == kErrorSuccess || state_->fail(error);
}

} // namespace platform
