// What lies on the disk of the emulated machine: every file of drive C: and
// every registry hive. A power cut leaves one, and a boot starts from one.
#pragma once

#include "platform/emulated/registry_node.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace platform::emulated {

struct DiskImage {
    struct File {
        std::string spelling; // its path below the drive's folder, as spelled on disk
        std::uint32_t attributes = 0;
        std::string content;
    };
    // By the drive's key of each file: "c:\a\b.dat". Folders are not kept:
    // the programs never make or remove one.
    std::map<std::string, File> files;
    // By hive: "hkey_local_machine\software" for the machine's own, the
    // profile's file ("c:\users\bob\ntuser.dat") for an account's, loaded
    // or not. Images share hives that did not change between them.
    std::map<std::string, std::shared_ptr<const RegistryNode>> hives;

    // The whole image as text, the same for equal images.
    std::string canonical() const;
    // A hash of that text, to tell images apart; the files below
    // `leftOut` ("c:\\windows\\logs\\", a drive key), when given, are
    // not part of it.
    std::uint64_t hash(std::string_view leftOut = {}) const;
};

} // namespace platform::emulated
