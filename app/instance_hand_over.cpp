#include "instance_hand_over.h"

#include "hand_over_copy_data.h"

namespace {

// How long a later start waits for the first window to be published, and
// for it to answer: long enough for a start under load, short enough that
// a lost hand-over still opens a window of its own soon.
constexpr DWORD kFindWindowMs = 10000;
constexpr DWORD kPollMs = 50;
constexpr UINT kAnswerMs = 5000;

// The mapping holds two LONGs: the window's handle (32 significant bits on
// both widths of Windows) and its process's ID.
constexpr DWORD kMappingSize = 2 * sizeof(LONG);

}  // namespace

CInstanceHandOver::CInstanceHandOver(const wchar_t* mutexName, const wchar_t* mappingName)
    : m_strMappingName(mappingName), m_hMutex(::CreateMutexW(nullptr, FALSE, mutexName)) {
    TryBecomeFirst();
}

CInstanceHandOver::~CInstanceHandOver() {
    if (m_pPublished != nullptr) {
        ::InterlockedExchange(&m_pPublished[0], 0);
        ::UnmapViewOfFile(const_cast<LONG*>(m_pPublished));
    }
    if (m_hMapping != nullptr) ::CloseHandle(m_hMapping);
    if (m_bFirst) ::ReleaseMutex(m_hMutex);
    if (m_hMutex != nullptr) ::CloseHandle(m_hMutex);
}

bool CInstanceHandOver::TryBecomeFirst() {
    if (m_bFirst) return true;
    if (m_hMutex == nullptr) return false;
    // Abandoned: the first ended without releasing it; its place is free.
    const DWORD wait = ::WaitForSingleObject(m_hMutex, 0);
    m_bFirst = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    return m_bFirst;
}

void CInstanceHandOver::PublishWindow(HWND hWnd) {
    if (!m_bFirst) return;
    if (m_hMapping == nullptr) {
        m_hMapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kMappingSize,
                                          m_strMappingName.c_str());
        if (m_hMapping == nullptr) return;
        m_pPublished = static_cast<volatile LONG*>(::MapViewOfFile(m_hMapping, FILE_MAP_WRITE, 0, 0, kMappingSize));
    }
    if (m_pPublished == nullptr) return;
    // The process first: a reader that finds the handle finds its process.
    ::InterlockedExchange(&m_pPublished[1], static_cast<LONG>(::GetCurrentProcessId()));
    ::InterlockedExchange(&m_pPublished[0], static_cast<LONG>(reinterpret_cast<LONG_PTR>(hWnd)));
}

HWND CInstanceHandOver::PublishedWindow() const {
    const HANDLE mapping = ::OpenFileMappingW(FILE_MAP_READ, FALSE, m_strMappingName.c_str());
    if (mapping == nullptr) return nullptr;
    HWND window = nullptr;
    if (const void* view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, kMappingSize)) {
        const auto* published = static_cast<const volatile LONG*>(view);
        // Handles are sign-extended from their 32 bits on 64-bit Windows.
        const HWND candidate = reinterpret_cast<HWND>(static_cast<LONG_PTR>(published[0]));
        const DWORD process = static_cast<DWORD>(published[1]);
        DWORD owner = 0;
        // A handle outlives its window and may come back for another one:
        // only a live window of the publishing process counts.
        if (candidate != nullptr && ::GetWindowThreadProcessId(candidate, &owner) != 0 && owner == process)
            window = candidate;
        ::UnmapViewOfFile(view);
    }
    ::CloseHandle(mapping);
    return window;
}

bool CInstanceHandOver::HandOver(const std::vector<std::string>& arguments) {
    // No mutex (another user's of that name): no first window to be found.
    if (m_bFirst || m_hMutex == nullptr) return false;
    const auto message = morvane::ui::EncodeHandOver(arguments);
    if (!message) return false;
    const DWORD start = ::GetTickCount();
    HWND window = nullptr;
    // The first start may still be creating its window.
    while ((window = PublishedWindow()) == nullptr) {
        if (TryBecomeFirst() || ::GetTickCount() - start >= kFindWindowMs) return false;
        ::Sleep(kPollMs);
    }
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    // Lets the first window come to the front when it takes the files.
    ::AllowSetForegroundWindow(process);
    COPYDATASTRUCT data = HandOverCopyData(*message);
    DWORD_PTR answer = FALSE;
    // The window answers from its thread's message loop, a modal box's
    // included, so a box that waits for the user does not hold this up.
    const LRESULT sent = ::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                               SMTO_ABORTIFHUNG, kAnswerMs, &answer);
    return sent != 0 && answer == TRUE;
}
