#include "utf8.h"

#include <algorithm>
#include <utility>

namespace morvane {
namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Bytes and UTF-16 units of the character at `text[at]`; a byte that starts
// no well-formed sequence is one of each.
std::pair<std::size_t, std::size_t> CharacterAt(std::string_view text, std::size_t at) {
    const std::size_t length = Utf8SequenceLength(text, at);
    if (length == 0) return {1, 1};
    return {length, length == 4 ? 2 : 1};
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    // The second byte's range rules out overlong forms, surrogates and
    // values past U+10FFFF at once.
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (!IsContinuation(byte(k))) return 0;
    return length;
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::size_t Utf8CutBefore(std::string_view text, std::size_t limit) {
    std::size_t cut = std::min(limit, text.size());
    while (cut > 0 && cut < text.size() && IsContinuation(static_cast<unsigned char>(text[cut]))) --cut;
    return cut;
}

std::size_t Utf16Length(std::string_view text) {
    std::size_t units = 0;
    for (std::size_t at = 0; at < text.size();) {
        const auto [bytes, width] = CharacterAt(text, at);
        at += bytes;
        units += width;
    }
    return units;
}

std::size_t Utf16CutBefore(std::string_view text, std::size_t units) {
    std::size_t at = 0;
    while (at < text.size()) {
        const auto [bytes, width] = CharacterAt(text, at);
        if (width > units) break;
        units -= width;
        at += bytes;
    }
    return at;
}

}  // namespace morvane
