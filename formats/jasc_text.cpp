#include "jasc_text.h"

namespace corvane::formats {

bool detectJasc(const Head&)
{
    return false;
}

Problem readJasc(ByteSource&, Palette&)
{
    return std::string("lecture jasc pas encore écrite");
}

Problem writeJasc(const Palette&, const WriteContext&, std::string&)
{
    return std::string("écriture jasc pas encore écrite");
}

} // namespace corvane::formats
