// The font the dialogs draw with: the shell's dialog font in place of the
// template's "MS Sans Serif", so that names in any script show in the path
// fields as themselves. Read in process from the real dialogs: the fields'
// font, names typed into them, and how that font draws names in other
// scripts.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "about_dlg.h"
#include "gui_support.h"
#include "resource.h"
#include "win/app.h"

namespace morvane::gui_test {
namespace {

const int kPathFields[] = {IDC_SOURCE_PATH, IDC_TARGET_FOLDER};

LOGFONTW LogFontOf(HWND window) {
    LOGFONTW logFont{};
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    if (font != nullptr) ::GetObjectW(font, sizeof logFont, &logFont);
    return logFont;
}

// The face the system picked for a window's font, and its metrics.
std::wstring RealisedFace(HWND window, TEXTMETRICW* metrics = nullptr) {
    const HDC dc = ::GetDC(window);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)));
    wchar_t face[LF_FACESIZE] = {};
    ::GetTextFaceW(dc, LF_FACESIZE, face);
    if (metrics != nullptr) ::GetTextMetricsW(dc, metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return face;
}

std::vector<HWND> Children(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Every control of `dialog` is drawn in the dialog's font, which is the
// shell's dialog font at the template's 8 points.
void ExpectShellDialogFont(HWND dialog) {
    const auto dialogFont = ::SendMessageW(dialog, WM_GETFONT, 0, 0);
    ASSERT_NE(dialogFont, 0);
    const LOGFONTW logFont = LogFontOf(dialog);
    EXPECT_STREQ(logFont.lfFaceName, L"MS Shell Dlg 2");
    const HDC screen = ::GetDC(nullptr);
    EXPECT_EQ(logFont.lfHeight, -::MulDiv(8, ::GetDeviceCaps(screen, LOGPIXELSY), 72));
    ::ReleaseDC(nullptr, screen);
    TEXTMETRICW metrics{};
    const std::wstring realised = RealisedFace(dialog, &metrics);
    EXPECT_NE(realised, L"MS Sans Serif");
    EXPECT_NE(metrics.tmPitchAndFamily & TMPF_TRUETYPE, 0) << NarrowToUtf8(realised) << " is not a TrueType face";
    for (const HWND child : Children(dialog)) {
        // The bar and the About box's icon draw no text.
        if (ClassOf(child) == "msctls_progress32") continue;
        if (ClassOf(child) == "Static" && (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
        EXPECT_EQ(::SendMessageW(child, WM_GETFONT, 0, 0), dialogFont)
            << ::GetDlgCtrlID(child) << " " << GetWindowTextString(child);
    }
}

class DialogFontTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dlg.Create()); }
    HWND Dlg() const { return dlg.m_hWnd; }
    HWND Field(int id) const { return dlg.GetDlgItem(id); }

    CRecordingCodecDlg dlg;
};

TEST_F(DialogFontTest, PathFieldsUseTheShellDialogFont) {
    for (const int id : kPathFields) {
        const LOGFONTW logFont = LogFontOf(Field(id));
        EXPECT_STREQ(logFont.lfFaceName, L"MS Shell Dlg 2") << id;
        EXPECT_EQ(logFont.lfCharSet, DEFAULT_CHARSET) << id;
    }
    ExpectShellDialogFont(Dlg());
}

TEST_F(DialogFontTest, AboutBoxUsesTheShellDialogFont) {
    CAboutDlg about(&dlg);
    ASSERT_TRUE(about.Create());
    ExpectShellDialogFont(about.m_hWnd);
}

// Names in three scripts, one mixing two, one with a character outside the
// Basic Multilingual Plane (a surrogate pair).
const wchar_t* const kNames[] = {
    L"\u62A5\u544A_\uB370\uC774\uD130.docx",                     // 报告_데이터.docx
    L"\u6570\u636E\u5907\u4EFD \u7B2C\u4E8C\u7248.bin",          // 数据备份 第二版.bin
    L"\uBCF4\uACE0\uC11C \uCD5C\uC885.hwp",                      // 보고서 최종.hwp
    L"\u041E\u0442\u0447\u0451\u0442_\u0434\u0430\u043D\u043D\u044B\u0435.txt",  // Отчёт_данные.txt
    L"\U00020BB7\u91CE\u5BB6.txt",                                // 𠮷野家.txt
};

