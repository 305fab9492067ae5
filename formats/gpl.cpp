#include "gpl.h"

namespace corvane::formats {

bool detectGpl(const Head&)
{
    return false;
}

Problem readGpl(ByteSource&, Palette&)
{
    return std::string("lecture gpl pas encore écrite");
}

Problem writeGpl(const Palette&, const WriteContext&, std::string&)
{
    return std::string("écriture gpl pas encore écrite");
}

} // namespace corvane::formats
