// Text made safe to show on a terminal, as `ls` shows names there.
#pragma once

#include <string>
#include <string_view>

namespace morvane::cli {

// A name or message with nothing in it that a terminal would act on: each C0
// control (line feed and tab included), DEL and C1 control becomes a visible
// escape (\n, \t, \r, \xHH; \u0085 for a C1 control), as does each byte
// that is not well-formed UTF-8. Everything else, backslashes included (a
// Windows path keeps its separators), is left as it is.
std::string EscapeForTerminal(std::string_view text);

}  // namespace morvane::cli
