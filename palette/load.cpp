#include "load.h"

#include "div_pal.h"
#include "jasc_pal.h"

#include <array>
#include <cerrno>
#include <string_view>
#include <utility>

namespace corvane {

LoadResult loadPalette(ByteSource& source, PaletteTable& table, KindCaption& caption)
{
    // One read usually brings the whole of an ordinary palette file: the
    // kind is decided from its start and the reader goes on from the same bytes.
    std::array<char, 4096> head;
    std::size_t got = 0;
    while (got < KindHeadBytes) {
        const std::size_t n = source.read(head.data() + got, head.size() - got);
        if (n == 0)
            break;
        got += n;
    }
    const std::string_view headBytes(head.data(), got);
    PrefixedSource whole(headBytes, source);

    LoadResult result;
    result.kind = detectKind(headBytes);
    switch (result.kind) {
    case PaletteKind::Div:
        readDivTolerant(whole, table);
        caption.set(std::string(KindCaption::Div));
        result.count = static_cast<std::int16_t>(DivEntryCount);
        break;
    case PaletteKind::JascPal: {
        JascCount count = readJascPal(whole, table, caption);
        result.countText = std::move(count.text);
        result.count = count.value;
        result.lineFeedInEntry = count.lineFeedInEntry;
        break;
    }
    case PaletteKind::Unknown:
        break;
    }
    // A source that cannot say why failed in reading, as far as anyone knows.
    if (source.failed())
        result.failure = source.failure() != 0 ? source.failure() : EIO;
    return result;
}

LoadResult loadPaletteFile(const std::filesystem::path& path, PaletteTable& table, KindCaption& caption)
{
    errno = 0;
    FileSource file(path);
    if (!file.isOpen()) {
        LoadResult unopened;
        unopened.failure = errno != 0 ? errno : EIO;
        return unopened;
    }
    return loadPalette(file, table, caption);
}

} // namespace corvane
