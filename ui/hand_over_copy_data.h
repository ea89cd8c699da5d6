// The hand-over message as it travels between two starts: the data of a
// WM_COPYDATA, marked with an identifier of its own so that nothing else
// sent to the window is taken for it. Both sides include this header.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "hand_over.h"

// "MVQA" read as a little-endian number.
inline constexpr ULONG_PTR kHandOverCopyDataId = 0x4151564Du;

// What a window's WM_COPYDATA handler makes of its LPARAM: the arguments of
// a later start, or a refusal (WrongTag for data of another kind). The data
// is copied; the caller answers TRUE only when it took the arguments.
inline morvane::ui::DecodedHandOver HandOverFromCopyData(LPARAM lParam) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data == nullptr || data->dwData != kHandOverCopyDataId) return {morvane::ui::HandOverProblem::WrongTag, {}};
    if (data->lpData == nullptr && data->cbData != 0) return {morvane::ui::HandOverProblem::Truncated, {}};
    return morvane::ui::DecodeHandOver(static_cast<const std::uint8_t*>(data->lpData), data->cbData);
}

// The WM_COPYDATA data that carries `message`; valid while `message` lives.
inline COPYDATASTRUCT HandOverCopyData(const std::vector<std::uint8_t>& message) {
    COPYDATASTRUCT data{};
    data.dwData = kHandOverCopyDataId;
    data.cbData = static_cast<DWORD>(message.size());
    data.lpData = const_cast<std::uint8_t*>(message.data());
    return data;
}
