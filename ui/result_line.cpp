#include "result_line.h"

#include <commctrl.h>

#include <cstdio>

#include "win/wnd.h"

namespace result_text {
namespace {

const char* Verb(bool encode) {
    return encode ? "Encoding" : "Decoding";
}

// `value` / `unit` with three significant digits, cut rather than rounded
// (as Explorer does), so that 1023.9 KB never shows as "1024 KB".
std::string Scaled(std::uint64_t value, std::uint64_t unit, const char* name) {
    const std::uint64_t hundredths = value / unit * 100 + value % unit * 100 / unit;
    char text[48];
    if (hundredths < 1000)
        std::snprintf(text, sizeof text, "%llu.%02llu %s", static_cast<unsigned long long>(hundredths / 100),
                      static_cast<unsigned long long>(hundredths % 100), name);
    else if (hundredths < 10000)
        std::snprintf(text, sizeof text, "%llu.%llu %s", static_cast<unsigned long long>(hundredths / 100),
                      static_cast<unsigned long long>(hundredths / 10 % 10), name);
    else
        std::snprintf(text, sizeof text, "%llu %s", static_cast<unsigned long long>(hundredths / 100), name);
    return text;
}

}  // namespace

const char kStopping[] = "Stopping...";
const char kStopped[] = "Stopped; nothing was written.";

std::string Size(std::uint64_t bytes) {
    if (bytes == 1) return "1 byte";
    if (bytes < 1024) return std::to_string(bytes) + " bytes";
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB"};
    std::uint64_t unit = 1024;
    std::size_t i = 0;
    // The next unit once this one would need four digits.
    while (i + 1 < std::size(kUnits) && bytes / unit >= 1000) {
        unit *= 1024;
        ++i;
    }
    return Scaled(bytes, unit, kUnits[i]);
}

std::string Duration(std::uint64_t seconds) {
    if (seconds < 60) return std::to_string(seconds) + " s";
    if (seconds < 3600) {
        const std::string minutes = std::to_string(seconds / 60) + " min";
        return seconds % 60 == 0 ? minutes : minutes + " " + std::to_string(seconds % 60) + " s";
    }
    const std::string hours = std::to_string(seconds / 3600) + " h";
    const std::uint64_t minutes = seconds % 3600 / 60;
    return minutes == 0 ? hours : hours + " " + std::to_string(minutes) + " min";
}

std::string Starting(bool encode, const std::string& fileName) {
    return std::string(Verb(encode)) + " \"" + fileName + "\"...";
}

std::string Progress(bool encode, const std::string& fileName, std::uint64_t done, std::uint64_t total,
                     std::uint64_t elapsedMs) {
    if (done > total) done = total;
    const std::uint64_t percent = total == 0 ? 0 : done / total * 100 + done % total * 100 / total;
    std::string text =
        std::string(Verb(encode)) + " \"" + fileName + "\": " + std::to_string(percent) + "% of " + Size(total);
    // The speed means something once a second of work has been seen.
    if (elapsedMs < 1000 || done == 0) return text;
    const std::uint64_t perSecond = done * 1000 / elapsedMs;
    if (perSecond == 0) return text;
    const std::uint64_t left = (total - done + perSecond - 1) / perSecond;
    return text + ", " + Size(perSecond) + "/s, " + Duration(left) + " left";
}

std::string Written(bool encode, const std::string& path, const std::string& temporaryNotRemoved) {
    const std::string written = std::string(encode ? "Encoded" : "Decoded") + " into \"" + path + "\"";
    if (temporaryNotRemoved.empty()) return written;
    // Its name alone: the path's end is what a shortened line keeps.
    const std::size_t nameStart = temporaryNotRemoved.find_last_of("\\/");
    const std::string name =
        nameStart == std::string::npos ? temporaryNotRemoved : temporaryNotRemoved.substr(nameStart + 1);
    return written + "; its temporary \"" + name + "\" could not be removed.";
}

std::string Failed(bool encode) {
    return std::string(Verb(encode)) + " failed; nothing was written.";
}

std::string FailedWithLeftover(bool encode) {
    return std::string(Verb(encode)) + " failed; its partial output could not be removed.";
}

std::string DropIgnored(std::size_t others) {
    return "Only the first dropped item was used; " + std::to_string(others) +
           (others == 1 ? " other was ignored." : " others were ignored.");
}

}  // namespace result_text

