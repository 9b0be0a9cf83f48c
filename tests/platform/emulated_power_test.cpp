// What the emulated machine keeps through a power cut, and its accounts'
// hives: the ground the crash tests of the operations stand on. A cut is
// no kinder than Windows: metadata changes last in order up to the last
// flush of any file, unflushed contents come through in one of four states,
// and each hive keeps any prefix of its changes since its last flush.
#include "platform/emulated/emulated_platform.h"
#include "platform/emulated/errors.h"
#include "platform/emulated/text.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace platform;
using emulated::FileSurvival;
using emulated::Survival;
using tarrow::testing::TestMachine;

const std::string kBob = "S-1-5-21-3623811015-3361044348-30300820-1002";

struct PowerMachine {
    TestMachine machine;
    EmulatedPlatform& e = *machine.emulated();
    Platform& p = machine.platform();
    const std::string dir = machine.scratchFolder();

    std::string at(const std::string& name) const { return dir + "\\" + name; }

    // Writes without flushing, then optionally flushes, through one handle.
    void write(const std::string& name, const std::string& content, std::uint32_t disposition,
               bool flush) {
        UniqueHandle file(p, p.CreateFileA(at(name), kGenericWrite, 0, nullptr, disposition, 0));
        ASSERT_TRUE(file) << name;
        std::uint32_t written = 0;
        ASSERT_TRUE(p.WriteFile(file.get(), content.data(),
                                static_cast<std::uint32_t>(content.size()), &written));
        if (flush) {
            ASSERT_TRUE(p.FlushFileBuffers(file.get()));
        }
    }
    void flush(const std::string& name) { ASSERT_TRUE(FlushFile(p, at(name))) << name; }
    void move(const std::string& from, const std::string& to, std::uint32_t flags) {
        ASSERT_TRUE(p.MoveFileExA(at(from), at(to), flags)) << from << " to " << to;
    }
    std::optional<std::string> content(const std::string& name) {
        return ReadWholeFile(p, at(name));
    }
    // The scratch folder's files and what they hold.
    std::map<std::string, std::string> files() {
        std::map<std::string, std::string> found;
        for (const FindData& entry : ListEntries(p, at("*"), kFileAttributeHidden)) {
            if ((entry.attributes & kFileAttributeDirectory) == 0) {
                found[entry.fileName] = content(entry.fileName).value_or("<unreadable>");
            }
        }
        return found;
    }

    bool setValue(Key root, const std::string& keyPath, const std::string& name,
                  const std::string& text) {
        UniqueKey key(p);
        if (p.RegCreateKeyExA(root, keyPath, "", 0, kKeyAllAccess, nullptr, key.put(), nullptr) !=
            kErrorSuccess) {
            return false;
        }
        return p.RegSetValueExA(key.get(), name, kRegSz,
                                reinterpret_cast<const std::uint8_t*>(text.data()),
                                static_cast<std::uint32_t>(text.size())) == kErrorSuccess;
    }
    std::optional<std::string> value(Key root, const std::string& keyPath,
                                     const std::string& name) {
        UniqueKey key(p);
        if (p.RegOpenKeyExA(root, keyPath, 0, kKeyRead, key.put()) != kErrorSuccess) {
            return std::nullopt;
        }
        std::uint8_t data[64] = {};
        std::uint32_t size = sizeof data;
        std::uint32_t kind = 0;
        if (p.RegQueryValueExA(key.get(), name, &kind, data, &size) != kErrorSuccess) {
            return std::nullopt;
        }
        return std::string(reinterpret_cast<const char*>(data));
    }
    bool flushKey(Key root, const std::string& keyPath) {
        UniqueKey key(p);
        return p.RegOpenKeyExA(root, keyPath, 0, kKeyRead, key.put()) == kErrorSuccess &&
               p.RegFlushKey(key.get()) == kErrorSuccess;
    }
    bool openToken() {
        return token || p.OpenProcessToken(p.GetCurrentProcess(),
                                           kTokenAdjustPrivileges | kTokenQuery, token.put());
    }
    // Enables a privilege through the token, opened on first use.
    bool enable(const std::string& privilege) {
        if (!openToken()) {
            return false;
        }
        TokenPrivileges wanted;
        wanted.privilegeCount = 1;
        wanted.attributes = kSePrivilegeEnabled;
        return p.LookupPrivilegeValueA(privilege, &wanted.luid) &&
               p.AdjustTokenPrivileges(token.get(), false, &wanted, 0, nullptr, nullptr);
    }
    UniqueHandle token{p}; // opened on first use
    UniqueKey heldKey{p};  // a key a case opens before the cut

