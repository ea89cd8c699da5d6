#include "win/dpi_scaler.h"

CDpiScaler::~CDpiScaler() {
    for (HFONT font : {m_hFont, m_hRetiredFont}) {
        if (font != nullptr) ::DeleteObject(font);
    }
}

UINT CDpiScaler::WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr) {
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    }
    const HDC dc = ::GetDC(window);
    const int dpi = dc != nullptr ? ::GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc != nullptr) ::ReleaseDC(window, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void CDpiScaler::Capture(HWND dialog) {
    m_nDpi = m_nCreationDpi = WindowDpi(dialog);
    m_places.clear();
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        Place place{child, {}};
        ::GetWindowRect(child, &place.rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place.rect), 2);
        m_places.push_back(place);
    }
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (font != nullptr) ::GetObjectW(font, sizeof m_creationFont, &m_creationFont);
}

bool CDpiScaler::Rescale(UINT dpi) {
    if (dpi == 0 || dpi == m_nDpi) return false;
    m_nDpi = dpi;
    const auto scale = [&](LONG value) {
        return ::MulDiv(value, static_cast<int>(dpi), static_cast<int>(m_nCreationDpi));
    };
    LOGFONTW scaled = m_creationFont;
    scaled.lfHeight = scale(m_creationFont.lfHeight);
    const HFONT font = ::CreateFontIndirectW(&scaled);
    for (const Place& place : m_places) {
        if (!::IsWindow(place.control)) continue;
        ::MoveWindow(place.control, scale(place.rect.left), scale(place.rect.top),
                     scale(place.rect.right) - scale(place.rect.left), scale(place.rect.bottom) - scale(place.rect.top),
                     TRUE);
        if (font != nullptr) ::SendMessageW(place.control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    // A child the caller gives the font to still has the previous one: it
    // goes at the next change, when nothing uses it any more.
    if (font != nullptr) {
        if (m_hRetiredFont != nullptr) ::DeleteObject(m_hRetiredFont);
        m_hRetiredFont = m_hFont;
        m_hFont = font;
    }
    return true;
}

void CDpiScaler::MoveToSuggested(HWND window, const RECT* suggested) {
    if (suggested == nullptr) return;
    ::SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}
