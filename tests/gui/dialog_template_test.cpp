// CDialogTemplate (ui/win/dialog_template.h) byte by byte: templates of
// either layout written here field by field, the copy the substitution
// makes of them, and the program's own dialogs made from such a copy.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "gui_support.h"
#include "resource.h"
#include "win/app.h"
#include "win/dialog_template.h"

namespace morvane::gui_test {
namespace {

// Writes a template's fields in order, little-endian as Windows reads them.
class Bytes {
public:
    Bytes& Word(WORD value) { return Raw(&value, sizeof value); }
    Bytes& Dword(DWORD value) { return Raw(&value, sizeof value); }
    Bytes& Byte(BYTE value) { return Raw(&value, sizeof value); }
    Bytes& String(const std::wstring& text) {
        for (const wchar_t c : text) Word(static_cast<WORD>(c));
        return Word(0);
    }
    Bytes& Ordinal(WORD value) { return Word(0xFFFF).Word(value); }
    Bytes& AlignToDword() {
        while (data.size() % 4 != 0) data.push_back(0);
        return *this;
    }
    Bytes& Raw(const void* bytes, std::size_t size) {
        const auto* begin = static_cast<const BYTE*>(bytes);
        data.insert(data.end(), begin, begin + size);
        return *this;
    }
    std::vector<BYTE> data;
};

constexpr DWORD kDialogStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT;
constexpr DWORD kBarStyle = WS_CHILD | WS_VISIBLE | WS_BORDER;
constexpr WORD kStaticClass = 0x0082;

// The DLGTEMPLATEEX header of the dialog both tests use, up to its font.
Bytes ExHeader(DWORD style) {
    Bytes b;
    b.Word(1).Word(0xFFFF).Dword(7 /* help id */).Dword(WS_EX_APPWINDOW).Dword(style);
    b.Word(3).Word(0).Word(0).Word(274).Word(114);
    b.Ordinal(128 /* menu */).Word(0 /* class */).String(L"Any title");
    return b;
}

// Its three items: a label of id -1, a control of a named class whose title
// is an icon's ordinal, and one with four bytes of creation data.
void ExItems(Bytes& b) {
    b.AlignToDword().Dword(0).Dword(0).Dword(kLabelStyle).Word(7).Word(7).Word(116).Word(8).Dword(0xFFFFFFFF);
    b.Ordinal(kStaticClass).String(L"File to encode:").Word(0);
    b.AlignToDword().Dword(42).Dword(WS_EX_CLIENTEDGE).Dword(kBarStyle).Word(7).Word(79).Word(194).Word(14).Dword(1007);
    b.String(L"msctls_progress32").Ordinal(128).Word(0);
    b.AlignToDword().Dword(0).Dword(0).Dword(kLabelStyle).Word(1).Word(2).Word(3).Word(4).Dword(1000);
    b.Ordinal(kStaticClass).String(L"x").Word(4).Dword(0xA5A5A5A5);
}

std::vector<BYTE> ExTemplate(const std::wstring& face, DWORD style = kDialogStyle | DS_SETFONT, BYTE charset = 0) {
    Bytes b = ExHeader(style);
    if (style & DS_SETFONT) b.Word(8).Word(FW_BOLD).Byte(TRUE).Byte(charset).String(face);
    ExItems(b);
    return b.data;
}

// The same dialog as a DLGTEMPLATE: no help ids, and word-sized item ids.
std::vector<BYTE> PlainTemplate(const std::wstring& face, DWORD style = kDialogStyle | DS_SETFONT) {
    Bytes b;
    b.Dword(style).Dword(WS_EX_APPWINDOW).Word(3).Word(0).Word(0).Word(274).Word(114);
    b.Ordinal(128).Word(0).String(L"Any title");
    if (style & DS_SETFONT) b.Word(8).String(face);
    b.AlignToDword().Dword(kLabelStyle).Dword(0).Word(7).Word(7).Word(116).Word(8).Word(0xFFFF);
    b.Ordinal(kStaticClass).String(L"File to encode:").Word(0);
    b.AlignToDword().Dword(kBarStyle).Dword(WS_EX_CLIENTEDGE).Word(7).Word(79).Word(194).Word(14).Word(1007);
    b.String(L"msctls_progress32").Ordinal(128).Word(0);
    b.AlignToDword().Dword(kLabelStyle).Dword(0).Word(1).Word(2).Word(3).Word(4).Word(1000);
    b.Ordinal(kStaticClass).String(L"x").Word(4).Dword(0xA5A5A5A5);
    return b.data;
}

std::vector<BYTE> Substituted(const std::vector<BYTE>& bytes, bool* substituted = nullptr) {
    CDialogTemplate copy(bytes.data(), bytes.size());
    EXPECT_FALSE(copy.IsEmpty());
    const bool done = copy.SubstituteShellFont();
    if (substituted != nullptr) *substituted = done;
    return copy.Bytes();
}

TEST(DialogTemplateTest, ReadsTheFontOfEitherLayout) {
    for (const auto& bytes : {ExTemplate(L"MS Sans Serif"), PlainTemplate(L"MS Sans Serif")}) {
        const CDialogTemplate copy(bytes.data(), bytes.size());
        ASSERT_FALSE(copy.IsEmpty());
        EXPECT_EQ(copy.Size(), bytes.size());
        EXPECT_EQ(copy.Bytes(), bytes);
        EXPECT_EQ(copy.IsDialogEx(), bytes == ExTemplate(L"MS Sans Serif"));
        std::wstring face;
        WORD points = 0;
        ASSERT_TRUE(copy.GetFont(face, points));
        EXPECT_EQ(face, L"MS Sans Serif");
        EXPECT_EQ(points, 8);
        // The copy is DWORD-aligned, as the dialog manager needs it.
        EXPECT_EQ(reinterpret_cast<UINT_PTR>(copy.Get()) % 4, 0u);
    }
}

TEST(DialogTemplateTest, ExtendedTemplateGetsTheShellFontAndKeepsEverythingElse) {
    bool substituted = false;
    // Weight and italic are kept, the character set becomes DEFAULT_CHARSET,
    // the items move with the longer name and are aligned again.
    EXPECT_EQ(Substituted(ExTemplate(L"MS Sans Serif"), &substituted),
              ExTemplate(L"MS Shell Dlg 2", kDialogStyle | DS_SHELLFONT, DEFAULT_CHARSET));
    EXPECT_TRUE(substituted);
}

TEST(DialogTemplateTest, PlainTemplateBecomesTheSameExtendedOneWithTheShellFont) {
    // DS_SHELLFONT counts in a DLGTEMPLATEEX only. Its font then has the
    // weight and italic the dialog manager gives a DLGTEMPLATE's font; the
    // items get help id 0, their word ids are widened without sign (0xFFFF
    // stays 0xFFFF), and the title's ordinal and the creation data are kept.
    Bytes b;
    b.Word(1).Word(0xFFFF).Dword(0).Dword(WS_EX_APPWINDOW).Dword(kDialogStyle | DS_SHELLFONT);
    b.Word(3).Word(0).Word(0).Word(274).Word(114);
    b.Ordinal(128).Word(0).String(L"Any title");
    b.Word(8).Word(FW_DONTCARE).Byte(FALSE).Byte(DEFAULT_CHARSET).String(L"MS Shell Dlg 2");
    b.AlignToDword().Dword(0).Dword(0).Dword(kLabelStyle).Word(7).Word(7).Word(116).Word(8).Dword(0xFFFF);
    b.Ordinal(kStaticClass).String(L"File to encode:").Word(0);
    b.AlignToDword().Dword(0).Dword(WS_EX_CLIENTEDGE).Dword(kBarStyle).Word(7).Word(79).Word(194).Word(14).Dword(1007);
    b.String(L"msctls_progress32").Ordinal(128).Word(0);
    b.AlignToDword().Dword(0).Dword(0).Dword(kLabelStyle).Word(1).Word(2).Word(3).Word(4).Dword(1000);
    b.Ordinal(kStaticClass).String(L"x").Word(4).Dword(0xA5A5A5A5);
    EXPECT_EQ(Substituted(PlainTemplate(L"Helv")), b.data);
}

TEST(DialogTemplateTest, OldFacesAreFoundInAnyCase) {
    for (const wchar_t* face : {L"MS Sans Serif", L"ms sans serif", L"MS SANS SERIF", L"Helv", L"HELV"}) {
        bool substituted = false;
        Substituted(ExTemplate(face), &substituted);
        EXPECT_TRUE(substituted) << NarrowToUtf8(face);
    }
}

TEST(DialogTemplateTest, OtherFontsAndTemplatesWithoutAFontStayAsTheyAre) {
    const std::vector<std::vector<BYTE>> templates = {
        ExTemplate(L"Tahoma"),
        ExTemplate(L"MS Shell Dlg", kDialogStyle | DS_SHELLFONT),
        ExTemplate(L"MS Sans Serif2"),
        ExTemplate(L"Hel"),
        ExTemplate(std::wstring()),
        PlainTemplate(L"Courier"),
        ExTemplate(std::wstring(), kDialogStyle),
        PlainTemplate(std::wstring(), kDialogStyle),
    };
    for (std::size_t i = 0; i < templates.size(); ++i) {
        bool substituted = true;
        EXPECT_EQ(Substituted(templates[i], &substituted), templates[i]) << i;
        EXPECT_FALSE(substituted) << i;
    }
    std::wstring face;
    WORD points = 0;
    const CDialogTemplate noFont(templates[6].data(), templates[6].size());
    EXPECT_FALSE(noFont.GetFont(face, points));
}

TEST(DialogTemplateTest, TruncatedTemplatesAreRefused) {
    // Every template here ends with its last item's data: any shorter copy
    // cuts a field, and must be refused rather than read past its end.
    for (const auto& bytes : {ExTemplate(L"MS Sans Serif"), PlainTemplate(L"Helv")}) {
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            const std::vector<BYTE> cut(bytes.begin(), bytes.begin() + size);
            CDialogTemplate copy(cut.data(), cut.size());
            EXPECT_TRUE(copy.IsEmpty()) << size;
            EXPECT_FALSE(copy.SubstituteShellFont()) << size;
        }
    }
    CDialogTemplate none;
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_FALSE(none.SubstituteShellFont());
    EXPECT_FALSE(none.Load(AfxGetResourceHandle(), MAKEINTRESOURCEW(4711)));
}

// A dialog's child windows as text: id, class, text, style, extended style
// and place in pixels.
std::vector<std::string> DescribeChildren(HWND dialog) {
    std::vector<std::string> lines;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char className[64] = {};
        ::GetClassNameA(child, className, sizeof className);
        lines.push_back(std::to_string(::GetDlgCtrlID(child)) + " " + className + " \"" +
                        GetWindowTextString(child) + "\" " +
                        std::to_string(::GetWindowLongW(child, GWL_STYLE)) + " " +
                        std::to_string(::GetWindowLongW(child, GWL_EXSTYLE)));
    }
    return lines;
}

