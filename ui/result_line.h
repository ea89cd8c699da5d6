// The line below the main dialog's controls that says what a job is doing
// and what it did: a status bar the dialog creates at run time (its template
// has none). It only shows a text; what the text says is JobReport's.
#pragma once

#include <windows.h>

#include <string>

// The status bar. Its whole text is kept; what shows is fitted to its
// width, a path shortened in its middle so the file name stays (Show in
// Folder opens the whole path). A tip may go with the text, shown while
// the mouse rests on the bar; any new text takes it away.
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
    // The tip that goes with the text as it reads now, lines split by '\n';
    // empty for none.
    void SetTip(const std::string& text);
    // The tip as its control holds it.
    std::string Tip() const;
    // After the dialog's size or the bar's font changed: places the bar
    // again and fits its text to the new width.
    void Layout();
    void SetFont(HFONT font);

private:
    void Show();
    bool CreateTip(HWND dialog, HINSTANCE instance);

    HWND m_hWnd = nullptr;
    HWND m_hTip = nullptr;  // owned by the dialog, ends with it
    std::string m_text;
    std::string m_tip;
};
