// The font the dialogs draw with: the shell's dialog font in place of the
// template's "MS Sans Serif", so that names in any script show in the path
// fields as themselves. Read in process from the real dialogs: the fields'
// font, names typed into them, and what the fields show, read back from
// their pixels.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
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
    void SetUp() override {
        ASSERT_TRUE(dlg.Create());
        // No caret and no selection in the fields while their pixels are read.
        ::SetFocus(dlg.GetDlgItem(IDCANCEL));
    }
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

// The pixels of a window's client area as it shows them: which of them
// differ from its background (the most common colour), and where.
struct Ink {
    int width = 0;
    int height = 0;
    std::vector<bool> set;

    int Count() const { return static_cast<int>(std::count(set.begin(), set.end(), true)); }
    bool Any() const { return Count() > 0; }
    // Rows [top, bottom) that hold ink.
    int Top() const {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (set[y * width + x]) return y;
        return height;
    }
    int Bottom() const {
        for (int y = height; y > 0; --y)
            for (int x = 0; x < width; ++x)
                if (set[(y - 1) * width + x]) return y;
        return 0;
    }
    int Left() const {
        for (int x = 0; x < width; ++x)
            for (int y = 0; y < height; ++y)
                if (set[y * width + x]) return x;
        return width;
    }
    int Right() const {
        for (int x = width; x > 0; --x)
            for (int y = 0; y < height; ++y)
                if (set[y * width + x - 1]) return x;
        return 0;
    }
};

