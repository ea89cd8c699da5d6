// The line below the main dialog's controls that says what a job is doing
// and what it did: a status bar the dialog creates at run time (its template
// has none). It only shows a text; what the text says is JobReport's.
#pragma once

#include <windows.h>

#include <string>

// The status bar. Its whole text is kept; what shows is fitted to its
// width, a path shortened in its middle so the file name stays (Show in
// Folder opens the whole path).
class CResultLine {
public:
    CResultLine() = default;
    CResultLine(const CResultLine&) = delete;
    CResultLine& operator=(const CResultLine&) = delete;

    // Creates the bar at the bottom of `dialog`'s client area, below every
    // control, in `font`, and makes the dialog taller by the bar's height.
    bool Create(HWND dialog, int id, HFONT font);
    HWND Window() const { return m_hWnd; }
    // The whole text, as last set.
    const std::string& Text() const { return m_text; }
    void SetText(const std::string& text);
    void Clear() { SetText({}); }
    // After the dialog's size or the bar's font changed: places the bar
    // again and fits its text to the new width.
    void Layout();
    void SetFont(HFONT font);

private:
    void Show();

    HWND m_hWnd = nullptr;
    std::string m_text;
};
