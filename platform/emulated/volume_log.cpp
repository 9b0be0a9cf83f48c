#include "platform/emulated/volume_log.h"

#include <cerrno>
#include <unistd.h>

namespace platform::emulated {

namespace {

std::string ReadThrough(int descriptor) {
    std::string content;
    char chunk[4096];
    for (off_t at = 0;;) {
        const ssize_t got = ::pread(descriptor, chunk, sizeof chunk, at);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return content;
        }
        content.append(chunk, static_cast<std::size_t>(got));
        at += got;
    }
}

} // namespace

VolumeLog::FileId VolumeLog::fileAt(const std::string& key) {
    if (const auto it = named_.find(key); it != named_.end()) {
        return it->second;
    }
    const FileId file = nextFile_++;
    files_[file].name = key;
    named_[key] = file;
    return file;
}

void VolumeLog::touch(const Name& name, bool exists) {
    if (atBarrier_.count(name.key) != 0) {
        return;
    }
    atBarrier_[name.key] =
        exists ? std::optional<Binding>(Binding{fileAt(name.key), name.spelling, name.attributes})
               : std::nullopt;
}

void VolumeLog::unname(const std::string& key, const std::string& content) {
    const auto it = named_.find(key);
    if (it == named_.end()) {
        return;
    }
    File& file = files_.at(it->second);
    file.named = false;
    file.content = content;
    named_.erase(it);
}

void VolumeLog::created(const Name& now) {
    touch(now, false);
    const FileId file = nextFile_++;
    files_[file] = File{now.key, true, std::string(), std::nullopt};
    named_[now.key] = file;
    changes_.push_back({Change::Kind::Create, now.key, {}, {file, now.spelling, now.attributes}});
}

void VolumeLog::cutShort(const Name& before, const std::string& content, std::uint32_t attributes) {
    touch(before, true);
    const FileId file = fileAt(before.key);
    if (!files_.at(file).lastFlushed) {
        files_.at(file).lastFlushed = content;
    }
    changes_.push_back(
        {Change::Kind::CutShort, before.key, {}, {file, before.spelling, attributes}});
}

void VolumeLog::moved(const Name& from, const std::optional<Name>& replaced,
                      const std::string& replacedContent, const Name& to) {
    touch(from, true);
    touch(replaced.value_or(to), replaced.has_value());
    const FileId file = fileAt(from.key);
    if (replaced) {
        unname(replaced->key, replacedContent);
    }
    named_.erase(from.key);
    named_[to.key] = file;
    files_.at(file).name = to.key;
    changes_.push_back(
        {Change::Kind::Move, from.key, to.key, {file, to.spelling, from.attributes}});
}

void VolumeLog::removed(const Name& before, const std::string& content) {
    touch(before, true);
    unname(before.key, content);
    changes_.push_back({Change::Kind::Remove, before.key, {}, {}});
}

void VolumeLog::attributesSet(const Name& before, std::uint32_t attributes) {
    touch(before, true);
    const FileId file = fileAt(before.key);
    changes_.push_back(
        {Change::Kind::Attributes, before.key, {}, {file, before.spelling, attributes}});
}

void VolumeLog::writing(const std::string& key, int descriptor) {
    File& file = files_.at(fileAt(key));
    if (!file.lastFlushed) {
        file.lastFlushed = ReadThrough(descriptor);
    }
}

void VolumeLog::flushed(const std::string& key) {
    if (const auto it = named_.find(key); it != named_.end()) {
        files_.at(it->second).lastFlushed.reset();
    }
    // The barrier: every change so far is on disk. What no name points at
    // any longer, and what is on disk as it stands, need no keeping.
    changes_.clear();
    atBarrier_.clear();
    for (auto it = files_.begin(); it != files_.end();) {
        const bool keep = it->second.named && it->second.lastFlushed.has_value();
        if (!keep && it->second.named) {
            named_.erase(it->second.name);
        }
        it = keep ? std::next(it) : files_.erase(it);
    }
}

void VolumeLog::settle() {
    files_.clear();
    named_.clear();
    atBarrier_.clear();
    changes_.clear();
}

CutDimensions VolumeLog::dimensions() const {
    CutDimensions cut;
    cut.metadataChanges = changes_.size();
    for (const auto& [id, file] : files_) {
        if (file.lastFlushed) {
            cut.unflushedFiles.push_back(file.name);
        }
    }
    return cut;
}

void VolumeLog::Replay(Names& names, const Change& change) {
    switch (change.kind) {
    case Change::Kind::Create:
        names[change.key] = change.binding;
        break;
    case Change::Kind::CutShort:
    case Change::Kind::Attributes:
        if (auto& binding = names[change.key]) {
            binding->attributes = change.binding.attributes;
        }
        break;
    case Change::Kind::Move: {
        std::optional<Binding> binding = names[change.key];
        names[change.key].reset();
        if (binding) {
            binding->spelling = change.binding.spelling;
        }
        names[change.toKey] = binding;
        break;
    }
    case Change::Kind::Remove:
        names[change.key].reset();
        break;
    }
}

std::string VolumeLog::contentOf(FileId id, FileSurvival survival,
                                 const std::map<std::string, DiskImage::File>& live) const {
    const File& file = files_.at(id);
    std::string written;
    if (file.content) {
        written = *file.content;
    } else if (const auto it = live.find(file.name); it != live.end()) {
        written = it->second.content;
    }
    if (!file.lastFlushed) {
        return written;
    }
    // What was flushed before stays when the file only grew since: NTFS
    // never takes back data that reached the disk, and what a cut takes of
    // the growth is its length or its data.
    const std::string& flushed = *file.lastFlushed;
    const std::string kept = written.starts_with(flushed) ? flushed : std::string();
    switch (survival) {
    case FileSurvival::Empty:
        return kept;
    case FileSurvival::Zeros:
        return kept + std::string(written.size() - kept.size(), '\0');
    case FileSurvival::LastFlushed:
        return *file.lastFlushed;
    case FileSurvival::AsWritten:
        break;
    }
    return written;
}

std::map<std::string, DiskImage::File>
VolumeLog::survive(const std::map<std::string, DiskImage::File>& live,
                   const Survival& survival) const {
    // How each file written since its last flush comes through, in the
    // order the dimensions give them.
    std::map<FileId, FileSurvival> states;
    std::size_t next = 0;
    for (const auto& [id, file] : files_) {
        if (file.lastFlushed) {
            states[id] =
                next < survival.files.size() ? survival.files[next] : FileSurvival::AsWritten;
            ++next;
        }
    }
    const auto stateOf = [&states](FileId id) {
        const auto it = states.find(id);
        return it == states.end() ? FileSurvival::AsWritten : it->second;
    };

    Names names(atBarrier_.begin(), atBarrier_.end());
    for (std::size_t k = 0; k < survival.metadataChanges && k < changes_.size(); ++k) {
        Replay(names, changes_[k]);
    }
    std::map<std::string, DiskImage::File> lasting = live;
    for (const auto& [key, binding] : names) {
        lasting.erase(key);
        if (binding) {
            lasting[key] = {binding->spelling, binding->attributes,
                            contentOf(binding->file, stateOf(binding->file), live)};
        }
    }
    // A name no metadata change touched still points where it did; only
    // its file's content may be short of what was written.
    for (const auto& [key, id] : named_) {
        if (names.count(key) == 0) {
            if (const auto it = lasting.find(key); it != lasting.end()) {
                it->second.content = contentOf(id, stateOf(id), live);
            }
        }
    }
    return lasting;
}

} // namespace platform::emulated