    Survival kindest() const { return Survival::Kindest(e.cutDimensions()); }
    Survival harshest() const { return Survival::Harshest(e.cutDimensions()); }
};

using Files = std::map<std::string, std::string>;

// Every key and value of a registry dump as text, to compare two.
std::string
Text(const std::map<std::string, std::map<std::string, emulated::RegistryValue>>& dump) {
    std::string text;
    for (const auto& [key, values] : dump) {
        text += "[" + key + "]\n";
        for (const auto& [name, value] : values) {
            text += value.name + " " + std::to_string(value.kind) + " " +
                    std::string(value.bytes.begin(), value.bytes.end()) + "\n";
        }
    }
    return text;
}

// Renames, creates, deletes and attribute changes last only once a flush of
// some file follows them; before that, a cut leaves any prefix of them.
TEST(Power, MetadataChangesLastInOrderOnlyUpToTheLastFlushOfAnyFile) {
    struct Case {
        const char* name;
        std::function<void(PowerMachine&)> act;
        // The scratch folder after a cut that keeps the first k metadata
        // changes, for every k the cut could take.
        std::vector<Files> byPrefix;
    };
    const std::vector<Case> cases = {
        {"a rename without a later flush can vanish",
         [](PowerMachine& t) {
             t.write("new.txt", "new", kCreateNew, true);
             t.move("new.txt", "old.txt", kMoveFileReplaceExisting);
         },
         {{{"old.txt", "old"}, {"new.txt", "new"}}, {{"old.txt", "new"}}}},
        {"write-through does not make a rename on the same volume last",
         [](PowerMachine& t) {
             t.write("new.txt", "new", kCreateNew, true);
             t.move("new.txt", "old.txt", kMoveFileReplaceExisting | kMoveFileWriteThrough);
         },
         {{{"old.txt", "old"}, {"new.txt", "new"}}, {{"old.txt", "new"}}}},
        {"a flush of any file makes the renames before it last",
         [](PowerMachine& t) {
             t.write("new.txt", "new", kCreateNew, true);
             t.move("new.txt", "old.txt", kMoveFileReplaceExisting);
             t.write("other.txt", "x", kCreateNew, true);
         },
         {{{"old.txt", "new"}, {"other.txt", "x"}}}},
        {"a flush of the moved file itself makes the rename last",
         [](PowerMachine& t) {
             t.write("new.txt", "new", kCreateNew, true);
             t.move("new.txt", "old.txt", kMoveFileReplaceExisting);
             t.flush("old.txt");
         },
         {{{"old.txt", "new"}}}},
        {"a delete without a later flush can vanish",
         [](PowerMachine& t) { ASSERT_TRUE(t.p.DeleteFileA(t.at("old.txt"))); },
         {{{"old.txt", "old"}}, {}}},
        {"a copy is a file created",
         [](PowerMachine& t) {
             ASSERT_TRUE(t.p.CopyFileA(t.at("old.txt"), t.at("copy.txt"), false));
         },
         {{{"old.txt", "old"}}, {{"old.txt", "old"}, {"copy.txt", "old"}}}},
        {"changes last as a prefix, in the order they were made",
         [](PowerMachine& t) {
             t.write("a.txt", "", kCreateNew, false);
             t.move("a.txt", "b.txt", 0);
             ASSERT_TRUE(t.p.DeleteFileA(t.at("old.txt")));
         },
         {{{"old.txt", "old"}},
          {{"old.txt", "old"}, {"a.txt", ""}},
          {{"old.txt", "old"}, {"b.txt", ""}},
          {{"b.txt", ""}}}},
    };
    for (const Case& c : cases) {
        for (std::size_t kept = 0; kept < c.byPrefix.size(); ++kept) {
            SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(kept) + " changes kept");
            PowerMachine t;
            ASSERT_TRUE(WriteWholeFile(t.p, t.at("old.txt"), "old"));
            t.e.settle();
            c.act(t);
            Survival survival = t.kindest();
            ASSERT_EQ(survival.metadataChanges, c.byPrefix.size() - 1) << "changes a cut can take";
            survival.metadataChanges = kept;
            t.e.reboot(survival);
            EXPECT_EQ(t.files(), c.byPrefix[kept]);
        }
    }
}

