#include "div_family.h"

namespace corvane::formats {

bool detectDiv(const Head&)
{
    return false;
}

Problem readDiv(ByteSource&, Palette&)
{
    return std::string("lecture div pas encore écrite");
}

Problem writeDiv(const Palette&, const WriteContext&, std::string&)
{
    return std::string("écriture div pas encore écrite");
}

} // namespace corvane::formats
