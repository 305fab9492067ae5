#include "riff.h"

namespace corvane::formats {

bool detectRiff(const Head&)
{
    return false;
}

Problem readRiff(ByteSource&, Palette&)
{
    return std::string("lecture riff pas encore écrite");
}

Problem writeRiff(const Palette&, const WriteContext&, std::string&)
{
    return std::string("écriture riff pas encore écrite");
}

} // namespace corvane::formats
