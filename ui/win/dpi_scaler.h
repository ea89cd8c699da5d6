// Scales a dialog to the DPI of the display it is on: its children's places
// and their font, recorded once at creation, are scaled from there for each
// new DPI, so that no rounding adds up over several changes. A child made
// after the record (a status bar) places itself and takes the font from
// Font().
#pragma once

#include <windows.h>

#include <vector>

class CDpiScaler {
public:
    CDpiScaler() = default;
    CDpiScaler(const CDpiScaler&) = delete;
    CDpiScaler& operator=(const CDpiScaler&) = delete;
    ~CDpiScaler();

    // The DPI of the display `window` is on: per window where the system
    // says (Windows 10 1607 and later), else the system's.
    static UINT WindowDpi(HWND window);

    // Records `dialog`'s children's places in its client area, its font and
    // its DPI.
    void Capture(HWND dialog);
    UINT Dpi() const { return m_nDpi; }
    // `size`, meant for 96 DPI, at the window's DPI.
    int Scaled96(int size) const { return ::MulDiv(size, static_cast<int>(m_nDpi), 96); }
    // Moves and sizes the recorded children for `dpi` and gives them the
    // recorded font scaled to it. False when `dpi` is the window's already
    // (or 0): nothing changed.
    bool Rescale(UINT dpi);
    // The font of the latest Rescale, owned here; null before the first.
    HFONT Font() const { return m_hFont; }
    // Gives `window` the rectangle the system suggests with WM_DPICHANGED.
    static void MoveToSuggested(HWND window, const RECT* suggested);

private:
    struct Place {
        HWND control;
        RECT rect;  // in the client area
    };
    UINT m_nDpi = 96;
    UINT m_nCreationDpi = 96;
    std::vector<Place> m_places;
    LOGFONTW m_creationFont{};
    HFONT m_hFont = nullptr;
    HFONT m_hRetiredFont = nullptr;  // the one before m_hFont
};
