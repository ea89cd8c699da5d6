// The main dialog on displays of any DPI: the "..." buttons show the icon
// image made for the window's DPI, and when the window moves to a display
// of another DPI (WM_DPICHANGED, which Wine does not send: the test does)
// it takes the suggested rectangle, scales its controls and font, and
// reloads the button icons.
#include <gtest/gtest.h>

#include "gui_support.h"
#include "resource.h"

namespace morvane::gui_test {
namespace {

constexpr int kTemplateControls[] = {IDC_SOURCE_LABEL,   IDC_SOURCE_PATH, IDC_BROWSE_SOURCE, IDC_FOLDER_LABEL,
                                     IDC_TARGET_FOLDER,  IDC_BROWSE_FOLDER, IDC_PROGRESS_LABEL, IDC_PROGRESS,
                                     IDOK,               IDCANCEL};

class DpiTest : public DialogTest {
protected:
    // The width of the image a button shows.
    int ButtonIconSize(int id) const {
        const auto icon = reinterpret_cast<HICON>(::SendDlgItemMessageW(Dlg(), id, BM_GETIMAGE, IMAGE_ICON, 0));
        if (icon == nullptr) return 0;
        ICONINFO info{};
        if (!::GetIconInfo(icon, &info)) return 0;
        BITMAP bitmap{};
        ::GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
        if (info.hbmColor != nullptr) ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        return bitmap.bmWidth;
    }
    RECT ClientRectOf(int id) const {
        RECT rect{};
        ::GetWindowRect(::GetDlgItem(Dlg(), id), &rect);
        ::MapWindowPoints(nullptr, Dlg(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    LONG FontHeight(int id) const {
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendDlgItemMessageW(Dlg(), id, WM_GETFONT, 0, 0)), sizeof font, &font);
        return font.lfHeight;
    }
    // Moves the window to a display of `dpi`, as Windows does: the window
    // keeps its top left corner and grows in proportion.
    RECT ChangeDpi(UINT from, UINT to) {
        RECT window;
        ::GetWindowRect(Dlg(), &window);
        RECT suggested{window.left, window.top,
                       window.left + ::MulDiv(window.right - window.left, static_cast<int>(to), static_cast<int>(from)),
                       window.top + ::MulDiv(window.bottom - window.top, static_cast<int>(to), static_cast<int>(from))};
        ::SendMessageW(Dlg(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
        return suggested;
    }
};

UINT SystemDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

TEST_F(DpiTest, ButtonIconsAreMadeForTheWindowsDpi) {
    const int expected = ::MulDiv(16, static_cast<int>(SystemDpi()), 96);
    EXPECT_EQ(ButtonIconSize(IDC_BROWSE_SOURCE), expected);
    EXPECT_EQ(ButtonIconSize(IDC_BROWSE_FOLDER), expected);
}

TEST_F(DpiTest, ANewDpiScalesTheWindowItsControlsFontAndIcons) {
    const UINT start = SystemDpi();
    std::vector<RECT> places;
    for (const int id : kTemplateControls) places.push_back(ClientRectOf(id));
    const LONG fontHeight = FontHeight(IDC_SOURCE_PATH);
    ASSERT_NE(fontHeight, 0);

    UINT current = start;
    for (const UINT dpi : {144u, 192u, 120u, start}) {
        SCOPED_TRACE(dpi);
        const RECT suggested = ChangeDpi(current, dpi);
        current = dpi;
        RECT window;
        ::GetWindowRect(Dlg(), &window);
        EXPECT_TRUE(::EqualRect(&window, &suggested));
        const int icon = ::MulDiv(16, static_cast<int>(dpi), 96);
        EXPECT_EQ(ButtonIconSize(IDC_BROWSE_SOURCE), icon);
        EXPECT_EQ(ButtonIconSize(IDC_BROWSE_FOLDER), icon);
        for (const int id : {IDC_SOURCE_PATH, IDOK}) {
            EXPECT_EQ(FontHeight(id), ::MulDiv(fontHeight, static_cast<int>(dpi), static_cast<int>(start))) << id;
        }
        // Every control in proportion, the result line at the bottom of the
        // client area, below them all.
        RECT client;
        ::GetClientRect(Dlg(), &client);
        const RECT line = ClientRectOf(IDC_RESULT_LINE);
        EXPECT_EQ(line.bottom, client.bottom);
        EXPECT_EQ(line.right, client.right);
        for (std::size_t i = 0; i < std::size(kTemplateControls); ++i) {
            const RECT rect = ClientRectOf(kTemplateControls[i]);
            const auto scale = [&](LONG v) { return ::MulDiv(v, static_cast<int>(dpi), static_cast<int>(start)); };
            EXPECT_EQ(rect.left, scale(places[i].left)) << kTemplateControls[i];
            EXPECT_EQ(rect.top, scale(places[i].top)) << kTemplateControls[i];
            EXPECT_EQ(rect.right, scale(places[i].right)) << kTemplateControls[i];
            EXPECT_EQ(rect.bottom, scale(places[i].bottom)) << kTemplateControls[i];
            EXPECT_LE(rect.bottom, line.top) << kTemplateControls[i];
            EXPECT_LE(rect.right, client.right) << kTemplateControls[i];
        }
    }
    // Back where it started, exactly.
    for (std::size_t i = 0; i < std::size(kTemplateControls); ++i) {
        const RECT rect = ClientRectOf(kTemplateControls[i]);
        EXPECT_TRUE(::EqualRect(&rect, &places[i])) << kTemplateControls[i];
    }
}

}  // namespace
}  // namespace morvane::gui_test
