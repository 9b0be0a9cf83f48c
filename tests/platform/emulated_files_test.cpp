// The file rules of the machine: attributes, names without regard to case,
// listings as Dir() sees them, and the refusals of copy, delete and create.
#include "platform/files.h"
#include "platform/handles.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace platform;
using tarrow::testing::TestMachine;

constexpr std::uint32_t kErrorFileExists = 80;

class Files : public ::testing::Test {
protected:
    TestMachine machine;
    Platform& p = machine.platform();
    const std::string dir = machine.scratchFolder();

    std::string at(const std::string& name) const { return dir + "\\" + name; }

    void make(const std::string& name, const std::string& content,
              std::uint32_t attributes = kFileAttributeNormal) {
        ASSERT_TRUE(WriteWholeFile(p, at(name), content)) << name;
        ASSERT_TRUE(p.SetFileAttributesA(at(name), attributes)) << name;
    }

    std::uint32_t error() { return p.GetLastError(); }

    static std::vector<std::string> sorted(std::vector<std::string> list) {
        std::sort(list.begin(), list.end());
        return list;
    }

    static std::vector<std::string> names(const std::vector<FindData>& entries) {
        std::vector<std::string> result;
        for (const auto& entry : entries) {
            result.push_back(entry.fileName);
        }
        return result;
    }
};

TEST_F(Files, NewFilesAreArchiveFoldersDirectoriesAndMissingOnesToldApart) {
    ASSERT_TRUE(WriteWholeFile(p, at("new.txt"), "x"));
    EXPECT_EQ(p.GetFileAttributesA(at("new.txt")), kFileAttributeArchive);
    EXPECT_EQ(p.GetFileAttributesA(dir) & kFileAttributeDirectory, kFileAttributeDirectory);

    EXPECT_EQ(p.GetFileAttributesA(at("absent.txt")), kInvalidFileAttributes);
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorFileNotFound));
    EXPECT_EQ(p.GetFileAttributesA(at("absent\\x.txt")), kInvalidFileAttributes);
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorPathNotFound));
    EXPECT_FALSE(p.SetFileAttributesA(at("absent.txt"), kFileAttributeNormal));
}

TEST_F(Files, AttributesReadBackAsSet) {
    TARROW_SKIP_ON_WINE(machine, "every file reads with the archive attribute, whatever was set");
    ASSERT_TRUE(WriteWholeFile(p, at("new.txt"), "x"));
    ASSERT_TRUE(p.SetFileAttributesA(at("new.txt"), kFileAttributeNormal));
    EXPECT_EQ(p.GetFileAttributesA(at("new.txt")), kFileAttributeNormal)
        << "a file without attributes reads as normal";
    ASSERT_TRUE(p.SetFileAttributesA(at("new.txt"), kFileAttributeHidden | kFileAttributeReadOnly));
    EXPECT_EQ(p.GetFileAttributesA(at("NEW.TXT")), kFileAttributeHidden | kFileAttributeReadOnly);
}

TEST_F(Files, NamesMatchWithoutRegardToCaseAndKeepTheirSpellingOnDisk) {
    make("Mixed.TXT", "first");
    ASSERT_TRUE(WriteWholeFile(p, at("mixed.txt"), "second"));
    EXPECT_EQ(ReadWholeFile(p, at("MIXED.Txt")), "second");
    const auto entries = ListEntries(p, at("*"), 0);
    EXPECT_EQ(names(entries), std::vector<std::string>{"Mixed.TXT"})
        << "rewriting in another case keeps one file with its first spelling";
    EXPECT_NE(p.GetFileAttributesA(dir + "/MIXED.TXT"), kInvalidFileAttributes)
        << "slashes separate names too";
}

