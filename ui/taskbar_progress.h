// A job's progress on the program's taskbar button (ITaskbarList3, Windows 7
// and later). Where the system has no such interface, as under Wine, every
// call does nothing. Used on the window's own thread only.
#pragma once

#include <windows.h>

#include <cstdint>

struct ITaskbarList3;

class CTaskbarProgress {
public:
    CTaskbarProgress() = default;
    CTaskbarProgress(const CTaskbarProgress&) = delete;
    CTaskbarProgress& operator=(const CTaskbarProgress&) = delete;
    ~CTaskbarProgress();

    // Shows the progress through `taskbar` instead of the system's, which
    // is then never asked for (tests record what a job shows this way).
    void Attach(ITaskbarList3* taskbar);

    // A job starts on `window`'s button: an empty normal bar out of `upper`.
    void Start(HWND window, std::uint32_t upper);
    void SetPos(std::uint32_t position);
    // The bar turns red, full when no progress was shown yet.
    void ShowError(HWND window);
    // No bar on the button.
    void Clear();
    // Several files: the bar shows `done` of `count` files ended and the
    // current file's share of the next; one file: (0, 1), its own bar.
    void SetQueueShare(std::uint32_t done, std::uint32_t count);

private:
    bool Connect(HWND window);
    void ShowValue();

    ITaskbarList3* m_pTaskbar = nullptr;
    bool m_bTried = false;  // the system was asked once; no interface means none
    HWND m_hWnd = nullptr;
    std::uint32_t m_nUpper = 0;
    std::uint32_t m_nPos = 0;
    std::uint32_t m_nDone = 0;
    std::uint32_t m_nCount = 1;
};