TEST_F(DialogFontTest, NamesInAnyScriptTypedIntoAFieldReadBackIdentical) {
    for (const int id : kPathFields) {
        for (const wchar_t* name : kNames) {
            const std::wstring expected = std::wstring(L"C:\\") + name;
            // Typed: one character message per UTF-16 unit, as the keyboard
            // or an input method sends them.
            ::SetWindowTextW(Field(id), L"");
            for (const wchar_t unit : expected) ::SendMessageW(Field(id), WM_CHAR, unit, 1);
            EXPECT_EQ(TextOf(Field(id)), expected) << id << " " << NarrowToUtf8(name);
            EXPECT_EQ(ControlText(Dlg(), id), NarrowToUtf8(expected)) << id;
            // Set as a whole, as a picker or a drop sets it.
            ::SetWindowTextW(Field(id), L"");
            SetControlText(Dlg(), id, NarrowToUtf8(expected));
            EXPECT_EQ(TextOf(Field(id)), expected) << id << " " << NarrowToUtf8(name);
        }
    }
}

// Which pixels `text` inks when drawn in `font`, black on white, at `at` in
// a bitmap of `size`: drawn in memory, at once and the same every time, by
// the text output the controls use, with the system's links to the fonts of
// other scripts.
struct Ink {
    int width = 0;
    int height = 0;
    std::vector<bool> set;

    bool operator==(const Ink&) const = default;
    bool Any() const { return std::find(set.begin(), set.end(), true) != set.end(); }
    bool InkedRow(int y) const {
        const auto row = set.begin() + static_cast<std::ptrdiff_t>(y) * width;
        return std::find(row, row + width, true) != row + width;
    }
};

Ink Draw(HFONT font, const std::wstring& text, SIZE size, POINT at) {
    Ink ink{size.cx, size.cy, {}};
    const HDC dc = ::CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        const HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
        const HGDIOBJ oldFont = ::SelectObject(dc, font);
        const RECT all{0, 0, size.cx, size.cy};
        ::SetBkColor(dc, RGB(255, 255, 255));
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::ExtTextOutW(dc, at.x, at.y, ETO_OPAQUE | ETO_CLIPPED, &all, text.c_str(), static_cast<UINT>(text.size()),
                      nullptr);
        ::GdiFlush();
        const auto* pixels = static_cast<const DWORD*>(bits);
        for (int i = 0; i < size.cx * size.cy; ++i) ink.set.push_back((pixels[i] & 0xFFFFFF) != 0xFFFFFF);
        ::SelectObject(dc, oldFont);
        ::SelectObject(dc, oldBitmap);
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(dc);
    return ink;
}

HFONT FontOf(HWND window) {
    return reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
}

// Whether the face has a glyph of its own for every character of `text`.
bool FaceHasGlyphs(const wchar_t* face, const std::wstring& text) {
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HFONT font = ::CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, face);
    const HGDIOBJ old = ::SelectObject(dc, font);
    wchar_t realised[LF_FACESIZE] = {};
    ::GetTextFaceW(dc, LF_FACESIZE, realised);
    std::vector<WORD> glyphs(text.size());
    const DWORD done =
        ::GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    ::DeleteDC(dc);
    return done == text.size() && std::wstring(realised) == face &&
           std::find(glyphs.begin(), glyphs.end(), WORD{0xFFFF}) == glyphs.end();
}

// Characters of the names above, each different: Chinese and Korean.
const std::wstring kCjkCharacters = L"\u62A5\u544A\u6570\u636E\uB370\uC774\uD130\uBCF4";  // 报告数据데이터보
// An unassigned code point, which no font has: it draws as the box.
constexpr wchar_t kNoFontHas = L'\u0378';

// For each character of `text`, whether `font` draws a glyph of its own: ink
// that is not the box's and not that of any character before it (boxes are
// all alike; two different glyphs never are).
std::vector<bool> GlyphsNotBoxes(HFONT font, const std::wstring& text) {
    constexpr SIZE kCell{64, 64};
    constexpr POINT kAt{8, 8};
    const Ink box = Draw(font, std::wstring(1, kNoFontHas), kCell, kAt);
    std::vector<Ink> drawn;
    std::vector<bool> glyphs;
    for (const wchar_t c : text) {
        const Ink ink = Draw(font, std::wstring(1, c), kCell, kAt);
        glyphs.push_back(ink.Any() && ink != box && std::find(drawn.begin(), drawn.end(), ink) == drawn.end());
        drawn.push_back(ink);
    }
    return glyphs;
}