TEST(Power, AttributesSetLastOnlyOnceABarrierFollows) {
    for (const bool barrier : {false, true}) {
        SCOPED_TRACE(barrier ? "a flush follows" : "no flush follows");
        PowerMachine t;
        ASSERT_TRUE(WriteWholeFile(t.p, t.at("old.txt"), "old"));
        t.e.settle();
        ASSERT_TRUE(t.p.SetFileAttributesA(t.at("old.txt"), kFileAttributeHidden));
        if (barrier) {
            t.write("other.txt", "x", kCreateNew, true);
        }
        t.e.reboot(t.harshest());
        EXPECT_EQ(t.p.GetFileAttributesA(t.at("old.txt")),
                  barrier ? kFileAttributeHidden : kFileAttributeArchive);
    }
}

// A file written since its last flush holds nothing, zeros of its written
// length, what it held when last flushed, or what was written.
TEST(Power, UnflushedContentComesThroughInEachOfFourStates) {
    struct Case {
        const char* name;
        std::function<void(PowerMachine&)> act;
        std::string file;
        // For Empty, Zeros, LastFlushed and AsWritten.
        std::array<std::string, 4> contents;
    };
    const std::vector<Case> cases = {
        {"a file written over in place",
         [](PowerMachine& t) { t.write("old.txt", "NEW!", kOpenExisting, false); },
         "old.txt",
         {"", std::string(4, '\0'), "old", "NEW!"}},
        {"what follows a file's last flush",
         [](PowerMachine& t) {
             t.write("new.txt", "abc", kCreateNew, true);
             UniqueHandle file(t.p, t.p.CreateFileA(t.at("new.txt"), kGenericWrite, 0, nullptr,
                                                    kOpenExisting, 0));
             std::uint32_t written = 0;
             ASSERT_TRUE(t.p.WriteFile(file.get(), "abcdef", 6, &written));
         },
         "new.txt",
         // What was flushed stays; only the growth can be lost or zeros.
         {"abc", std::string("abc") + std::string(3, '\0'), "abc", "abcdef"}},
        {"a file cut short and written again",
         [](PowerMachine& t) { t.write("old.txt", "fresh", kCreateAlways, false); },
         "old.txt",
         {"", std::string(5, '\0'), "old", "fresh"}},
        {"a file moved before its flush takes its content along; another's flush keeps none of it",
         [](PowerMachine& t) {
             t.write("new.txt", "abc", kCreateNew, false);
             t.move("new.txt", "moved.txt", 0);
             t.write("other.txt", "x", kCreateNew, true);
         },
         "moved.txt",
         {"", std::string(3, '\0'), "", "abc"}},
    };
    for (const Case& c : cases) {
        for (std::size_t state = 0; state < 4; ++state) {
            SCOPED_TRACE(std::string(c.name) + ", state " + std::to_string(state));
            PowerMachine t;
            ASSERT_TRUE(WriteWholeFile(t.p, t.at("old.txt"), "old"));
            t.e.settle();
            c.act(t);
            const auto cut = t.e.cutDimensions();
            ASSERT_EQ(cut.unflushedFiles,
                      std::vector<std::string>{emulated::FoldCase(t.at(c.file))});
            Survival survival = t.kindest();
            survival.files[0] = emulated::kEveryFileSurvival[state];
            t.e.reboot(survival);
            EXPECT_EQ(t.content(c.file), c.contents[state]);
        }
    }
    PowerMachine t;
    t.write("flushed.txt", "abc", kCreateNew, true);
    EXPECT_TRUE(t.e.cutDimensions().unflushedFiles.empty()) << "a flushed file is on disk";
}