TEST_F(Files, ListingsShowDotsThenEntriesAndHideWhatDirHides) {
    make("b.txt", "");
    make("A.dat", "");
    make("Noext", "");
    make("h.sys", "", kFileAttributeHidden | kFileAttributeSystem);
    make("ro.txt", "", kFileAttributeReadOnly);

    auto all = names(ListEntries(
        p, at("*.*"), kFileAttributeHidden | kFileAttributeSystem | kFileAttributeDirectory));
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[0], ".");
    EXPECT_EQ(all[1], "..");
    const std::vector<std::string> files(all.begin() + 2, all.end());
    const std::vector<std::string> expected = {"A.dat", "b.txt", "h.sys", "Noext", "ro.txt"};
    if (machine.emulated() != nullptr) {
        EXPECT_EQ(files, expected)
            << "case-insensitive name order; \"*.*\" also finds names without a dot";
    }
    EXPECT_EQ(sorted(files), sorted(expected));

    EXPECT_EQ(sorted(names(ListEntries(p, at("*"), 0))),
              sorted({"A.dat", "b.txt", "Noext", "ro.txt"}))
        << "hidden, system and directory entries need their attribute asked for";
    EXPECT_TRUE(EntryExists(p, at("H.SYS"), kFileAttributeHidden | kFileAttributeSystem));
    EXPECT_FALSE(EntryExists(p, at("H.SYS"), kFileAttributeHidden));
    EXPECT_EQ(names(ListEntries(p, at("*.TXT"), 0)).size(), 2u);
    EXPECT_FALSE(EntryExists(p, dir, 0)) << "a folder needs the directory attribute asked for";
    EXPECT_TRUE(EntryExists(p, dir, kFileAttributeDirectory));
}

TEST_F(Files, FindingNothingAndFindingInAMissingFolderFailDifferently) {
    FindData data;
    EXPECT_EQ(p.FindFirstFileA(at("*.none"), &data), kInvalidHandle);
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorFileNotFound));
    EXPECT_EQ(p.FindFirstFileA(at("absent\\*"), &data), kInvalidHandle);
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorPathNotFound));

    make("only.txt", "");
    UniqueFind find(p, p.FindFirstFileA(at("ONLY.*"), &data));
    ASSERT_TRUE(find);
    EXPECT_EQ(data.fileName, "only.txt");
    EXPECT_FALSE(p.FindNextFileA(find.get(), &data));
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorNoMoreFiles));
}

TEST_F(Files, CopyReplacesPlainTargetsUnlessToldNotTo) {
    make("src.txt", "source", kFileAttributeReadOnly);
    ASSERT_TRUE(p.CopyFileA(at("src.txt"), at("copy.txt"), false));
    EXPECT_EQ(ReadWholeFile(p, at("copy.txt")), "source");
    EXPECT_EQ(p.GetFileAttributesA(at("copy.txt")), kFileAttributeReadOnly | kFileAttributeArchive);

    make("plain.txt", "old");
    EXPECT_FALSE(p.CopyFileA(at("src.txt"), at("plain.txt"), true));
    EXPECT_EQ(error(), kErrorFileExists);
    ASSERT_TRUE(p.CopyFileA(at("src.txt"), at("PLAIN.TXT"), false));
    EXPECT_EQ(ReadWholeFile(p, at("plain.txt")), "source");

    EXPECT_FALSE(p.CopyFileA(at("absent.txt"), at("x.txt"), false));
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorFileNotFound));
}

TEST_F(Files, CopyRefusesReadOnlyHiddenAndSystemTargets) {
    TARROW_SKIP_ON_WINE(machine, "CopyFileA replaces read-only, hidden and system files");
    make("readonly.txt", "old", kFileAttributeReadOnly);
    make("hidden.txt", "old", kFileAttributeHidden);
    make("system.txt", "old", kFileAttributeSystem);
    make("normal.txt", "plain source");
    for (const char* target : {"readonly.txt", "hidden.txt", "system.txt"}) {
        EXPECT_FALSE(p.CopyFileA(at("normal.txt"), at(target), false)) << target;
        EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorAccessDenied)) << target;
        EXPECT_EQ(ReadWholeFile(p, at(target)), "old") << target;
    }
}

