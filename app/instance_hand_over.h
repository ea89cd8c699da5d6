// One window for many starts. The shell starts the program once per file of
// a selection; every start with files after the first hands them to the
// first one's window and ends. The first start is whoever owns the mutex
// below: ownership is taken in one step, so two starts at the same instant
// cannot both win, and it passes on when the owner ends, however it ends.
// The first window's handle is published in a small named mapping.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// "Local\": a user's starts in one session share a window; other sessions
// have their own. Not the installer's mark (running_mark.h), which any
// start holds.
inline constexpr wchar_t kFirstWindowMutexName[] = L"Local\\Morvane.Window";
inline constexpr wchar_t kFirstWindowMappingName[] = L"Local\\Morvane.Window.Handle";

class CInstanceHandOver {
public:
    // Becomes the first start when no running start is. Made and destroyed
    // on the thread that runs the window: a mutex is owned by a thread.
    // Tests give names of their own.
    explicit CInstanceHandOver(const wchar_t* mutexName = kFirstWindowMutexName,
                               const wchar_t* mappingName = kFirstWindowMappingName);
    CInstanceHandOver(const CInstanceHandOver&) = delete;
    CInstanceHandOver& operator=(const CInstanceHandOver&) = delete;
    // Withdraws a published window; the mutex passes on with the process.
    ~CInstanceHandOver();

    bool IsFirst() const { return m_bFirst; }

    // The first start, once its window exists: later starts find it from
    // now on; null withdraws it (the window is closing). Does nothing for
    // a later start.
    void PublishWindow(HWND hWnd);

    // A later start: gives `arguments` (full paths, see WithFullPaths) to
    // the first window, waiting a few seconds at most for it to appear and
    // to answer. True when it took them: this start then ends, with status
    // 0. False when it refused them, or no first window answered; this
    // start then opens its own window (and is the first from now on if the
    // first has ended meanwhile).
    bool HandOver(const std::vector<std::string>& arguments);

private:
    bool TryBecomeFirst();
    HWND PublishedWindow() const;

    std::wstring m_strMappingName;
    HANDLE m_hMutex = nullptr;
    HANDLE m_hMapping = nullptr;
    volatile LONG* m_pPublished = nullptr;  // the first's handle, then its process
    bool m_bFirst = false;
};
