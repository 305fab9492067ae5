#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace corvane {

// The text of the kind label, and the only record of the loaded palette's
// kind. Held as the bytes read from the file (a JASC-PAL count line is kept
// exactly as written).
class KindCaption {
public:
    static constexpr std::string_view Div = "Palette DIV Games Studio";
    static constexpr std::string_view Psp256 = "Palette PSP 256 couleurs";
    static constexpr std::string_view Psp16 = "Palette PSP 16 couleurs";

    // "Palette PSP " + the count line as written + " couleurs".
    [[nodiscard]] static std::string forJascCount(std::string_view countText);

    [[nodiscard]] const std::string& text() const { return text_; }
    void set(std::string text) { text_ = std::move(text); }

private:
    std::string text_;
};

} // namespace corvane
