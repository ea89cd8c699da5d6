// What a path field's text means as a path.
#pragma once

#include <string>

// A text that is one path in double quotes, as Explorer's "Copy as path"
// gives it, without the quotes; any other text as it is. A Windows path
// cannot hold a quote, so nothing else can be meant.
std::string UnquotedPath(const std::string& text);
