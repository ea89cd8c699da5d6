// The resources built into morvane.exe: dialogs, menu, strings, icons,
// version block and manifest.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "resource.h"

#include "gui_support.h"

namespace morvane::gui_test {
namespace {

class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        module = ::LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr);
    }
    void TearDown() override { ::FreeLibrary(module); }

    const BYTE* Find(LPCSTR type, UINT id, DWORD* size = nullptr) const {
        const HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), type);
        if (found == nullptr) return nullptr;
        if (size) *size = ::SizeofResource(module, found);
        return static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
    }

    HMODULE module = nullptr;
};

// A dialog template as stored (DLGTEMPLATEEX, then its DLGITEMTEMPLATEEX items).
struct DialogTemplate {
    DWORD exStyle = 0, style = 0;
    short cx = 0, cy = 0;
    std::string menu, caption, font;
    WORD points = 0;
    std::vector<ControlSpec> items;
    std::vector<std::string> classes, texts;  // the items' own strings
};

class TemplateReader {
public:
    explicit TemplateReader(const BYTE* start) : m_start(start), m_p(start) {}
    template <class T>
    T Read() {
        T value;
        std::memcpy(&value, m_p, sizeof value);
        m_p += sizeof value;
        return value;
    }
    // A string, or an ordinal written "#<number>".
    std::string ReadName() {
        const WORD first = Read<WORD>();
        if (first == 0xFFFF) return "#" + std::to_string(Read<WORD>());
        std::string name;
        for (WORD c = first; c != 0; c = Read<WORD>()) name += static_cast<char>(c);
        return name;
    }
    void AlignToDword() { m_p = m_start + ((m_p - m_start + 3) & ~3); }
    void Skip(std::size_t bytes) { m_p += bytes; }

private:
    const BYTE* m_start;
    const BYTE* m_p;
};

DialogTemplate ReadDialog(const BYTE* data) {
    TemplateReader in(data);
    DialogTemplate dialog;
    EXPECT_EQ(in.Read<WORD>(), 1);
    EXPECT_EQ(in.Read<WORD>(), 0xFFFF);
    in.Read<DWORD>();
    dialog.exStyle = in.Read<DWORD>();
    dialog.style = in.Read<DWORD>();
    const WORD count = in.Read<WORD>();
    in.Skip(4);
    dialog.cx = in.Read<short>();
    dialog.cy = in.Read<short>();
    dialog.menu = in.ReadName();
    in.ReadName();
    dialog.caption = in.ReadName();
    dialog.points = in.Read<WORD>();
    in.Skip(4);
    dialog.font = in.ReadName();
    dialog.classes.resize(count);
    dialog.texts.resize(count);
    for (WORD i = 0; i < count; ++i) {
        in.AlignToDword();
        ControlSpec item{};
        in.Read<DWORD>();
        in.Read<DWORD>();
        item.style = in.Read<DWORD>();
        item.dialogUnits.left = in.Read<short>();
        item.dialogUnits.top = in.Read<short>();
        item.dialogUnits.right = in.Read<short>();
        item.dialogUnits.bottom = in.Read<short>();
        item.id = static_cast<int>(in.Read<DWORD>());
        dialog.classes[i] = in.ReadName();
        dialog.texts[i] = in.ReadName();
        in.Skip(in.Read<WORD>());
        dialog.items.push_back(item);
    }
    return dialog;
}

void ExpectControls(const DialogTemplate& dialog, const std::vector<ControlSpec>& expected) {
    const std::map<std::string, std::string> kClassOrdinals = {{"#128", "Button"}, {"#129", "Edit"}, {"#130", "Static"}};
    ASSERT_EQ(dialog.items.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const ControlSpec& item = dialog.items[i];
        EXPECT_EQ(item.id, expected[i].id);
        const auto ordinal = kClassOrdinals.find(dialog.classes[i]);
        EXPECT_STRCASEEQ((ordinal != kClassOrdinals.end() ? ordinal->second : dialog.classes[i]).c_str(),
                         expected[i].className);
        if (expected[i].text) {
            EXPECT_EQ(dialog.texts[i], expected[i].text);
        }
        EXPECT_EQ(item.style, expected[i].style);
        EXPECT_TRUE(::EqualRect(&item.dialogUnits, &expected[i].dialogUnits));
    }
}

