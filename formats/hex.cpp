#include "hex.h"

namespace corvane::formats {

bool detectHex(const Head&)
{
    return false;
}

Problem readHex(ByteSource&, Palette&)
{
    return std::string("lecture hex pas encore écrite");
}

Problem writeHex(const Palette&, const WriteContext&, std::string&)
{
    return std::string("écriture hex pas encore écrite");
}

} // namespace corvane::formats
