// Files made to break the Open command: huge, endless, cut short, or full of
// bytes no palette has. The loader must get through each without a crash or
// a hang, in memory that does not grow with the file.
#include "hostile_files.h"
#include "jasc_pal.h"
#include "load.h"
#include "process_memory.h"
#include "support.h"

namespace corvane::test {
namespace {

// A 32767-entry table is 192 KiB; the big files are 1 GiB. Anything between
// means the memory follows the file.
constexpr long MemoryBoundKiB = 32 * 1024;

TEST(HostileFiles, LoadWithoutCrashHangOrMemoryFollowingTheirSize)
{
    const ScratchDir dir;
    const std::filesystem::path path = dir.path() / "hostile.pal";
    // A size and colour no case ends with, so that a reader that keeps the table is seen.
    const PaletteTable reference = tableOf(Entries(5, Entry{9, 9, 9}));
    for (const HostileFile& file : hostileFiles()) {
        SCOPED_TRACE(file.name);
        ASSERT_TRUE(writeHostileFile(path, file));
        PaletteTable table = reference;
        KindCaption caption;
        caption.set("avant");
        LoadResult result;
        const long growth = peakGrowthKiB([&] { result = loadPaletteFile(path, table, caption); });
        EXPECT_GE(growth, 0) << "the peak resident size cannot be reset or read here";
        EXPECT_LT(growth, MemoryBoundKiB) << "peak resident growth in KiB";
        EXPECT_EQ(result.failure, 0);
        EXPECT_EQ(result.kind == PaletteKind::Unknown, !file.caption.has_value());
        EXPECT_EQ(caption.text(), file.caption.value_or("avant"));
        if (file.entries < 0) {
            EXPECT_EQ(table.entries(), reference.entries());
        } else {
            ASSERT_EQ(table.entryCount(), std::size_t(file.entries));
            if (file.first) {
                EXPECT_EQ(table.entries()[0], *file.first);
            }
        }
        std::filesystem::remove(path);
    }
}

} // namespace
} // namespace corvane::test
