#include "result_line.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "win/wnd.h"

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
    // Without its tip the line still says all it must.
    CreateTip(dialog, instance);
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

bool CResultLine::CreateTip(HWND dialog, HINSTANCE instance) {
    m_hTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, instance,
                               nullptr);
    if (m_hTip == nullptr) return false;
    // The tool is the whole bar, wherever it lies; its mouse moves reach the
    // tip through the bar's subclass. The older structure's size is taken by
    // every version of the controls.
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
    tool.hinst = instance;
    tool.lpszText = const_cast<wchar_t*>(L"");
    if (!::SendMessageW(m_hTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
        ::DestroyWindow(m_hTip);
        m_hTip = nullptr;
        return false;
    }
    // A width makes the tip break at '\n': one line per file, as wide as
    // a screen at most.
    ::SendMessageW(m_hTip, TTM_SETMAXTIPWIDTH, 0, ::GetSystemMetrics(SM_CXSCREEN));
    // Long enough to read a list of thirty.
    ::SendMessageW(m_hTip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(30000, 0));
    ::SendMessageW(m_hTip, TTM_ACTIVATE, FALSE, 0);
    return true;
}

void CResultLine::SetText(const std::string& text) {
    if (text == m_text) return;
    m_text = text;
    // The tip spoke of the text before.
    SetTip({});
    Show();
}

void CResultLine::SetTip(const std::string& text) {
    if (m_hTip == nullptr || text == m_tip) return;
    m_tip = text;
    const std::wstring wide = morvane::WidenUtf8(text);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = ::GetParent(m_hWnd);
    tool.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
    tool.lpszText = const_cast<wchar_t*>(wide.c_str());
    // An empty tip is not shown: none pops up over the bar.
    ::SendMessageW(m_hTip, TTM_ACTIVATE, FALSE, 0);
    ::SendMessageW(m_hTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!text.empty()) ::SendMessageW(m_hTip, TTM_ACTIVATE, TRUE, 0);
}

std::string CResultLine::Tip() const {
    if (m_hTip == nullptr) return {};
    // Some versions copy up to the tip's whole length, some up to 1,024
    // characters, whatever the size given: room for both.
    std::vector<wchar_t> text(std::max<std::size_t>(m_tip.size() + 1, 1024), L'\0');
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = ::GetParent(m_hWnd);
    tool.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
    tool.lpszText = text.data();
    ::SendMessageW(m_hTip, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
    text.back() = L'\0';
    return morvane::NarrowToUtf8(text.data());
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