// Each hive comes through on its own, as any prefix of its changes since its
// last flush: the machine's hive whole beside the user's as flushed too.
TEST(Power, EachHiveKeepsAPrefixOfItsChangesOnItsOwn) {
    const std::string desktop = "Control Panel\\Desktop";
    const std::string control = "SYSTEM\\ControlSet001\\Control";
    for (std::size_t machineKept = 0; machineKept <= 1; ++machineKept) {
        for (std::size_t userKept = 0; userKept <= 2; ++userKept) {
            SCOPED_TRACE("machine " + std::to_string(machineKept) + ", user " +
                         std::to_string(userKept));
            PowerMachine t;
            t.e.createKey(kHkeyLocalMachine, control);
            t.e.settle();
            ASSERT_TRUE(t.setValue(kHkeyCurrentUser, desktop, "Flushed", "1"));
            ASSERT_TRUE(t.flushKey(kHkeyCurrentUser, desktop));
            ASSERT_TRUE(t.setValue(kHkeyCurrentUser, desktop, "First", "1"));
            ASSERT_TRUE(t.setValue(kHkeyLocalMachine, control, "Machine", "1"));
            ASSERT_TRUE(t.setValue(kHkeyCurrentUser, desktop, "First", "2"));

            const auto cut = t.e.cutDimensions();
            ASSERT_EQ(cut.hives.size(), 2u);
            EXPECT_EQ(cut.hives[0].name, "hkey_local_machine\\system");
            EXPECT_EQ(cut.hives[0].changes, 1u);
            EXPECT_EQ(cut.hives[1].name,
                      "hkey_users\\" + emulated::FoldCase(EmulatedPlatform::kUserSid));
            EXPECT_EQ(cut.hives[1].changes, 2u);
            Survival survival = t.kindest();
            survival.hiveChanges = {machineKept, userKept};
            t.e.reboot(survival);

            EXPECT_EQ(t.value(kHkeyCurrentUser, desktop, "Flushed"), "1");
            EXPECT_EQ(t.value(kHkeyLocalMachine, control, "Machine").has_value(), machineKept == 1);
            const char* first[] = {nullptr, "1", "2"};
            EXPECT_EQ(t.value(kHkeyCurrentUser, desktop, "First"),
                      first[userKept] ? std::optional<std::string>(first[userKept]) : std::nullopt);
        }
    }
}

// The changes a hive keeps are made again on it as last flushed: all of them
// give the hive as it stands, none the hive as flushed, whatever the kind
// of change.
TEST(Power, AHivesChangesMadeAgainGiveItAsItStands) {
    PowerMachine t;
    ASSERT_TRUE(t.setValue(kHkeyCurrentUser, "Consol", "Gone", "x"));
    ASSERT_TRUE(t.setValue(kHkeyCurrentUser, "Consol\\Kept", "Old", "x"));
    ASSERT_TRUE(t.setValue(kHkeyLocalMachine, "SOFTWARE\\Tarrow\\Package", "Code", "x"));
    ASSERT_TRUE(t.enable("SeBackupPrivilege"));
    ASSERT_TRUE(t.enable("SeRestorePrivilege"));
    t.e.settle();
    const std::string flushed = Text(t.e.registryDump());
    UniqueKey consol(t.p);
    ASSERT_EQ(t.p.RegOpenKeyExA(kHkeyCurrentUser, "Consol", 0, kKeyAllAccess, consol.put()),
              kErrorSuccess);
    ASSERT_EQ(t.p.RegSaveKeyA(consol.get(), t.at("consol.hiv")), kErrorSuccess);
    ASSERT_TRUE(t.setValue(kHkeyCurrentUser, "Consol\\New\\Deeper", "Value", "1"));
    ASSERT_EQ(t.p.RegDeleteValueA(consol.get(), "Gone"), kErrorSuccess);
    ASSERT_TRUE(t.setValue(kHkeyLocalMachine, "SOFTWARE\\Tarrow", "AppliedBy", "me"));
    {
        UniqueKey tarrow(t.p);
        ASSERT_EQ(t.p.RegOpenKeyExA(kHkeyLocalMachine, "SOFTWARE\\Tarrow", 0, kKeyAllAccess,
                                    tarrow.put()),
                  kErrorSuccess);
        ASSERT_EQ(t.p.RegDeleteKeyA(tarrow.get(), "Package"), kErrorSuccess);
    }
    ASSERT_TRUE(t.setValue(kHkeyCurrentUser, "Consol\\Kept", "New", "x"));
    ASSERT_EQ(t.p.RegRestoreKeyA(consol.get(), t.at("consol.hiv"), 0), kErrorSuccess);
    ASSERT_TRUE(t.setValue(kHkeyCurrentUser, "Consol\\Kept", "After", "x"));
    consol.reset();
    const std::string standing = Text(t.e.registryDump());
    ASSERT_NE(standing, flushed);

    const emulated::DiskImage kindest = t.e.survivor(t.kindest());
    const emulated::DiskImage harshest = t.e.survivor(t.harshest());
    EXPECT_NE(kindest.hash(), harshest.hash());
    t.e.restartFrom(kindest);
    EXPECT_EQ(Text(t.e.registryDump()), standing);
    EXPECT_EQ(t.e.survivor(t.kindest()).canonical(), kindest.canonical())
        << "a restart leaves the image it started from";
    t.e.restartFrom(harshest);
    EXPECT_EQ(Text(t.e.registryDump()), flushed);
}

