#include "png.h"

namespace corvane::formats {

bool detectPng(const Head&)
{
    return false;
}

Problem readPng(ByteSource&, Palette&)
{
    return std::string("lecture png pas encore écrite");
}

Problem writePng(const Palette&, const WriteContext&, std::string&)
{
    return std::string("écriture png pas encore écrite");
}

} // namespace corvane::formats