TEST_F(Files, DeleteRefusesReadOnlyFilesFoldersAndMissingOnes) {
    make("ro.txt", "", kFileAttributeReadOnly);
    EXPECT_FALSE(p.DeleteFileA(at("ro.txt")));
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorAccessDenied));
    ASSERT_TRUE(p.SetFileAttributesA(at("ro.txt"), kFileAttributeNormal));
    EXPECT_TRUE(p.DeleteFileA(at("RO.TXT")));
    EXPECT_EQ(p.GetFileAttributesA(at("ro.txt")), kInvalidFileAttributes);

    EXPECT_FALSE(p.DeleteFileA(at("ro.txt")));
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorFileNotFound));
    EXPECT_FALSE(p.DeleteFileA(dir));
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorAccessDenied));

    make("hidden.txt", "", kFileAttributeHidden | kFileAttributeSystem);
    EXPECT_TRUE(p.DeleteFileA(at("hidden.txt"))) << "only read-only protects from deletion";
}

TEST_F(Files, CreateAlwaysTellsThatTheFileWasThereAndTruncatesIt) {
    make("settings.ini", "old");
    p.SetLastError(0);
    UniqueHandle file(p, p.CreateFileA(at("SETTINGS.INI"), kGenericWrite, 0, nullptr, kCreateAlways,
                                       kFileAttributeNormal));
    ASSERT_TRUE(file);
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorAlreadyExists));
    file.reset();
    EXPECT_EQ(ReadWholeFile(p, at("settings.ini")), "");
}

TEST_F(Files, CreateAlwaysRefusesHiddenSystemAndReadOnlyFilesUnlessAskedFor) {
    TARROW_SKIP_ON_WINE(machine, "CreateFileA replaces hidden files and opens read-only ones for "
                                 "writing");
    make("hidden.ini", "old", kFileAttributeHidden);
    make("system.ini", "old", kFileAttributeSystem);
    make("readonly.ini", "old", kFileAttributeReadOnly);
    for (const char* name : {"hidden.ini", "system.ini"}) {
        EXPECT_EQ(
            p.CreateFileA(at(name), kGenericWrite, 0, nullptr, kCreateAlways, kFileAttributeNormal),
            kInvalidHandle)
            << name;
        EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorAccessDenied)) << name;
    }
    EXPECT_EQ(p.CreateFileA(at("readonly.ini"), kGenericWrite, 0, nullptr, kCreateAlways,
                            kFileAttributeReadOnly),
              kInvalidHandle);
    EXPECT_EQ(p.CreateFileA(at("readonly.ini"), kGenericWrite, 0, nullptr, kOpenExisting,
                            kFileAttributeNormal),
              kInvalidHandle)
        << "a read-only file cannot be opened for writing";
    EXPECT_EQ(ReadWholeFile(p, at("readonly.ini")), "old");

    UniqueHandle file(p, p.CreateFileA(at("hidden.ini"), kGenericWrite, 0, nullptr, kCreateAlways,
                                       kFileAttributeHidden));
    EXPECT_TRUE(file) << "asking for the hidden attribute again";
    file.reset();
    EXPECT_EQ(p.GetFileAttributesA(at("hidden.ini")), kFileAttributeHidden | kFileAttributeArchive);
}