// Capturing what a cut after change n would leave while the machine runs
// on gives what cutting the power there and rebooting leaves.
TEST(Power, AWatcherSeesWhatACutAfterEachChangeWouldLeave) {
    // True when all of it was done.
    const auto work = [](PowerMachine& t) {
        const bool saved = WriteFileDurably(t.p, t.at("saved.dat"), "saved");
        const bool change = t.setValue(kHkeyCurrentUser, "Consol", "Change", "1");
        const bool appliedBy = t.setValue(kHkeyLocalMachine, "SOFTWARE\\Tarrow", "AppliedBy", "me");
        const bool deleted = t.p.DeleteFileA(t.at("old.txt"));
        const bool logged = WriteWholeFile(t.p, t.at("log.txt"), "written");
        return saved && change && appliedBy && deleted && logged;
    };
    // The watcher makes a change of its own each time: one value, in a key
    // that is there.
    const auto watcherChange = [](PowerMachine& t) {
        return t.setValue(kHkeyUsers, ".DEFAULT\\Control Panel\\Desktop", "Seen", "1");
    };
    std::vector<std::pair<std::uint64_t, std::uint64_t>> watched; // harshest, kindest
    std::size_t changes = 0;
    {
        PowerMachine t;
        ASSERT_TRUE(WriteWholeFile(t.p, t.at("old.txt"), "old"));
        t.e.settle();
        const std::size_t start = t.e.journal().size();
        const auto capture = [&t, &watched] {
            watched.push_back(
                {t.e.survivor(t.harshest()).hash(), t.e.survivor(t.kindest()).hash()});
        };
        capture();
        bool busy = false;
        t.e.watchChanges([&](std::size_t) {
            // The watcher learns of its own change too, and leaves it alone.
            if (busy) {
                return;
            }
            capture();
            busy = true;
            EXPECT_TRUE(watcherChange(t));
            busy = false;
        });
        EXPECT_TRUE(work(t));
        t.e.watchChanges({});
        changes = t.e.journal().size() - start;
    }
    ASSERT_GT(changes, 10u);
    EXPECT_EQ(watched.size(), changes / 2 + 1) << "every other change is the watcher's own";
    std::set<std::pair<std::uint64_t, std::uint64_t>> different;
    for (std::size_t n = 0; n < watched.size(); ++n) {
        SCOPED_TRACE("cut after the work's change " + std::to_string(n));
        PowerMachine t;
        ASSERT_TRUE(WriteWholeFile(t.p, t.at("old.txt"), "old"));
        std::size_t seen = 0;
        bool busy = false;
        t.e.watchChanges([&](std::size_t) {
            if (!busy && ++seen < n) {
                busy = true;
                EXPECT_TRUE(watcherChange(t));
                busy = false;
            }
        });
        t.e.cutPowerAfter(n == 0 ? 0 : 2 * n - 1);
        work(t);
        t.e.watchChanges({});
        EXPECT_TRUE(t.e.powerOff());
        EXPECT_EQ(t.e.survivor(t.harshest()).hash(), watched[n].first);
        EXPECT_EQ(t.e.survivor(t.kindest()).hash(), watched[n].second);
        different.insert(watched[n]);
    }
    EXPECT_EQ(different.size(), watched.size()) << "each change is seen in what a cut leaves";
}