std::vector<DWORD> ClientPixels(HWND window, int& width, int& height) {
    RECT client{};
    ::GetClientRect(window, &client);
    width = client.right;
    height = client.bottom;
    const HDC dc = ::GetDC(window);
    const HDC memory = ::CreateCompatibleDC(dc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<DWORD> pixels;
    if (bitmap != nullptr) {
        const HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
        ::GdiFlush();
        const auto* first = static_cast<const DWORD*>(bits);
        pixels.assign(first, first + static_cast<std::size_t>(width) * height);
        ::SelectObject(memory, old);
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(memory);
    ::ReleaseDC(window, dc);
    return pixels;
}

// What `field` shows once it has drawn `text`.
Ink Shown(HWND field, const std::wstring& text) {
    ::SetWindowTextW(field, text.c_str());
    ::SendMessageW(field, EM_SETSEL, 0, 0);
    ::RedrawWindow(field, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Ink ink;
    std::vector<DWORD> pixels = ClientPixels(field, ink.width, ink.height);
    // The same pixels twice in a row: the drawing is done.
    for (int i = 0; i < 50; ++i) {
        PumpUntil([] { return false; }, 20);
        int width = 0, height = 0;
        std::vector<DWORD> again = ClientPixels(field, width, height);
        if (again == pixels) break;
        pixels = std::move(again);
    }
    std::vector<DWORD> sorted = pixels;
    std::sort(sorted.begin(), sorted.end());
    DWORD background = 0;
    std::size_t best = 0;
    for (std::size_t at = 0; at < sorted.size();) {
        std::size_t next = at;
        while (next < sorted.size() && sorted[next] == sorted[at]) ++next;
        if (next - at > best) best = next - at, background = sorted[at];
        at = next;
    }
    for (const DWORD pixel : pixels) ink.set.push_back((pixel & 0xFFFFFF) != (background & 0xFFFFFF));
    return ink;
}

// Pixels that one image inks and the other does not.
int Difference(const Ink& a, const Ink& b) {
    if (a.width != b.width || a.height != b.height) return std::max(a.Count(), b.Count());
    int count = 0;
    for (std::size_t i = 0; i < a.set.size(); ++i) count += a.set[i] != b.set[i];
    return count;
}

// Fewer differing pixels than this are no other glyph.
constexpr int kFewPixels = 4;

// Two drawings differ as a glyph and a box do, not by a stray pixel: in at
// least a tenth of the ink they hold together, and in a few pixels at least.
bool DrawnDifferently(const Ink& a, const Ink& b) {
    return Difference(a, b) >= std::max(kFewPixels, (a.Count() + b.Count()) / 10);
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
// Unassigned code points, which no font has: each draws as the same box.
const std::wstring kNoFontHas[] = {L"\u0378", L"\u0379"};

// The verdict on `field` for each character of kCjkCharacters: true where
// it draws a glyph of its own, false where it draws the box.
std::vector<bool> GlyphsNotBoxes(HWND field, std::string& why) {
    const Ink box = Shown(field, kNoFontHas[0]);
    const Ink otherBox = Shown(field, kNoFontHas[1]);
    if (DrawnDifferently(box, otherBox)) why += "two code points no font has draw differently; ";
    std::vector<Ink> drawn;
    std::vector<bool> glyphs;
    for (const wchar_t c : kCjkCharacters) {
        drawn.push_back(Shown(field, std::wstring(1, c)));
        const Ink& ink = drawn.back();
        // A glyph of its own: ink unlike the box's, and not the same as any
        // character's before it (glyphs that share a radical share much of
        // their ink, but never all of it; boxes are all alike).
        int closest = -1;  // none before
        for (std::size_t i = 0; i + 1 < drawn.size(); ++i) {
            const int difference = Difference(ink, drawn[i]);
            closest = closest < 0 ? difference : std::min(closest, difference);
        }
        glyphs.push_back(ink.Any() && DrawnDifferently(ink, box) && (closest < 0 || closest >= kFewPixels));
        char line[128];
        std::snprintf(line, sizeof line, "U+%04X: %d pixels, %d unlike the box's %d, %d unlike the closest before; ",
                      static_cast<unsigned>(c), ink.Count(), Difference(ink, box), box.Count(), closest);
        why += line;
    }
    return glyphs;
}

TEST_F(DialogFontTest, CjkNameShowsAsGlyphsNotBoxesInBothPathFields) {
    // The test prefix has a CJK font (fonts-wqy-microhei, made visible to
    // Wine by scripts/prepare-wine-prefix.sh); without one every system
    // shows boxes, whatever the dialog's font.
    ASSERT_TRUE(FaceHasGlyphs(L"WenQuanYi Micro Hei", kCjkCharacters))
        << "no CJK font: install fonts-wqy-microhei (scripts/install-deps.sh) and make the prefix again";
    // Each failure below says how the field drew each character, against
    // the box. Under Wine, boxes with the font above present mean that
    // Tahoma is not linked to it (the prefix's FontLink\SystemLink).
    for (const int id : kPathFields) {
        std::string why;
        const std::vector<bool> glyphs = GlyphsNotBoxes(Field(id), why);
        EXPECT_EQ(glyphs, std::vector<bool>(kCjkCharacters.size(), true)) << id << ": " << why;
        RecordProperty("field" + std::to_string(id), why);

        // The whole name shows, not cut off at the field's top or bottom.
        const Ink name = Shown(Field(id), kNames[0]);
        EXPECT_TRUE(name.Any());
        EXPECT_GT(name.Top(), 0) << id;
        EXPECT_LT(name.Bottom(), name.height) << id;
    }
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

TEST_F(DialogFontTest, TheCheckSeesTheBoxesOfTheTemplatesOwnFont) {
    // The same check on the dialog made straight from the resource, in
    // "MS Sans Serif": the fields show some of the CJK characters as boxes
    // there (under Wine the Korean ones; the Chinese ones come through the
    // fallback font of the field's text layout), the fault the substitution
    // mends. This shows that the check above can tell boxes from glyphs.
    ASSERT_TRUE(FaceHasGlyphs(L"WenQuanYi Micro Hei", kCjkCharacters));
    const HWND plain = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDD_CODEC_DIALOG), nullptr,
                                            PlainDialogProc, 0);
    ASSERT_NE(plain, nullptr);
    EXPECT_STREQ(LogFontOf(plain).lfFaceName, L"MS Sans Serif");
    std::string why;
    const std::vector<bool> glyphs = GlyphsNotBoxes(::GetDlgItem(plain, IDC_SOURCE_PATH), why);
    EXPECT_NE(glyphs, std::vector<bool>(kCjkCharacters.size(), true)) << why;
    RecordProperty("field", why);
    ::DestroyWindow(plain);
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
