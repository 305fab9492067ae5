// Kind detection and the DIV reader on arbitrary bytes, with only the checks
// that cost nothing: many inputs a second.

#include "div_pal.h"
#include "fuzz_support.h"
#include "palette_kind.h"

#include <cstdint>
#include <string_view>

using namespace corvane;
using corvane::fuzz::ChunkedSource;
using corvane::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::string_view data(reinterpret_cast<const char*>(bytes), size);
    const std::size_t chunk = size > 0 ? 1 + bytes[0] % 16 : 1;

    const PaletteKind kind = detectKind(data);
    ChunkedSource head(data, chunk);
    require(detectKind(head) == kind, "kind from small reads differs");

    ChunkedSource levels(data, chunk * 64);
    PaletteTable table;
    readDivTolerant(levels, table);
    require(table.entryCount() == DivEntryCount, "DIV table size");
    for (const PaletteTable::Entry& entry : table.entries())
        for (const std::int16_t level : entry)
            require(level >= 0 && level <= 1020 && level % 4 == 0, "DIV level not a byte times 4");
    return 0;
}
