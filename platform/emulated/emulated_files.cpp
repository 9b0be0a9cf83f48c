// The file calls: attributes, listings, copies, deletes and file handles.
#include "platform/emulated/emulated_platform.h"

#include "platform/emulated/emulated_state.h"
#include "platform/emulated/errors.h"

namespace platform {

Handle EmulatedPlatform::FindFirstFileA(const std::string& pattern, FindData* data) {
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
    std::uint32_t attributes = 0;
    if (const long error = state_->drive.getAttributes(path, &attributes); error != kErrorSuccess) {
        state_->fail(error);
        return kInvalidFileAttributes;
    }
    return attributes;
}

bool EmulatedPlatform::SetFileAttributesA(const std::string& path, std::uint32_t attributes) {
    const long error = state_->drive.setAttributes(path, attributes);
    return error == kErrorSuccess || state_->fail(error);
}

bool EmulatedPlatform::CopyFileA(const std::string& from, const std::string& to,
                                 bool failIfExists) {
    const long error = state_->drive.copy(from, to, failIfExists);
    return error == kErrorSuccess || state_->fail(error);
}

bool EmulatedPlatform::DeleteFileA(const std::string& path) {
    const long error = state_->drive.remove(path);
    return error == kErrorSuccess || state_->fail(error);
}

Handle EmulatedPlatform::CreateFileA(const std::string& path, std::uint32_t access,
                                     std::uint32_t share, std::uint32_t disposition,
                                     std::uint32_t attributes) {
    auto opened = state_->drive.open(path, access, share, disposition, attributes);
    if (opened.error != kErrorSuccess) {
        state_->fail(opened.error);
        return kInvalidHandle;
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
    std::uint32_t count = 0;
    long error = kErrorInvalidHandle;
    if (auto* pipe = state_->kernel.find<emulated::PipeEnd>(file)) {
        error = pipe->write(buffer, toWrite, &count);
    } else if (auto* open = state_->kernel.find<std::unique_ptr<emulated::OpenFile>>(file)) {
        error = (*open)->write(buffer, toWrite, &count);
    }
    if (written != nullptr) {
        *written = count;
    }
    return error == kErrorSuccess || state_->fail(error);
}

} // namespace platform
