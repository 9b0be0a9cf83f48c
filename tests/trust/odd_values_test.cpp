// Values that the saved text cannot carry exactly come through an apply and
// a restore untouched, byte for byte, and do not move anything between the
// other pairs: each odd value in turn, at a pair of the user's own and at a
// pair of the machine's.
#include "tests/trust/trust_machine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarrow::testing {
namespace {

struct Odd {
    const char* name;
    std::uint32_t kind;
    std::string bytes;
    // The value as the restore writes it back, or "" when it is never touched.
    std::string restoredAs;
};

const std::vector<Odd>& OddValues() {
    static const std::vector<Odd> odd = {
        {"an expandable string", platform::kRegExpandSz, std::string("10\0", 3), ""},
        {"an expandable string of three bytes", platform::kRegExpandSz, "10\x30", ""},
        {"several strings", platform::kRegMultiSz, std::string("5000\0x\0\0", 9), ""},
        {"binary data", platform::kRegBinary, std::string("\x88\x13", 2), ""},
        {"a 64-bit number", platform::kRegQword, std::string("\x88\x13\0\0\0\0\0\0", 8), ""},
        {"an empty string", platform::kRegSz, std::string("\0", 1), ""},
        {"a string of no bytes", platform::kRegSz, "", ""},
        {"a line break with another line", platform::kRegSz, "5\r\n0: 99999999", ""},
        {"a lone LF", platform::kRegSz, "5\n7", ""},
        {"a lone CR", platform::kRegSz, "5\r7", ""},
        {"a NUL inside", platform::kRegSz,
         std::string("5\0"
                     "7",
                     3),
         ""},
        {"5,000 characters", platform::kRegSz, std::string(5000, '7'), ""},
        {"the text NO", platform::kRegSz, "NO", ""},
        {"the text NO with a space", platform::kRegSz, "NO ", ""},
        {"a number", platform::kRegDword, std::string("\x88\x13\0\0", 4), "5000"},
        {"a string with its NUL", platform::kRegSz, std::string("20000\0", 6), "20000"},
    };
    return odd;
}

TEST(OddValues, ComeThroughAnApplyAndARestoreUntouchedAndMoveNothingElse) {
    // Pair 0 is place 0's HungAppTimeout, pair 21 place 6's
    // WaitToKillServiceTimeout (read under another spelling of its name).
    for (const std::size_t entry : {std::size_t{0}, std::size_t{21}}) {
        const ReadPair& pair = ReadingOrder()[entry];
        for (const Odd& odd : OddValues()) {
            SCOPED_TRACE(std::string(odd.name) + " at pair " + std::to_string(entry));
            TrustMachine t;
            const auto texts = t.FillEveryPlace();
            ASSERT_TRUE(WriteRaw(t.m.p, pair.place->root, std::string(pair.place->keyPath),
                                 std::string(TimeoutName(pair.timeout)), odd.kind,
                                 Bytes(odd.bytes)));
            const StoredPair before = t.m.Stored(entry);
            const RegistryDump original = t.m.emulated.registryDump();

            t.Apply();
            const bool carried = !odd.restoredAs.empty();
            if (!carried) {
                EXPECT_EQ(t.m.Stored(entry), before) << "the apply leaves it alone";
            }
            for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
                if (k != entry) {
                    EXPECT_EQ(t.m.Text(k), "0") << k;
                }
            }
            const auto saved =
                ParseSavedText(*t.m.Content(t.m.InSystemDirectory(kSavedValuesFile)));
            ASSERT_TRUE(saved.has_value()) << "the saved file stays sound";
            EXPECT_EQ((*saved)[entry], carried ? shutdown::SavedValue::Exact(odd.restoredAs)
                                               : shutdown::SavedValue::LeftAlone());
            t.Restore();

            const auto changed = UnexpectedChanges(original, t.m.emulated.registryDump(), kAlice);
            EXPECT_TRUE(changed.empty()) << changed.front();
            for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
                if (k != entry) {
                    EXPECT_EQ(t.m.Text(k), texts[k]) << k;
                }
            }
            if (carried) {
                EXPECT_EQ(t.m.Text(entry), odd.restoredAs);
            } else {
                EXPECT_EQ(t.m.Stored(entry), before) << "byte for byte";
            }
            EXPECT_FALSE(t.SavedFilesLeft());
        }
    }
}

} // namespace
} // namespace tarrow::testing
