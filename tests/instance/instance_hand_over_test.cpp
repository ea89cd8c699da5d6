// One window for many starts, inside one test process: the first start and
// its window on a thread of their own (a mutex is owned by a thread), later
// starts on the test's thread. Names of their own keep a running program
// out of it.
#include "instance_hand_over.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "hand_over_copy_data.h"

namespace {

using Arguments = std::vector<std::string>;

struct Received {
    std::vector<Arguments> taken;
    int refused = 0;
};

// The receiving side as a dialog will hold it: two lines in WM_COPYDATA.
LRESULT CALLBACK ReceiverProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA) return ::DefWindowProcW(hWnd, message, wParam, lParam);
    auto* received = reinterpret_cast<Received*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    const morvane::ui::DecodedHandOver decoded = HandOverFromCopyData(lParam);
    if (decoded.problem != morvane::ui::HandOverProblem::None) return ++received->refused, FALSE;
    received->taken.push_back(decoded.arguments);
    return TRUE;
}

class InstanceHandOverTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring id = std::to_wstring(::GetCurrentProcessId());
        m_mutex = L"Local\\MorvaneTest.Window." + id;
        m_mapping = L"Local\\MorvaneTest.Window.Handle." + id;
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = ReceiverProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"MorvaneTestReceiver";
        ::RegisterClassW(&windowClass);
        const HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_first = std::thread([this, ready] {
            CInstanceHandOver first(m_mutex.c_str(), m_mapping.c_str());
            m_window = ::CreateWindowExW(0, L"MorvaneTestReceiver", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         ::GetModuleHandleW(nullptr), nullptr);
            ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_received));
            m_firstWasFirst = first.IsFirst();
            first.PublishWindow(m_window);
            m_firstThread = ::GetCurrentThreadId();
            ::SetEvent(ready);
            MSG message;
            while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
            ::DestroyWindow(m_window);
        });
        ::WaitForSingleObject(ready, INFINITE);
        ::CloseHandle(ready);
    }
    void TearDown() override {
        if (m_first.joinable()) EndFirst();
    }
    void EndFirst() {
        ::PostThreadMessageW(m_firstThread, WM_QUIT, 0, 0);
        m_first.join();
    }

    std::wstring m_mutex, m_mapping;
    std::thread m_first;
    HWND m_window = nullptr;
    DWORD m_firstThread = 0;
    bool m_firstWasFirst = false;
    Received m_received;
};

TEST_F(InstanceHandOverTest, LaterStartsHandTheirArgumentsToTheFirstWindow) {
    ASSERT_TRUE(m_firstWasFirst);
    CInstanceHandOver later(m_mutex.c_str(), m_mapping.c_str());
    EXPECT_FALSE(later.IsFirst());
    EXPECT_TRUE(later.HandOver({"C:\\a.txt"}));
    EXPECT_TRUE(later.HandOver({"/encode", "C:\\b.txt", "C:\\\xC3\xA9.txt"}));
    // Nothing to send: nothing sent.
    EXPECT_FALSE(later.HandOver({}));

    // Malformed data and data of another kind are refused, and the window
    // takes the next sound message all the same.
    const std::uint8_t garbage[] = {'M', 'V', 'Q', 'A', 1, 0, 0, 0, 1, 0, 0, 0, 9, 0, 0, 0, 'x'};
    COPYDATASTRUCT data{kHandOverCopyDataId, sizeof garbage, const_cast<std::uint8_t*>(garbage)};
    EXPECT_EQ(::SendMessageW(m_window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), FALSE);
    data.dwData = 1;
    data.cbData = 0;
    EXPECT_EQ(::SendMessageW(m_window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), FALSE);
    EXPECT_TRUE(later.HandOver({"C:\\c.txt"}));

    EXPECT_EQ(m_received.taken,
              (std::vector<Arguments>{{"C:\\a.txt"}, {"/encode", "C:\\b.txt", "C:\\\xC3\xA9.txt"}, {"C:\\c.txt"}}));
    EXPECT_EQ(m_received.refused, 2);
}

// Once the first start has ended, a later one finds no window and takes
// its place.
TEST_F(InstanceHandOverTest, ALaterStartBecomesFirstOnceTheFirstHasEnded) {
    CInstanceHandOver later(m_mutex.c_str(), m_mapping.c_str());
    ASSERT_FALSE(later.IsFirst());
    EndFirst();
    EXPECT_FALSE(later.HandOver({"C:\\a.txt"}));
    EXPECT_TRUE(later.IsFirst());
    EXPECT_TRUE(m_received.taken.empty());
}

}  // namespace