// Every call that changes something is journalled and can be the last one
// before the power goes; once it is off, it fails and changes nothing.
TEST(Power, EveryChangingCallIsACutPoint) {
    struct Case {
        const char* call;
        std::function<void(PowerMachine&)> before;
        std::function<bool(PowerMachine&)> act;
        bool changes; // whether the call changes something here
    };
    const auto loadBob = [](PowerMachine& t) {
        return t.p.RegLoadKeyA(kHkeyUsers, kBob, "C:\\Users\\bob\\NTUSER.DAT") == kErrorSuccess;
    };
    const auto hivePrivileges = [](PowerMachine& t) {
        t.e.addAccount({kBob, "bob", "TARROW-PC"}, false);
        ASSERT_TRUE(t.enable("SeBackupPrivilege"));
        ASSERT_TRUE(t.enable("SeRestorePrivilege"));
    };
    const auto none = [](PowerMachine&) {};
    const std::vector<Case> cases = {
        {"AdjustTokenPrivileges", [](PowerMachine& t) { ASSERT_TRUE(t.openToken()); },
         [](PowerMachine& t) { return t.enable("SeBackupPrivilege"); }, true},
        {"AdjustTokenPrivileges",
         [](PowerMachine& t) { ASSERT_TRUE(t.enable("SeBackupPrivilege")); },
         [](PowerMachine& t) { return t.enable("SeBackupPrivilege"); }, false},
        {"CreateMutexA", none,
         [](PowerMachine& t) { return t.p.CreateMutexA(nullptr, false, "Global\\Mark") != 0; },
         true},
        {"CreateMutexA",
         [](PowerMachine& t) { ASSERT_NE(t.p.CreateMutexA(nullptr, false, "Global\\Mark"), 0u); },
         [](PowerMachine& t) { return t.p.CreateMutexA(nullptr, false, "Global\\Mark") != 0; },
         false},
        {"CreateProcessA", none,
         [](PowerMachine& t) {
             ProcessInformation started;
             return t.p.CreateProcessA("\"" + t.p.GetModuleFileNameA() + "\"", nullptr, nullptr,
                                       false, 0, StartupInfo{}, &started);
         },
         true},
        {"RegLoadKeyA", hivePrivileges, loadBob, true},
        {"RegUnLoadKeyA",
         [&](PowerMachine& t) {
             hivePrivileges(t);
             ASSERT_TRUE(loadBob(t));
         },
         [](PowerMachine& t) { return t.p.RegUnLoadKeyA(kHkeyUsers, kBob) == kErrorSuccess; },
         true},
        {"CreateFileA", none,
         [](PowerMachine& t) {
             UniqueHandle file(
                 t.p, t.p.CreateFileA(t.at("new.txt"), kGenericWrite, 0, nullptr, kOpenAlways, 0));
             return static_cast<bool>(file);
         },
         true},
        {"CopyFileA", none,
         [](PowerMachine& t) { return t.p.CopyFileA(t.at("old.txt"), t.at("copy.txt"), false); },
         true},
        {"RegSaveKeyA",
         [](PowerMachine& t) {
             ASSERT_TRUE(t.enable("SeBackupPrivilege"));
             ASSERT_EQ(
                 t.p.RegOpenKeyExA(kHkeyCurrentUser, "Control Panel", 0, kKeyRead, t.heldKey.put()),
                 kErrorSuccess);
         },
         [](PowerMachine& t) {
             return t.p.RegSaveKeyA(t.heldKey.get(), t.at("saved.hiv")) == kErrorSuccess;
         },
         true},
        {"RegDeleteKeyA",
         [](PowerMachine& t) {
             ASSERT_TRUE(t.setValue(kHkeyLocalMachine, "SOFTWARE\\Tarrow\\Package", "Code", "x"));
             ASSERT_EQ(t.p.RegOpenKeyExA(kHkeyLocalMachine, "SOFTWARE\\Tarrow", 0, kKeyAllAccess,
                                         t.heldKey.put()),
                       kErrorSuccess);
         },
         [](PowerMachine& t) {
             return t.p.RegDeleteKeyA(t.heldKey.get(), "Package") == kErrorSuccess;
         },
         true},
        {"SetFileAttributesA", none,
         [](PowerMachine& t) {
             return t.p.SetFileAttributesA(t.at("old.txt"), kFileAttributeReadOnly);
         },
         true},
    };
    for (const Case& c : cases) {
        for (const bool cutBefore : {false, true}) {
            SCOPED_TRACE(std::string(c.call) + (c.changes ? "" : " that changes nothing") +
                         (cutBefore ? ", power off before it" : ", power off after it"));
            PowerMachine t;
            ASSERT_TRUE(WriteWholeFile(t.p, t.at("old.txt"), "old"));
            c.before(t);
            const auto image = t.e.survivor(t.kindest()).hash();
            t.e.cutPowerAfter(cutBefore ? 0 : 1);
            const std::size_t start = t.e.journal().size();
            const bool done = c.act(t);
            const std::size_t journalled = t.e.journal().size() - start;
            if (cutBefore) {
                EXPECT_FALSE(done);
                EXPECT_EQ(journalled, 0u);
                // The Reg* calls tell it through their status alone.
                if (std::string(c.call).rfind("Reg", 0) != 0) {
                    EXPECT_EQ(t.p.GetLastError(), static_cast<std::uint32_t>(kErrorNotReady));
                }
                EXPECT_EQ(t.e.survivor(t.kindest()).hash(), image) << "nothing changed";
            } else {
                EXPECT_TRUE(done);
                ASSERT_EQ(journalled, c.changes ? 1u : 0u);
                EXPECT_EQ(t.e.powerOff(), c.changes) << "the call is a cut point";
                if (c.changes) {
                    EXPECT_EQ(t.e.journal().back().call, c.call);
                }
            }
        }
    }
}