TEST_F(Files, ReadsFollowTheFilePositionAndOpenAlwaysKeepsTheContent) {
    make("data.bin", "abcdef");
    UniqueHandle file(p, p.CreateFileA(at("data.bin"), kGenericRead, kFileShareRead, nullptr,
                                       kOpenAlways, kFileAttributeNormal));
    ASSERT_TRUE(file);
    char buffer[4] = {};
    std::uint32_t read = 0;
    ASSERT_TRUE(p.ReadFile(file.get(), buffer, 4, &read));
    EXPECT_EQ(std::string(buffer, read), "abcd");
    ASSERT_TRUE(p.ReadFile(file.get(), buffer, 4, &read));
    EXPECT_EQ(std::string(buffer, read), "ef");
    EXPECT_TRUE(p.ReadFile(file.get(), buffer, 4, &read)) << "the end is no error";
    EXPECT_EQ(read, 0u);
    std::uint32_t written = 0;
    EXPECT_FALSE(p.WriteFile(file.get(), "x", 1, &written)) << "opened for reading only";

    EXPECT_EQ(p.CreateFileA(at("absent.bin"), kGenericRead, 0, nullptr, kOpenExisting, 0),
              kInvalidHandle);
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorFileNotFound));
    EXPECT_EQ(p.CreateFileA(at("absent\\new.bin"), kGenericWrite, 0, nullptr, kCreateAlways, 0),
              kInvalidHandle);
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorPathNotFound));
}

TEST_F(Files, AFileOpenWithoutSharingRefusesOtherOpensAndDeletion) {
    UniqueHandle writer(p, p.CreateFileA(at("busy.txt"), kGenericWrite, 0, nullptr, kCreateAlways,
                                         kFileAttributeNormal));
    ASSERT_TRUE(writer);
    std::uint32_t written = 0;
    ASSERT_TRUE(p.WriteFile(writer.get(), "busy", 4, &written));
    EXPECT_EQ(
        p.CreateFileA(at("busy.txt"), kGenericRead, kFileShareRead, nullptr, kOpenExisting, 0),
        kInvalidHandle);
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorSharingViolation));
    EXPECT_FALSE(p.DeleteFileA(at("busy.txt")));
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorSharingViolation));
    writer.reset();
    EXPECT_EQ(ReadWholeFile(p, at("busy.txt")), "busy") << "written through once closed";
    EXPECT_TRUE(p.DeleteFileA(at("busy.txt")));
}

TEST_F(Files, MoveReplacesOnlyWhenTold) {
    make("new.txt", "new");
    make("old.txt", "old");
    EXPECT_FALSE(p.MoveFileExA(at("new.txt"), at("old.txt"), 0));
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorAlreadyExists));
    EXPECT_EQ(ReadWholeFile(p, at("old.txt")), "old");

    ASSERT_TRUE(p.MoveFileExA(at("new.txt"), at("old.txt"),
                              kMoveFileReplaceExisting | kMoveFileWriteThrough));
    EXPECT_EQ(ReadWholeFile(p, at("old.txt")), "new");
    EXPECT_EQ(p.GetFileAttributesA(at("new.txt")), kInvalidFileAttributes) << "moved, not copied";
    EXPECT_FALSE(p.MoveFileExA(at("absent.txt"), at("fourth.txt"), kMoveFileReplaceExisting));
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorFileNotFound));
}

TEST_F(Files, MoveNeverReplacesAReadOnlyFile) {
    TARROW_SKIP_ON_WINE(machine, "MoveFileExA replaces a read-only file");
    make("new.txt", "new");
    make("old.txt", "old", kFileAttributeReadOnly);
    EXPECT_FALSE(p.MoveFileExA(at("new.txt"), at("old.txt"), kMoveFileReplaceExisting));
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorAccessDenied));
    ASSERT_TRUE(p.SetFileAttributesA(at("old.txt"), kFileAttributeNormal));
}

TEST_F(Files, FlushNeedsAHandleThatMayWrite) {
    make("data.txt", "data");
    UniqueHandle reader(
        p, p.CreateFileA(at("data.txt"), kGenericRead, kFileShareRead, nullptr, kOpenExisting, 0));
    ASSERT_TRUE(reader);
    EXPECT_FALSE(p.FlushFileBuffers(reader.get()));
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorAccessDenied));
    reader.reset();
    UniqueHandle writer(p,
                        p.CreateFileA(at("data.txt"), kGenericWrite, 0, nullptr, kOpenExisting, 0));
    ASSERT_TRUE(writer);
    EXPECT_TRUE(p.FlushFileBuffers(writer.get()));
}

} // namespace
