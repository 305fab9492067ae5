#include "vga.h"

namespace corvane::formats {

bool detectVga(const Head&)
{
    return false;
}

Problem readVga(ByteSource&, Palette&)
{
    return std::string("lecture vga pas encore écrite");
}

Problem writeVga(const Palette&, const WriteContext&, std::string&)
{
    return std::string("écriture vga pas encore écrite");
}

} // namespace corvane::formats