TEST_F(ResourcesTest, MainDialogTemplate) {
    const BYTE* data = Find(RT_DIALOG, IDD_CODEC_DIALOG);
    ASSERT_NE(data, nullptr);
    const DialogTemplate dialog = ReadDialog(data);
    EXPECT_EQ(dialog.style,
              static_cast<DWORD>(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU |
                                 WS_MINIMIZEBOX));
    EXPECT_EQ(dialog.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(dialog.cx, 274);
    EXPECT_EQ(dialog.cy, 114);
    EXPECT_EQ(dialog.menu, "");
    EXPECT_EQ(dialog.caption, "Morvane");
    EXPECT_EQ(dialog.font, "MS Sans Serif");
    EXPECT_EQ(dialog.points, 8);
    ExpectControls(dialog, kCodecDialogControls);
}

TEST_F(ResourcesTest, AboutBoxTemplate) {
    const BYTE* data = Find(RT_DIALOG, IDD_ABOUTBOX);
    ASSERT_NE(data, nullptr);
    const DialogTemplate dialog = ReadDialog(data);
    EXPECT_EQ(dialog.style, static_cast<DWORD>(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(dialog.cx, 235);
    EXPECT_EQ(dialog.cy, 66);
    EXPECT_EQ(dialog.caption, "About Morvane");
    EXPECT_EQ(dialog.font, "MS Sans Serif");
    EXPECT_EQ(dialog.points, 8);
    constexpr DWORD kText = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
    ExpectControls(dialog, {
        {IDC_STATIC, "Static", "#128", {11, 17, 20, 20}, WS_CHILD | WS_VISIBLE | SS_ICON},
        {IDC_STATIC, "Static", "Morvane Alpha Version 0.3", {40, 10, 119, 8}, kText | SS_NOPREFIX},
        {IDC_STATIC, "Static", nullptr, {40, 25, 119, 8}, kText},
        {IDOK, "Button", "OK", {178, 7, 50, 14}, WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON},
        {IDC_STATIC, "Static", nullptr, {40, 42, 119, 8}, kText},
    });
}

TEST_F(ResourcesTest, MenuBar) {
    struct Item {
        const char* text;  // null: a separator
        UINT id;
    };
    const std::vector<std::pair<const char*, std::vector<Item>>> expected = {
        {"&File", {{"Encode", ID_FILE_ENCODE}, {"Decode", ID_FILE_DECODE}, {nullptr, 0}, {"E&xit", ID_FILE_EXIT}}},
        {"&Edit",
         {{"&Undo\tCtrl+Z", ID_EDIT_UNDO},
          {nullptr, 0},
          {"Cu&t\tCtrl+X", ID_EDIT_CUT},
          {"&Copy\tCtrl+C", ID_EDIT_COPY},
          {"&Paste\tCtrl+V", ID_EDIT_PASTE},
          {"&Delete\tDel", ID_EDIT_DELETE},
          {nullptr, 0},
          {"Select &All", ID_EDIT_SELECTALL}}},
        {"Help", {{"About Morvane...", ID_HELP_ABOUT}}},
    };
    const HMENU bar = ::LoadMenuA(module, MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(::GetMenuItemCount(bar), static_cast<int>(expected.size()));
    auto text = [](HMENU menu, int position) {
        char buffer[64] = {};
        ::GetMenuStringA(menu, position, buffer, sizeof buffer, MF_BYPOSITION);
        return std::string(buffer);
    };
    for (int p = 0; p < static_cast<int>(expected.size()); ++p) {
        EXPECT_EQ(text(bar, p), expected[p].first);
        const HMENU popup = ::GetSubMenu(bar, p);
        const auto& items = expected[p].second;
        ASSERT_EQ(::GetMenuItemCount(popup), static_cast<int>(items.size()));
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            if (items[i].text == nullptr) {
                EXPECT_NE(::GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR, 0u);
                continue;
            }
            EXPECT_EQ(text(popup, i), items[i].text);
            EXPECT_EQ(::GetMenuItemID(popup, i), items[i].id);
        }
    }
    ::DestroyMenu(bar);
}

TEST_F(ResourcesTest, StringTable) {
    const std::pair<UINT, const char*> expected[] = {
        {IDS_ABOUTBOX, "&About Morvane..."},
        {ID_FILE_ENCODE, "Encode the file."},
        {ID_FILE_DECODE, "Decode the encoded file."},
        {ID_FILE_EXIT, "Exit."},
        {ID_HELP_ABOUT, "About."},
        {IDS_SOURCE_LABEL_ENCODE, "File to encode:"},
        {IDS_SOURCE_LABEL_DECODE, "File to decode:"},
        {IDS_FOLDER_LABEL_ENCODE, "Encode the file into the folder:"},
        {IDS_FOLDER_LABEL_DECODE, "Decode the file into the folder:"},
        {IDS_PROGRESS_LABEL_ENCODE, "Encoding progress:"},
        {IDS_PROGRESS_LABEL_DECODE, "Decoding progress:"},
        {IDS_ACTION_ENCODE, "Encode"},
        {IDS_ACTION_DECODE, "Decode"},
    };
    for (const auto& [id, text] : expected) {
        char buffer[128] = {};
        ::LoadStringA(module, id, buffer, sizeof buffer);
        EXPECT_STREQ(buffer, text) << id;
    }
}

TEST_F(ResourcesTest, IconGroups) {
    // GRPICONDIR: 6 bytes, then 14-byte entries: width, height, colours, 0, planes, bit count, ...
    const std::pair<UINT, std::vector<std::pair<int, int>>> expected[] = {
        {IDR_MAINFRAME, {{32, 4}, {16, 4}, {32, 8}, {16, 8}}},
        {IDI_BROWSE_SOURCE, {{16, 4}, {16, 8}}},
        {IDI_BROWSE_FOLDER, {{16, 4}, {16, 8}}},
    };
    for (const auto& [id, images] : expected) {
        const BYTE* group = Find(RT_GROUP_ICON, id);
        ASSERT_NE(group, nullptr) << id;
        ASSERT_EQ(group[4], images.size()) << id;
        for (std::size_t i = 0; i < images.size(); ++i) {
            const BYTE* entry = group + 6 + 14 * i;
            EXPECT_EQ(entry[0], images[i].first);
            EXPECT_EQ(entry[1], images[i].first);
            EXPECT_EQ(entry[6], images[i].second);
        }
    }
}

TEST_F(ResourcesTest, VersionBlock) {
    DWORD size = 0;
    const BYTE* resource = Find(RT_VERSION, VS_VERSION_INFO, &size);
    ASSERT_NE(resource, nullptr);
    // VerQueryValue wants a writable copy.
    std::vector<BYTE> block(resource, resource + size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0u);
    EXPECT_EQ(fixed->dwFileVersionLS, 3u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0u);
    EXPECT_EQ(fixed->dwProductVersionLS, 3u);
    const std::pair<const char*, const char*> expected[] = {
        {"Comments", "Morvane Application"},   {"FileDescription", "Morvane Application"},
        {"ProductName", "Morvane Application"}, {"InternalName", "Morvane"},
        {"OriginalFilename", "Morvane.EXE"},    {"FileVersion", "0.0.0.3"},
        {"ProductVersion", "0.0.0.3"},
    };
    for (const auto& [name, value] : expected) {
        char* text = nullptr;
        const std::string path = std::string("\\StringFileInfo\\040904b0\\") + name;
        ASSERT_TRUE(::VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length)) << name;
        EXPECT_STREQ(text, value);
    }
}

TEST_F(ResourcesTest, Manifest) {
    DWORD size = 0;
    const BYTE* manifest = Find(RT_MANIFEST, 1, &size);
    ASSERT_NE(manifest, nullptr);
    const std::string text(reinterpret_cast<const char*>(manifest), size);
    for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                             "publicKeyToken=\"6595b64144ccf1df\"", "<dpiAware",
                             "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8<"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    // This test program carries the same manifest: ANSI calls take UTF-8.
    EXPECT_EQ(::GetACP(), 65001u);
}

}  // namespace
}  // namespace morvane::gui_test
