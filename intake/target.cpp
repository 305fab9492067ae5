#include "target.h"

#include "messages.h"

#include <string>

namespace corvane::intake {

Target targetNamed(std::string_view name)
{
    const formats::Format* format = formats::formatNamed(name);
    if (format == nullptr)
        return {nullptr, "format inconnu : « " + formats::printableName(name) + " »"};
    if (!format->writes())
        return {format, "le format « " + std::string(format->name) + " » se lit mais ne s'écrit pas"};
    return {format, std::nullopt};
}

} // namespace corvane::intake
