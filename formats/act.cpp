#include "act.h"

namespace corvane::formats {

bool detectAct(const Head&)
{
    return false;
}

Problem readAct(ByteSource&, Palette&)
{
    return std::string("lecture act pas encore écrite");
}

Problem writeAct(const Palette&, const WriteContext&, std::string&)
{
    return std::string("écriture act pas encore écrite");
}

} // namespace corvane::formats
