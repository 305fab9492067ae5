#include "kind_caption.h"

namespace corvane {

std::string KindCaption::forJascCount(std::string_view countText)
{
    std::string caption = "Palette PSP ";
    caption.append(countText);
    caption.append(" couleurs");
    return caption;
}

Conversion KindCaption::conversion() const
{
    if (text_ == Div)
        return Conversion::DivToJasc;
    if (text_ == Psp256)
        return Conversion::Jasc256ToDiv;
    if (text_ == Psp16)
        return Conversion::Jasc16ToDiv;
    return Conversion::None;
}

} // namespace corvane
