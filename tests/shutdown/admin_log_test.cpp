// Tarrow.log's writer on the emulated machine: what it refuses, how it
// rotates, how it continues a file that a cut left torn, and that a cut at
// any change leaves each entry whole or absent.
#include "shutdown/admin_log.h"

#include "platform/emulated/emulated_platform.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace tarrow::shutdown {
namespace {

using platform::EmulatedPlatform;
using platform::emulated::DiskImage;
using platform::emulated::FileSurvival;
using platform::emulated::kEveryFileSurvival;
using platform::emulated::Survival;

constexpr const char* kFolder = "C:\\windows\\Logs\\Tarrow";
constexpr const char* kLog = "C:\\windows\\Logs\\Tarrow\\Tarrow.log";
constexpr const char* kOlderLog = "C:\\windows\\Logs\\Tarrow\\Tarrow.log.1";
constexpr const char* kLogKey = "c:\\windows\\logs\\tarrow\\tarrow.log";
constexpr std::string_view kBobSid = "S-1-5-21-3623811015-3361044348-30300820-1002";

struct LogMachine {
    testing::TestMachine machine;
    EmulatedPlatform& emulated = *machine.emulated();
    platform::Platform& p = machine.platform();

    std::string Host(const std::string& path) const { return emulated.hostPath(path); }
    void Put(const std::string& path, const std::string& content) {
        std::filesystem::create_directories(std::filesystem::path(Host(path)).parent_path());
        std::ofstream(Host(path), std::ios::binary) << content;
    }
    std::optional<std::string> Get(const std::string& path) const {
        std::ifstream in(Host(path), std::ios::binary);
        if (!in) {
            return std::nullopt;
        }
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

std::vector<std::string> Entry(const std::string& name) {
    return {"Operation: " + name, "Outcome: done"};
}

std::string Framed(const std::vector<std::string>& lines) {
    std::string text = std::string(kEntryStart) + "\r\n";
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text + kEntryEnd + "\r\n";
}

TEST(AdminLog, MakesItsFolderForAdministratorsOnlyAndKeepsEntriesInOrder) {
    LogMachine m;
    ASSERT_EQ(AdminLogFolder(m.p), kFolder);
    EXPECT_EQ(AppendLogEntry(m.p, kFolder, Entry("apply")).outcome, LogWrite::Written);
    EXPECT_EQ(AppendLogEntry(m.p, kFolder, {"a line\r\nwith\nbreaks"}).outcome, LogWrite::Written);
    const auto text = m.Get(kLog);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, Framed(Entry("apply")) + Framed({"a line  with breaks"}));

    // A standard account can neither read the log nor add to it.
    m.emulated.addAccount({std::string(kBobSid), "bob", "TARROW-PC", false}, true);
    m.emulated.runAs(std::string(kBobSid));
    const LogWriteResult refused = AppendLogEntry(m.p, kFolder, Entry("restore"));
    EXPECT_EQ(refused.outcome, LogWrite::NotOpened);
    EXPECT_EQ(refused.error, static_cast<std::uint32_t>(platform::kErrorAccessDenied));
    EXPECT_EQ(m.Get(kLog), text);
}

TEST(AdminLog, WhatCannotBeUsedIsRefusedAndLeftAsItWas) {
    struct Case {
        const char* name;
        std::function<void(LogMachine&)> arrange;
        LogWrite outcome;
        const char* untouched; // a file that must keep "before"
    };
    const Case cases[] = {
        {"a logs folder that cannot be made",
         [](LogMachine& m) { m.emulated.failCreate("C:\\windows\\Logs"); }, LogWrite::NoFolder,
         nullptr},
        {"a folder that is a link",
         [](LogMachine& m) {
             m.Put("C:\\elsewhere\\Tarrow.log", "before");
             std::filesystem::create_directories(m.Host("C:\\windows\\Logs"));
             std::filesystem::create_directory_symlink(m.Host("C:\\elsewhere"), m.Host(kFolder));
         },
         LogWrite::ReparsePoint, "C:\\elsewhere\\Tarrow.log"},
        {"a logs folder that is a link",
         [](LogMachine& m) {
             m.Put("C:\\elsewhere\\Tarrow\\Tarrow.log", "before");
             std::filesystem::create_directory_symlink(m.Host("C:\\elsewhere"),
                                                       m.Host("C:\\windows\\Logs"));
         },
         LogWrite::ReparsePoint, "C:\\elsewhere\\Tarrow\\Tarrow.log"},
        {"a log file that is a link",
         [](LogMachine& m) {
             m.Put("C:\\elsewhere\\target.txt", "before");
             std::filesystem::create_directories(m.Host(kFolder));
             std::filesystem::create_symlink(m.Host("C:\\elsewhere\\target.txt"), m.Host(kLog));
         },
         LogWrite::ReparsePoint, "C:\\elsewhere\\target.txt"},
        {"a log file held by another program",
         [](LogMachine& m) {
             m.Put(kLog, "before");
             // Leaked on purpose: the handle holds the file for the test's life.
             ASSERT_NE(m.p.CreateFileA(kLog, platform::kGenericRead, 0, nullptr,
                                       platform::kOpenExisting, platform::kFileAttributeNormal),
                       platform::kInvalidHandle);
         },
         LogWrite::Busy, kLog},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogMachine m;
        c.arrange(m);
        const std::uint64_t slept = m.emulated.sleptMilliseconds();

        const LogWriteResult result = AppendLogEntry(m.p, kFolder, Entry("apply"));

        EXPECT_EQ(result.outcome, c.outcome);
        if (c.untouched != nullptr) {
            EXPECT_EQ(m.Get(c.untouched), "before");
        }
        const bool waited = c.outcome == LogWrite::Busy;
        EXPECT_EQ(m.emulated.sleptMilliseconds() - slept,
                  waited ? (kLogOpenTries - 1) * std::uint64_t{kLogOpenPause} : 0u);
    }
}

TEST(AdminLog, PastOneMegabyteTheFileBecomesTheOlderOneAndANewOneStarts) {
    struct Case {
        std::size_t size;
        bool rotates;
    };
    const Case cases[] = {{kRotateAt - 1, false}, {kRotateAt, true}, {kRotateAt + 4096, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        LogMachine m;
        const std::string framed = Framed(Entry("old"));
        const std::string previous = framed + std::string(c.size - framed.size() - 2, '.') + "\r\n";
        m.Put(kLog, previous);
        m.Put(kOlderLog, "an older log");

        const LogWriteResult result = AppendLogEntry(m.p, kFolder, Entry("apply"));

        EXPECT_EQ(result.outcome, LogWrite::Written);
        EXPECT_EQ(result.rotated, c.rotates);
        if (c.rotates) {
            EXPECT_EQ(m.Get(kOlderLog), previous);
            EXPECT_EQ(m.Get(kLog), Framed(Entry("apply")));
        } else {
            EXPECT_EQ(m.Get(kOlderLog), "an older log");
            EXPECT_EQ(ReadableEntries(*m.Get(kLog)).back(), Entry("apply"));
        }
        std::size_t files = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator(m.Host(kFolder))) {
            ++files;
        }
        EXPECT_EQ(files, 2u);
    }
}

TEST(AdminLog, ATornLastLineIsSkippedAndTheNextEntryStartsOnAFreshLine) {
    const std::string whole = Framed(Entry("apply"));
    struct Case {
        const char* name;
        std::string before;
        std::size_t wholeBefore;
    };
    const Case cases[] = {
        {"an empty file", "", 0},
        {"a whole entry", whole, 1},
        {"an entry cut inside a line", whole + std::string(kEntryStart) + "\r\nOpera", 1},
        {"an entry cut before its end line", whole + Framed(Entry("x")).substr(0, 40), 1},
        {"zeros where an entry was to go", whole + std::string(57, '\0'), 1},
        {"a lone CR", whole + "\r", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogMachine m;
        m.Put(kLog, c.before);

        ASSERT_EQ(AppendLogEntry(m.p, kFolder, Entry("restore")).outcome, LogWrite::Written);

        const std::string text = *m.Get(kLog);
        EXPECT_EQ(text.substr(0, c.before.size()), c.before);
        const auto entries = ReadableEntries(text);
        ASSERT_EQ(entries.size(), c.wholeBefore + 1);
        EXPECT_EQ(entries.back(), Entry("restore"));
        EXPECT_TRUE(text.ends_with("\r\n" + Framed(Entry("restore"))) || c.before.empty());
    }
}

// Every way a cut can leave the disk that matters here: the harshest, the
// kindest, and each content of each file written since its flush.
std::vector<Survival> SurvivalsOf(const platform::emulated::CutDimensions& cut) {
    std::vector<Survival> survivals = {Survival::Harshest(cut), Survival::Kindest(cut)};
    for (std::size_t f = 0; f < cut.unflushedFiles.size(); ++f) {
        for (const FileSurvival content : kEveryFileSurvival) {
            Survival one = Survival::Kindest(cut);
            one.files[f] = content;
            survivals.push_back(one);
        }
    }
    return survivals;
}

TEST(AdminLog, ACutAtAnyChangeLeavesEachEntryWholeOrAbsent) {
    struct Case {
        const char* name;
        std::size_t before; // entries written and flushed before
    };
    const Case cases[] = {{"the first entry", 0}, {"a later entry", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogMachine m;
        std::vector<std::vector<std::string>> expected;
        for (std::size_t e = 0; e < c.before; ++e) {
            expected.push_back(Entry("earlier " + std::to_string(e)));
            ASSERT_EQ(AppendLogEntry(m.p, kFolder, expected.back()).outcome, LogWrite::Written);
        }
        m.emulated.settle();
        const DiskImage start = m.emulated.survivor(Survival::Kindest(m.emulated.cutDimensions()));

        std::vector<DiskImage> cuts;
        m.emulated.watchChanges([&](std::size_t) {
            for (DiskImage& image : m.emulated.survivors(SurvivalsOf(m.emulated.cutDimensions()))) {
                cuts.push_back(std::move(image));
            }
        });
        ASSERT_EQ(AppendLogEntry(m.p, kFolder, Entry("cut")).outcome, LogWrite::Written);
        m.emulated.watchChanges({});
        ASSERT_GT(cuts.size(), 4u);

        auto withCut = expected;
        withCut.push_back(Entry("cut"));
        for (std::size_t i = 0; i < cuts.size(); ++i) {
            SCOPED_TRACE("cut " + std::to_string(i));
            const auto file = cuts[i].files.find(kLogKey);
            const auto entries = file == cuts[i].files.end()
                                     ? std::vector<std::vector<std::string>>{}
                                     : ReadableEntries(file->second.content);
            // Earlier entries were flushed: they last whatever the cut.
            EXPECT_TRUE(entries == expected || entries == withCut);

            // The machine starts again and the next entry is whole after them.
            m.emulated.restartFrom(cuts[i]);
            ASSERT_EQ(AppendLogEntry(m.p, kFolder, Entry("after")).outcome, LogWrite::Written);
            auto after = entries;
            after.push_back(Entry("after"));
            EXPECT_EQ(ReadableEntries(*m.Get(kLog)), after);
        }
        m.emulated.restartFrom(start);
    }
}

} // namespace
} // namespace tarrow::shutdown
