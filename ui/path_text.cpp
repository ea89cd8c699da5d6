#include "path_text.h"

std::string UnquotedPath(const std::string& text) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') return text;
    const std::string inner = text.substr(1, text.size() - 2);
    return inner.find('"') == std::string::npos ? inner : text;
}