TEST(Power, AfterTheCutEveryCallFailsAndChangesNothing) {
    PowerMachine t;
    t.e.cutPowerAfter(2);
    EXPECT_TRUE(t.setValue(kHkeyCurrentUser, "Consol", "First", "1")) << "a new key and a value";
    EXPECT_TRUE(t.e.powerOff());
    EXPECT_FALSE(t.setValue(kHkeyCurrentUser, "Consol", "Second", "1"));
    EXPECT_FALSE(WriteWholeFile(t.p, t.at("late.txt"), "late"));
    EXPECT_EQ(t.p.GetLastError(), static_cast<std::uint32_t>(kErrorNotReady));
    EXPECT_FALSE(t.value(kHkeyCurrentUser, "Consol", "First").has_value()) << "reads fail too";
    ASSERT_EQ(t.e.journal().size(), 2u);
    EXPECT_EQ(t.e.journal()[0].call, "RegCreateKeyExA");
    EXPECT_EQ(t.e.journal()[1].call, "RegSetValueExA");
    EXPECT_EQ(t.e.journal()[1].target,
              "hkey_users\\" + emulated::FoldCase(EmulatedPlatform::kUserSid) + "\\consol\\first");

    t.e.reboot(t.kindest());
    EXPECT_EQ(t.value(kHkeyCurrentUser, "Consol", "First"), "1");
    EXPECT_FALSE(t.value(kHkeyCurrentUser, "Consol", "Second").has_value());
    EXPECT_FALSE(t.content("late.txt").has_value());
    EXPECT_TRUE(t.e.journal().empty());
    EXPECT_TRUE(t.setValue(kHkeyCurrentUser, "Consol", "Second", "1")) << "the power is back";
    EXPECT_THROW(t.e.reboot(Survival{}), std::invalid_argument)
        << "a survival must fit what the cut could take";
}

TEST(Power, EachAccountHasItsHiveAndLocalSystemsIsTheDefaultOne) {
    PowerMachine t;
    Platform& p = t.p;
    t.e.addAccount({kBob, "bob", "TARROW-PC"}, true);
    ASSERT_TRUE(t.setValue(kHkeyCurrentUser, "Consol", "Who", "alice"));
    EXPECT_EQ(t.value(kHkeyUsers, std::string(EmulatedPlatform::kUserSid) + "\\Consol", "Who"),
              "alice");
    t.e.runAs(kBob);
    EXPECT_FALSE(t.value(kHkeyCurrentUser, "Consol", "Who").has_value());
    t.e.runAs(std::string(EmulatedPlatform::kLocalSystemSid));
    ASSERT_TRUE(t.setValue(kHkeyCurrentUser, "Consol", "Who", "system"));
    EXPECT_EQ(t.value(kHkeyUsers, ".DEFAULT\\Consol", "Who"), "system");

    UniqueHandle token(p);
    ASSERT_TRUE(p.OpenProcessToken(p.GetCurrentProcess(), kTokenQuery, token.put()));
    std::string sid;
    ASSERT_TRUE(p.GetTokenUserSid(token.get(), &sid));
    EXPECT_EQ(sid, "S-1-5-18");
    std::string name;
    std::string domain;
    ASSERT_TRUE(p.LookupAccountSidA(kBob, &name, &domain));
    EXPECT_EQ(domain + "\\" + name, "TARROW-PC\\bob");
    EXPECT_FALSE(p.LookupAccountSidA("S-1-5-21-1-2-3-4", &name, &domain));
}