TEST_F(DialogFontTest, CjkNameShowsAsGlyphsNotBoxesInBothPathFields) {
    // The test prefix has a CJK font (fonts-wqy-microhei, made visible to
    // Wine by scripts/prepare-wine-prefix.sh); without one every system
    // shows boxes, whatever the dialog's font.
    ASSERT_TRUE(FaceHasGlyphs(L"WenQuanYi Micro Hei", kCjkCharacters))
        << "no CJK font: install fonts-wqy-microhei (scripts/install-deps.sh) and make the prefix again";
    // The check tells a box: unassigned code points draw as it.
    const std::wstring unassigned = L"\u0379\u0378";
    EXPECT_EQ(GlyphsNotBoxes(FontOf(Field(IDC_SOURCE_PATH)), unassigned), (std::vector<bool>{false, false}));
    // Boxes with the font above present mean, under Wine, that Tahoma is not
    // linked to it (the prefix's FontLink\SystemLink).
    for (const int id : kPathFields) {
        EXPECT_EQ(GlyphsNotBoxes(FontOf(Field(id)), kCjkCharacters), std::vector<bool>(kCjkCharacters.size(), true))
            << id;

        // The whole name shows where the field puts its text, not cut off at
        // its top or bottom.
        ::SetWindowTextW(Field(id), kNames[0]);
        const auto first = static_cast<DWORD>(::SendMessageW(Field(id), EM_POSFROMCHAR, 0, 0));
        RECT client{};
        ::GetClientRect(Field(id), &client);
        const Ink name = Draw(FontOf(Field(id)), kNames[0], {client.right, client.bottom},
                              {static_cast<short>(LOWORD(first)), static_cast<short>(HIWORD(first))});
        ASSERT_TRUE(name.Any()) << id;
        EXPECT_FALSE(name.InkedRow(0)) << id;
        EXPECT_FALSE(name.InkedRow(name.height - 1)) << id;
    }
}

// The room `text` needs in `window`'s font, in pixels.
SIZE TextSize(HWND window, const std::wstring& text, UINT format) {
    const HDC dc = ::GetDC(window);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)));
    RECT rect{0, 0, 0, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT | DT_SINGLELINE);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// Every label's and every text button's text fits its control on one line,
// in the dialog's font at this display's resolution; the path fields are
// tall enough for a line of it.
void ExpectNothingClipped(HWND dialog, const std::string& where) {
    for (const HWND child : Children(dialog)) {
        const std::string className = ClassOf(child);
        const LONG style = ::GetWindowLongW(child, GWL_STYLE);
        RECT client{};
        ::GetClientRect(child, &client);
        const std::wstring text = TextOf(child);
        const std::string name = where + " " + std::to_string(::GetDlgCtrlID(child)) + " \"" + NarrowToUtf8(text) + "\"";
        if (className == "Static" && (style & SS_TYPEMASK) == SS_LEFT) {
            const SIZE need = TextSize(child, text, (style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
            EXPECT_LE(need.cx, client.right) << name;
            EXPECT_LE(need.cy, client.bottom) << name;
        } else if (className == "Button" && (style & (BS_ICON | BS_BITMAP)) == 0) {
            // The button's frame and focus rectangle take about 3 pixels a side.
            const SIZE need = TextSize(child, text, 0);
            EXPECT_LE(need.cx + 6, client.right) << name;
            EXPECT_LE(need.cy + 4, client.bottom) << name;
        } else if (className == "Edit") {
            TEXTMETRICW metrics{};
            RealisedFace(child, &metrics);
            EXPECT_LE(metrics.tmHeight, client.bottom) << name;
        }
    }
}

TEST_F(DialogFontTest, NoTextIsClippedInEitherModeOrInTheAboutBox) {
    ExpectNothingClipped(Dlg(), "encode");
    ::SendMessageW(Dlg(), WM_COMMAND, ID_FILE_DECODE, 0);
    ExpectNothingClipped(Dlg(), "decode");
    ::SendMessageW(Dlg(), WM_COMMAND, ID_FILE_ENCODE, 0);
    CAboutDlg about(&dlg);
    ASSERT_TRUE(about.Create());
    ExpectNothingClipped(about.m_hWnd, "about");
}

}  // namespace
}  // namespace morvane::gui_test