namespace {

// The width of `text` in `dc`'s font.
int TextWidth(HDC dc, const std::wstring& text) {
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// A cut after `count` characters that does not split a surrogate pair.
std::size_t WholeCharacters(const std::wstring& text, std::size_t count) {
    if (count > 0 && count < text.size() && text[count - 1] >= 0xD800 && text[count - 1] <= 0xDBFF) --count;
    return count;
}

// The longest `head` prefix for which prefix + "..." + tail fits `width`;
// npos when not even the empty prefix does.
std::size_t LongestFittingPrefix(HDC dc, const std::wstring& head, const std::wstring& tail, int width) {
    const auto fits = [&](std::size_t count) {
        return TextWidth(dc, head.substr(0, WholeCharacters(head, count)) + L"..." + tail) <= width;
    };
    if (!fits(0)) return std::wstring::npos;
    std::size_t low = 0;
    std::size_t high = head.size();
    while (low < high) {
        const std::size_t middle = low + (high - low + 1) / 2;
        if (fits(middle))
            low = middle;
        else
            high = middle - 1;
    }
    return WholeCharacters(head, low);
}

// `text` as it fits `width`: whole when it fits; else a path loses the end
// of its folders ("C:\Users\...\report.pdf") so the file name stays; else
// the text is cut at its end.
std::wstring Fitted(HDC dc, const std::wstring& text, int width) {
    if (TextWidth(dc, text) <= width) return text;
    const std::size_t lastSeparator = text.rfind(L'\\');
    if (lastSeparator != std::wstring::npos) {
        const std::wstring head = text.substr(0, lastSeparator);
        const std::wstring tail = text.substr(lastSeparator);
        const std::size_t keep = LongestFittingPrefix(dc, head, tail, width);
        if (keep != std::wstring::npos) return head.substr(0, keep) + L"..." + tail;
    }
    const std::size_t keep = LongestFittingPrefix(dc, text, L"", width);
    return keep == std::wstring::npos ? std::wstring() : text.substr(0, keep) + L"...";
}

}  // namespace

bool CResultLine::Create(HWND dialog, int id, HFONT font) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
    m_hWnd = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, dialog,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (m_hWnd == nullptr) return false;
    if (font != nullptr) ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // The bar takes its height from its font and its place from its parent.
    ::SendMessageW(m_hWnd, WM_SIZE, 0, 0);
    RECT bar;
    RECT window;
    ::GetWindowRect(m_hWnd, &bar);
    ::GetWindowRect(dialog, &window);
    ::SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left,
                   window.bottom - window.top + (bar.bottom - bar.top), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
    return true;
}

void CResultLine::SetText(const std::string& text) {
    if (text == m_text) return;
    m_text = text;
    Show();
}

void CResultLine::SetFont(HFONT font) {
    if (m_hWnd == nullptr) return;
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    Layout();
}

void CResultLine::Layout() {
    if (m_hWnd == nullptr) return;
    ::SendMessageW(m_hWnd, WM_SIZE, 0, 0);
    Show();
}

void CResultLine::Show() {
    if (m_hWnd == nullptr) return;
    const std::wstring whole = morvane::WidenUtf8(m_text);
    RECT part{};
    ::SendMessageW(m_hWnd, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&part));
    std::wstring shown = whole;
    if (const HDC dc = ::GetDC(m_hWnd)) {
        const auto font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
        const HGDIOBJ old = font != nullptr ? ::SelectObject(dc, font) : nullptr;
        // The bar draws its text inside the part's borders, with a small margin.
        const int margin = TextWidth(dc, L"  ") + 2 * ::GetSystemMetrics(SM_CXEDGE);
        shown = Fitted(dc, whole, part.right - part.left - margin);
        if (old != nullptr) ::SelectObject(dc, old);
        ::ReleaseDC(m_hWnd, dc);
    }
    // No tab is meant to split the text into columns.
    ::SendMessageW(m_hWnd, SB_SETTEXTW, 0 | SBT_NOTABPARSING, reinterpret_cast<LPARAM>(shown.c_str()));
}
