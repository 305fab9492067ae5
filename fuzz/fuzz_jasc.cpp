// The JASC-PAL reader on arbitrary bytes, whole or in small reads, with only
// the checks that cost nothing: many inputs a second.

#include "fuzz_support.h"
#include "jasc_pal.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

using namespace corvane;
using corvane::fuzz::ChunkedSource;
using corvane::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::string_view data(reinterpret_cast<const char*>(bytes), size);
    // Small reads make lines come in pieces; whole reads take the usual path.
    const std::size_t chunk = size > 0 && bytes[0] % 2 == 0 ? 1 + bytes[0] % 64 : size + 1;

    ChunkedSource source(data, chunk);
    PaletteTable table;
    KindCaption caption;
    const JascCount count = readJascPal(source, table, caption);
    require(count.text.size() <= MaxCountTextLength, "count text longer than kept");
    require(caption.text() == KindCaption::forJascCount(count.text), "caption differs from the count text");
    require(table.entryCount() == static_cast<std::size_t>(std::max<int>(count.value.value_or(0), 0)),
            "table size differs from the count");
    return 0;
}