std::wstring FaceOf(HWND window) {
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    LOGFONTW logFont{};
    if (font == nullptr || ::GetObjectW(font, sizeof logFont, &logFont) == 0) return L"(none)";
    return logFont.lfFaceName;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

TEST(DialogTemplateTest, ProgramDialogsMadeFromTheCopyHaveTheSameControlsInTheShellFont) {
    for (const UINT id : {IDD_CODEC_DIALOG, IDD_ABOUTBOX}) {
        CDialogTemplate copy;
        ASSERT_TRUE(copy.Load(AfxGetResourceHandle(), MAKEINTRESOURCEW(id))) << id;
        // windres writes a DIALOGEX statement as a DLGTEMPLATEEX.
        EXPECT_TRUE(copy.IsDialogEx()) << id;
        std::wstring face;
        WORD points = 0;
        ASSERT_TRUE(copy.GetFont(face, points));
        EXPECT_EQ(face, L"MS Sans Serif");
        const DWORD style = copy.Style();
        EXPECT_EQ(style & DS_SHELLFONT, static_cast<DWORD>(DS_SETFONT));

        ASSERT_TRUE(copy.SubstituteShellFont()) << id;
        WORD newPoints = 0;
        ASSERT_TRUE(copy.GetFont(face, newPoints));
        EXPECT_EQ(face, L"MS Shell Dlg 2");
        EXPECT_EQ(newPoints, points);
        EXPECT_EQ(copy.Style(), style | DS_SHELLFONT);

        const HWND original = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), nullptr,
                                                   PlainDialogProc, 0);
        const HWND patched =
            ::CreateDialogIndirectParamW(AfxGetResourceHandle(), copy.Get(), nullptr, PlainDialogProc, 0);
        ASSERT_NE(original, nullptr);
        ASSERT_NE(patched, nullptr);
        EXPECT_EQ(DescribeChildren(patched), DescribeChildren(original)) << id;
        EXPECT_EQ(FaceOf(original), L"MS Sans Serif");
        EXPECT_EQ(FaceOf(patched), L"MS Shell Dlg 2");
        ::DestroyWindow(original);
        ::DestroyWindow(patched);
    }
}

}  // namespace
}  // namespace morvane::gui_test
