// The hand-over message's decoder on arbitrary bytes. Whatever they are, it
// must not read out of bounds, and what it accepts must be what a start
// could have sent: arguments that encode back to the very same bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "hand_over.h"

using morvane::ui::HandOverProblem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const morvane::ui::DecodedHandOver decoded = morvane::ui::DecodeHandOver(size == 0 ? nullptr : data, size);
    if (decoded.problem != HandOverProblem::None) {
        if (!decoded.arguments.empty()) std::abort();
        return 0;
    }
    const auto again = morvane::ui::EncodeHandOver(decoded.arguments);
    if (!again || again->size() != size || !std::equal(again->begin(), again->end(), data)) std::abort();
    return 0;
}
