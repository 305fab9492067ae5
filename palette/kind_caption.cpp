#include "kind_caption.h"

namespace corvane {

std::string KindCaption::forJascCount(std::string_view countText)
{
    std::string caption = "Palette PSP ";
    caption.append(countText);
    caption.append(" couleurs");
    return caption;
}

} // namespace corvane