TEST(Power, ALoggedOffAccountsHiveLoadsFromItsProfileAndGoesBackThere) {
    PowerMachine t;
    Platform& p = t.p;
    t.e.addAccount({kBob, "bob", "TARROW-PC"}, false);
    const std::string desktop = kBob + "\\Control Panel\\Desktop";
    EXPECT_FALSE(t.value(kHkeyUsers, kBob, "x").has_value());

    UniqueKey profile(p);
    ASSERT_EQ(
        p.RegOpenKeyExA(kHkeyLocalMachine,
                        "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + kBob, 0,
                        kKeyRead, profile.put()),
        kErrorSuccess);
    char path[128] = {};
    std::uint32_t size = sizeof path;
    std::uint32_t kind = 0;
    ASSERT_EQ(p.RegQueryValueExA(profile.get(), "ProfileImagePath", &kind,
                                 reinterpret_cast<std::uint8_t*>(path), &size),
              kErrorSuccess);
    EXPECT_EQ(kind, kRegExpandSz);
    const std::string hiveFile = p.ExpandEnvironmentStringsA(path) + "\\NTUSER.DAT";
    EXPECT_EQ(hiveFile, "C:\\Users\\bob\\NTUSER.DAT");

    EXPECT_EQ(p.RegLoadKeyA(kHkeyUsers, kBob, hiveFile), kErrorPrivilegeNotHeld);
    ASSERT_TRUE(t.enable("SeBackupPrivilege"));
    ASSERT_TRUE(t.enable("SeRestorePrivilege"));
    ASSERT_EQ(p.RegLoadKeyA(kHkeyUsers, kBob, hiveFile), kErrorSuccess);
    EXPECT_EQ(p.RegLoadKeyA(kHkeyUsers, "again", hiveFile), kErrorSharingViolation);
    ASSERT_TRUE(t.setValue(kHkeyUsers, desktop, "HungAppTimeout", "5000"));
    {
        UniqueKey open(p);
        ASSERT_EQ(p.RegOpenKeyExA(kHkeyUsers, desktop, 0, kKeyRead, open.put()), kErrorSuccess);
        EXPECT_EQ(p.RegUnLoadKeyA(kHkeyUsers, kBob), kErrorAccessDenied) << "a handle is open";
    }
    EXPECT_EQ(p.RegUnLoadKeyA(kHkeyUsers, ".DEFAULT"), kErrorAccessDenied) << "the system's own";
    ASSERT_EQ(p.RegUnLoadKeyA(kHkeyUsers, kBob), kErrorSuccess);
    EXPECT_FALSE(t.value(kHkeyUsers, desktop, "HungAppTimeout").has_value());
    EXPECT_EQ(t.e.registryDump()["hkey_users\\" + emulated::FoldCase(kBob) +
                                 "\\control panel\\desktop"]["hungapptimeout"]
                  .bytes.size(),
              8u)
        << "unloading wrote the hive back to its file, the text as four wide characters";
    EXPECT_TRUE(t.e.cutDimensions().hives.empty()) << "an unload is a flush";

    // A hive a program loaded is gone after a reboot, with as many of its
    // changes since the load as the cut leaves it.
    for (const std::size_t kept : {0u, 1u}) {
        SCOPED_TRACE(std::to_string(kept) + " changes kept");
        ASSERT_TRUE(t.enable("SeBackupPrivilege"));
        ASSERT_TRUE(t.enable("SeRestorePrivilege"));
        ASSERT_EQ(p.RegLoadKeyA(kHkeyUsers, kBob, hiveFile), kErrorSuccess);
        ASSERT_TRUE(t.setValue(kHkeyUsers, desktop, "HungAppTimeout", "1"));
        Survival survival = t.kindest();
        ASSERT_EQ(t.e.cutDimensions().hives.size(), 1u);
        EXPECT_EQ(t.e.cutDimensions().hives[0].name, "hkey_users\\" + emulated::FoldCase(kBob));
        survival.hiveChanges[0] = kept;
        t.e.reboot(survival);
        t.token.release(); // the reboot closed it
        EXPECT_FALSE(t.value(kHkeyUsers, desktop, "HungAppTimeout").has_value()) << "unloaded";
        t.e.setLoggedOn(kBob, true);
        EXPECT_EQ(t.value(kHkeyUsers, desktop, "HungAppTimeout"), kept == 1 ? "1" : "5000");
        t.e.setLoggedOn(kBob, false);
    }
}

} // namespace
