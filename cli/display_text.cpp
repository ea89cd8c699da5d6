#include "display_text.h"

#include <cstdio>

#include "utf8.h"

namespace morvane::cli {
namespace {

void AppendHex(std::string& out, const char* prefix, unsigned value) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%s%02X", prefix, value);
    out += digits;
}

void AppendControl(std::string& out, unsigned char byte) {
    switch (byte) {
    case '\n':
        out += "\\n";
        break;
    case '\t':
        out += "\\t";
        break;
    case '\r':
        out += "\\r";
        break;
    default:
        AppendHex(out, "\\x", byte);
    }
}

}  // namespace

std::string EscapeForTerminal(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0 || byte < 0x20 || byte == 0x7F) {
            // Not a character, or a C0 control or DEL: the byte alone.
            AppendControl(out, byte);
            ++at;
            continue;
        }
        const auto second = static_cast<unsigned char>(length == 2 ? text[at + 1] : 0);
        if (byte == 0xC2 && second <= 0x9F) {
            // U+0080..U+009F, the C1 controls: C2 80..C2 9F.
            AppendHex(out, "\\u00", second);
        } else {
            out.append(text.substr(at, length));
        }
        at += length;
    }
    return out;
}

}  // namespace morvane::cli
