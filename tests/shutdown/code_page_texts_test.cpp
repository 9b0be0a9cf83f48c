// Texts of other scripts at a pair, as a program that writes wide text leaves
// them: the speed-up changes and the restore puts back only those that the
// ANSI code page carries; every other one stays as it was, byte for byte in
// its wide form, and nothing else moves.
#include "shutdown/apply.h"
#include "shutdown/restore.h"
#include "tests/shutdown/registry_changes.h"
#include "tests/shutdown/shutdown_machine.h"

#include <gtest/gtest.h>

#include <string>

namespace tarrow::shutdown {
namespace {

using testing::ShutdownMachine;

// Where the machine's registry dump keeps a pair's value.
std::pair<std::string, std::string> DumpPlace(const ReadPair& pair) {
    std::string key =
        pair.place->root == RegistryRoot::LocalMachine ? "hkey_local_machine" : "hkey_users";
    if (pair.place->root == RegistryRoot::CurrentUser) {
        key += "\\" + std::string(platform::EmulatedPlatform::kUserSid);
    }
    key += "\\" + std::string(pair.place->keyPath);
    return {platform::emulated::FoldCase(key),
            platform::emulated::FoldCase(TimeoutName(pair.timeout))};
}

TEST(CodePageTexts, OnlyTextsTheCodePageCarriesAreChangedAndPutBack) {
    const struct {
        const char* name;
        std::u16string text;
        SavedValue saved;
    } cases[] = {
        {"plain ASCII", u"5000", SavedValue::Exact("5000")},
        {"a Latin-1 letter", u"d\u00e9lai", SavedValue::Exact("d\xe9lai")},
        {"the euro sign", u"5\u20ac", SavedValue::Exact("5\x80")},
        {"a question mark of its own", u"?", SavedValue::Exact("?")},
        {"a Cyrillic letter", u"\u0411", SavedValue::LeftAlone()},
        {"a Chinese character", u"\u4e2d", SavedValue::LeftAlone()},
        {"a mix", u"20\u00e9\u4e2d\u0411", SavedValue::LeftAlone()},
        {"empty", u"", SavedValue::LeftAlone()},
    };
    // Pair 0 is the running account's HungAppTimeout, pair 4 the machine's
    // WaitToKillServiceTimeout.
    for (const std::size_t entry : {std::size_t{0}, std::size_t{4}}) {
        const ReadPair& pair = ReadingOrder()[entry];
        const auto [dumpKey, dumpValue] = DumpPlace(pair);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " at pair " + std::to_string(entry));
            ShutdownMachine m;
            const auto texts = m.FillEveryPlace();
            std::u16string stored = c.text;
            stored += u'\0';
            m.emulated.setWideValue(RootKey(pair.place->root), std::string(pair.place->keyPath),
                                    std::string(TimeoutName(pair.timeout)), platform::kRegSz,
                                    stored);
            const testing::RegistryDump original = m.emulated.registryDump();
            const auto& wide = original.at(dumpKey).at(dumpValue);
            ASSERT_EQ(wide.bytes.size(), stored.size() * 2) << "kept as wide text";

            const ApplyReport applied = Apply(m.p, m.programFolder, {true, false}, m.bar);
            ASSERT_EQ(applied.outcome, ApplyOutcome::Applied);
            EXPECT_EQ(applied.saved[entry], c.saved);
            const auto afterApply = m.emulated.registryDump().at(dumpKey).at(dumpValue);
            if (c.saved.kind == SavedKind::LeftAlone) {
                EXPECT_EQ(afterApply.bytes, wide.bytes) << "the speed-up leaves it alone";
            } else {
                EXPECT_EQ(m.Text(entry), "0");
            }

            EXPECT_EQ(Restore(m.p, m.programFolder, m.bar).outcome, RestoreOutcome::Restored);
            const auto after = m.emulated.registryDump();
            const auto changed = testing::UnexpectedChanges(
                original, after, std::string(platform::EmulatedPlatform::kUserSid));
            EXPECT_TRUE(changed.empty()) << changed.front();
            if (c.saved.kind == SavedKind::LeftAlone) {
                EXPECT_EQ(after.at(dumpKey).at(dumpValue).bytes, wide.bytes) << "byte for byte";
            }
            for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
                if (k != entry) {
                    EXPECT_EQ(m.Text(k), texts[k]) << k;
                }
            }
        }
    }
}

} // namespace
} // namespace tarrow::shutdown
