// The resources built into morvane.exe: dialog templates, menu, strings,
// icons, version block and manifest, read back from the program file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gui_support.h"
#include "morvane_version.h"
#include "resource.h"

namespace morvane::gui_test {
namespace {

class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        module = ::LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr);
    }
    void TearDown() override { ::FreeLibrary(module); }

    std::string Find(LPCSTR type, UINT id) const {
        const HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), type);
        if (found == nullptr) return {};
        const char* data = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
        return std::string(data, ::SizeofResource(module, found));
    }

    HMODULE module = nullptr;
};

// Reads a DLGTEMPLATEEX and its items as lines of text, one for the dialog
// and one per control: id, class (in lower case: the resource compiler
// stores names in upper case, and the system ignores it), text, x, y,
// width, height and style.
class TemplateReader {
public:
    explicit TemplateReader(const std::string& data) : m_data(data) {}

    std::vector<std::string> Describe() {
        Skip(8);
        const DWORD exStyle = Read<DWORD>(), style = Read<DWORD>();
        const WORD count = Read<WORD>();
        Skip(4);
        const short cx = Read<short>(), cy = Read<short>();
        const std::string menu = Name(), windowClass = Name(), caption = Name();
        const WORD points = Read<WORD>();
        Skip(4);
        std::vector<std::string> lines{Format("\"%s\" %dx%d menu=%s font=%s,%u style=%08lx ex=%08lx", caption.c_str(),
                                              cx, cy, menu.c_str(), Name().c_str(), points, style, exStyle)};
        for (WORD i = 0; i < count; ++i) {
            m_at = (m_at + 3) & ~std::size_t{3};
            Skip(8);
            const DWORD itemStyle = Read<DWORD>();
            const short x = Read<short>(), y = Read<short>(), w = Read<short>(), h = Read<short>();
            const int id = static_cast<int>(Read<DWORD>());
            std::string itemClass = Name();
            const std::string text = Name();
            for (char& c : itemClass) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            Skip(Read<WORD>());
            lines.push_back(Format("%d %s \"%s\" %d,%d,%d,%d %08lx", id, itemClass.c_str(), text.c_str(), x, y, w, h,
                                   itemStyle));
        }
        return lines;
    }

private:
    template <class T>
    T Read() {
        T value;
        std::memcpy(&value, m_data.data() + m_at, sizeof value);
        m_at += sizeof value;
        return value;
    }
    void Skip(std::size_t bytes) { m_at += bytes; }
    // A string, or an ordinal written #number.
    std::string Name() {
        const WORD first = Read<WORD>();
        if (first == 0xFFFF) return "#" + std::to_string(Read<WORD>());
        std::string name;
        for (WORD c = first; c != 0; c = Read<WORD>()) name += static_cast<char>(c);
        return name;
    }
    template <class... Args>
    static std::string Format(const char* format, Args... args) {
        char line[256];
        std::snprintf(line, sizeof line, format, args...);
        return line;
    }

    const std::string& m_data;
    std::size_t m_at = 0;
};

TEST_F(ResourcesTest, DialogTemplates) {
    // Classes #128 button, #129 edit, #130 static. Styles: 5xxxxxxx is a visible
    // child; 0002 group, 0001 tab stop, 0080 (edit) auto-scroll, 0040 (button)
    // icon, 0080 (static) no prefix; 0080 0000 border.
    EXPECT_EQ(TemplateReader(Find(RT_DIALOG, IDD_CODEC_DIALOG)).Describe(),
              (std::vector<std::string>{
                  "\"Morvane\" 274x114 menu= font=MS Sans Serif,8 style=90ca00c0 ex=00040000",
                  "1009 #130 \"File to encode:\" 7,7,116,8 50020000",
                  "1000 #129 \"\" 7,17,172,14 50810080",
                  "1001 #128 \"...\" 183,17,18,14 50010040",
                  "1010 #130 \"Encode the file into the folder:\" 7,36,143,8 50020000",
                  "1002 #129 \"\" 7,48,172,14 50810080",
                  "1003 #128 \"...\" 183,48,18,14 50010040",
                  "1011 #130 \"Encoding progress:\" 7,68,218,8 50020000",
                  "1007 msctls_progress32 \"\" 7,79,194,14 50800001",
                  "1 #128 \"Encode\" 217,7,50,14 50010000",
                  "2 #128 \"Close\" 217,25,50,14 50010000",
              }));
    const auto about = TemplateReader(Find(RT_DIALOG, IDD_ABOUTBOX)).Describe();
    ASSERT_EQ(about.size(), 6u);
    EXPECT_EQ(about[0], "\"About Morvane\" 235x66 menu= font=MS Sans Serif,8 style=80c800c0 ex=00000000");
    EXPECT_EQ(about[1], "-1 static \"#128\" 11,17,20,20 50000003");
    EXPECT_EQ(about[2], "-1 #130 \"Morvane Alpha Version 0.3\" 40,10,119,8 50020080");
    EXPECT_EQ(about[3].substr(0, 8), "-1 #130 ");
    EXPECT_EQ(about[4], "1 #128 \"OK\" 178,7,50,14 50030001");
    EXPECT_EQ(about[5].substr(0, 8), "-1 #130 ");
    // The Windows packages ship the README as README.txt.
    EXPECT_NE(about[5].find("\"No web site; see README.txt\""), std::string::npos) << about[5];
}

std::string DescribeMenu(HMENU menu) {
    std::string text;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        char label[64] = {};
        ::GetMenuStringA(menu, i, label, sizeof label, MF_BYPOSITION);
        if (const HMENU popup = ::GetSubMenu(menu, i))
            text += std::string(label) + "[" + DescribeMenu(popup) + "]";
        else if (::GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR)
            text += "-|";
        else
            text += std::string(label) + "=" + std::to_string(::GetMenuItemID(menu, i)) + "|";
    }
    return text;
}

TEST_F(ResourcesTest, MenuBar) {
    const HMENU bar = ::LoadMenuA(module, MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(DescribeMenu(bar),
              "&File[Encode=32771|Decode=32772|-|E&xit=32773|]"
              "&Edit[&Undo\tCtrl+Z=57643|-|Cu&t\tCtrl+X=57635|&Copy\tCtrl+C=57634|&Paste\tCtrl+V=57637|"
              "&Delete\tDel=32778|-|Select &All=32779|]"
              "Help[About Morvane...=32774|]");
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
        {IDS_CLOSE, "Close"},
        {IDS_STOP, "Stop"},
        {IDS_SHOW_IN_FOLDER, "Show in Folder"},
    };
    for (const auto& [id, text] : expected) {
        char buffer[128] = {};
        ::LoadStringA(module, id, buffer, sizeof buffer);
        EXPECT_STREQ(buffer, text) << id;
    }
}

// One image of an icon group, as its directory entry gives it.
struct IconEntry {
    int size;  // width and height: 256 is stored as 0
    int bits;
    WORD id;   // of its RT_ICON resource
};

std::vector<IconEntry> IconEntries(const std::string& group) {
    // GRPICONDIR: 6 bytes, then 14 per image: width, height, colours, 0,
    // planes, bit count, bytes, id.
    std::vector<IconEntry> entries;
    for (std::size_t at = 6; at + 14 <= group.size(); at += 14) {
        WORD bits = 0;
        WORD id = 0;
        std::memcpy(&bits, group.data() + at + 6, sizeof bits);
        std::memcpy(&id, group.data() + at + 12, sizeof id);
        entries.push_back({BYTE(group[at]) == 0 ? 256 : BYTE(group[at]), bits, id});
    }
    return entries;
}

constexpr UINT kIconGroups[] = {IDR_MAINFRAME, IDI_BROWSE_SOURCE, IDI_BROWSE_FOLDER, IDI_CONTAINER};

TEST_F(ResourcesTest, IconGroups) {
    auto describe = [](const std::string& group) {
        std::string images;
        for (const IconEntry& entry : IconEntries(group))
            images += std::to_string(entry.size) + "x" + std::to_string(entry.bits) + " ";
        return images;
    };
    // 32-bit images with alpha at every size Windows asks for, then the 16-
    // and 256-colour images for old displays.
    EXPECT_EQ(describe(Find(RT_GROUP_ICON, IDR_MAINFRAME)),
              "256x32 64x32 48x32 40x32 32x32 24x32 20x32 16x32 32x8 16x8 32x4 16x4 ");
    EXPECT_EQ(describe(Find(RT_GROUP_ICON, IDI_BROWSE_SOURCE)), "32x32 24x32 20x32 16x32 16x8 16x4 ");
    EXPECT_EQ(describe(Find(RT_GROUP_ICON, IDI_BROWSE_FOLDER)), "32x32 24x32 20x32 16x32 16x8 16x4 ");
    EXPECT_EQ(describe(Find(RT_GROUP_ICON, IDI_CONTAINER)),
              "256x32 64x32 48x32 40x32 32x32 24x32 20x32 16x32 16x8 16x4 ");
}

// Each image is what its entry says: a PNG of 256 x 256 pixels, or a
// bitmap of its size and depth whose mask (for 32 bits) is set exactly
// where the alpha is 0.
TEST_F(ResourcesTest, EveryIconImageIsWhatItsEntrySays) {
    for (const UINT group : kIconGroups) {
        for (const IconEntry& entry : IconEntries(Find(RT_GROUP_ICON, group))) {
            SCOPED_TRACE(std::to_string(group) + ", " + std::to_string(entry.size) + " px, " +
                         std::to_string(entry.bits) + " bits");
            const std::string image = Find(RT_ICON, entry.id);
            if (entry.size == 256) {
                ASSERT_GE(image.size(), 24u);
                EXPECT_EQ(image.substr(0, 8), "\x89PNG\r\n\x1a\n");
                EXPECT_EQ(image.substr(12, 4), "IHDR");
                EXPECT_EQ(image.substr(16, 8), std::string("\0\0\1\0\0\0\1\0", 8));  // 256 x 256
                EXPECT_EQ(image[24], 8);  // bits per channel
                EXPECT_EQ(image[25], 6);  // RGBA
                continue;
            }
            BITMAPINFOHEADER header{};
            ASSERT_GE(image.size(), sizeof header);
            std::memcpy(&header, image.data(), sizeof header);
            EXPECT_EQ(header.biWidth, entry.size);
            EXPECT_EQ(header.biHeight, 2 * entry.size);  // colour and mask
            EXPECT_EQ(header.biBitCount, entry.bits);
            if (entry.bits != 32) continue;
            const std::size_t colourBytes = std::size_t{4} * entry.size * entry.size;
            const std::size_t maskRow = ((static_cast<std::size_t>(entry.size) + 31) / 32) * 4;
            ASSERT_EQ(image.size(), header.biSize + colourBytes + maskRow * entry.size);
            const auto* colour = reinterpret_cast<const BYTE*>(image.data() + header.biSize);
            const BYTE* mask = colour + colourBytes;
            int partlyTransparent = 0;
            for (int y = 0; y < entry.size; ++y) {
                for (int x = 0; x < entry.size; ++x) {
                    const BYTE alpha = colour[(y * entry.size + x) * 4 + 3];
                    const bool masked = (mask[y * maskRow + x / 8] & (0x80 >> (x % 8))) != 0;
                    EXPECT_EQ(masked, alpha == 0) << x << "," << entry.size - 1 - y;
                    if (alpha != 0 && alpha != 255) ++partlyTransparent;
                }
            }
            // Above 16 px the edges are smooth; 16 px is the sharp pixel art.
            if (entry.size > 16) {
                EXPECT_GT(partlyTransparent, 0);
            }
        }
    }
}

// Asked for a size, Windows finds an image of exactly that size.
TEST_F(ResourcesTest, IconsLoadAtEverySizeTheyHold) {
    const std::pair<UINT, std::vector<int>> cases[] = {
        {IDR_MAINFRAME, {16, 20, 24, 32, 40, 48, 64, 256}},
        {IDI_BROWSE_SOURCE, {16, 20, 24, 32}},
        {IDI_BROWSE_FOLDER, {16, 20, 24, 32}},
        {IDI_CONTAINER, {16, 20, 24, 32, 40, 48, 64, 256}},
    };
    const HMODULE program = ::LoadLibraryExW(WidenUtf8(ProgramPath()).c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    for (const auto& [group, sizes] : cases) {
        for (const int size : sizes) {
            const auto icon = static_cast<HICON>(
                ::LoadImageW(program, MAKEINTRESOURCEW(group), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
            ASSERT_NE(icon, nullptr) << group << " at " << size;
            ICONINFO info{};
            ASSERT_TRUE(::GetIconInfo(icon, &info));
            BITMAP bitmap{};
            ::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
            EXPECT_EQ(bitmap.bmWidth, size) << group;
            EXPECT_EQ(bitmap.bmHeight, size) << group;
            // As loaded (the 256 px one from its PNG): black under every
            // transparent pixel, and some pixels transparent.
            BITMAPINFO format{};
            format.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            std::vector<RGBQUAD> pixels(static_cast<std::size_t>(size) * size);
            const HDC screen = ::GetDC(nullptr);
            EXPECT_EQ(::GetDIBits(screen, info.hbmColor, 0, size, pixels.data(), &format, DIB_RGB_COLORS), size);
            ::ReleaseDC(nullptr, screen);
            int transparent = 0;
            int coloured = 0;
            for (const RGBQUAD& pixel : pixels) {
                if (pixel.rgbReserved != 0) continue;
                ++transparent;
                if (pixel.rgbRed != 0 || pixel.rgbGreen != 0 || pixel.rgbBlue != 0) ++coloured;
            }
            EXPECT_GT(transparent, 0) << group << " at " << size;
            EXPECT_EQ(coloured, 0) << group << " at " << size;
            ::DeleteObject(info.hbmColor);
            ::DeleteObject(info.hbmMask);
            ::DestroyIcon(icon);
        }
    }
    ::FreeLibrary(program);
}

// Pixels of one icon image (a BITMAPINFOHEADER, its palette, the colour
// bits bottom-up and the AND mask) whose mask bit is set, that is
// transparent, but whose colour is not black. Windows draws an icon as screen
// AND mask XOR colour, so such a pixel shows as a coloured speck.
std::vector<std::string> ColouredTransparentPixels(const std::string& image) {
    BITMAPINFOHEADER header{};
    std::memcpy(&header, image.data(), sizeof header);
    const int size = header.biWidth;
    const int bits = header.biBitCount;
    const std::size_t colours = bits <= 8 ? (header.biClrUsed ? header.biClrUsed : 1u << bits) : 0;
    const auto* palette = reinterpret_cast<const RGBQUAD*>(image.data() + header.biSize);
    const std::size_t colourRow = ((static_cast<std::size_t>(size) * bits + 31) / 32) * 4;
    const std::size_t maskRow = ((static_cast<std::size_t>(size) + 31) / 32) * 4;
    const auto* colour = reinterpret_cast<const BYTE*>(palette + colours);
    const BYTE* mask = colour + colourRow * size;
    std::vector<std::string> found;
    if (mask + maskRow * size > reinterpret_cast<const BYTE*>(image.data() + image.size())) return {"truncated"};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if ((mask[y * maskRow + x / 8] & (0x80 >> (x % 8))) == 0) continue;
            const BYTE* row = colour + y * colourRow;
            RGBQUAD rgb{};
            if (bits == 4)
                rgb = palette[(x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 0x0F];
            else if (bits == 8)
                rgb = palette[row[x]];
            else
                std::memcpy(&rgb, row + x * (bits / 8), 3);
            if (rgb.rgbRed != 0 || rgb.rgbGreen != 0 || rgb.rgbBlue != 0)
                found.push_back(std::to_string(x) + "," + std::to_string(size - 1 - y));
        }
    }
    return found;
}

TEST_F(ResourcesTest, EveryTransparentPixelOfEveryIconImageIsBlack) {
    for (const UINT group : kIconGroups) {
        const std::string entries = Find(RT_GROUP_ICON, group);
        ASSERT_GE(entries.size(), 6u + 14u) << group;
        for (std::size_t at = 6; at + 14 <= entries.size(); at += 14) {
            WORD id = 0;
            std::memcpy(&id, entries.data() + at + 12, sizeof id);
            const std::string image = Find(RT_ICON, id);
            ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER)) << group << " image " << id;
            if (image.compare(1, 3, "PNG") == 0) continue;  // no mask: below
            EXPECT_EQ(ColouredTransparentPixels(image), std::vector<std::string>{})
                << "icon " << group << ", image " << id << " (" << int(BYTE(entries[at])) << " pixels, "
                << int(BYTE(entries[at + 6])) << " bits)";
        }
    }
}

TEST_F(ResourcesTest, VersionBlock) {
    // Read the way VerQueryValueA needs it: it writes its ANSI copies of the
    // strings into room that GetFileVersionInfo leaves after the block.
    const std::string program = ProgramPath();
    std::vector<char> block(::GetFileVersionInfoSizeA(program.c_str(), nullptr));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(::GetFileVersionInfoA(program.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    // The project version, which the build writes into morvane_version.h.
    const DWORD high = MORVANE_VERSION_MAJOR << 16 | MORVANE_VERSION_MINOR;
    const DWORD low = MORVANE_VERSION_PATCH << 16 | MORVANE_VERSION_TWEAK;
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    const std::pair<const char*, const char*> expected[] = {
        {"Comments", "Morvane Application"},   {"FileDescription", "Morvane Application"},
        {"ProductName", "Morvane Application"}, {"InternalName", "Morvane"},
        {"OriginalFilename", "Morvane.EXE"},    {"FileVersion", MORVANE_VERSION_TEXT},
        {"ProductVersion", MORVANE_VERSION_TEXT}, {"CompanyName", "The Morvane authors"},
    };
    for (const auto& [name, value] : expected) {
        char* text = nullptr;
        const std::string path = std::string("\\StringFileInfo\\040904b0\\") + name;
        ASSERT_TRUE(::VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length)) << name;
        EXPECT_STREQ(text, value);
    }
    // The copyright as the About box and the licence have it, read wide: the
    // sign is no ANSI character everywhere.
    wchar_t* copyright = nullptr;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\LegalCopyright",
                                 reinterpret_cast<void**>(&copyright), &length));
    EXPECT_STREQ(copyright, L"\u00A9 2026 The Morvane authors");
}

TEST_F(ResourcesTest, Manifest) {
    const std::string text = Find(RT_MANIFEST, 1);
    for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                             "publicKeyToken=\"6595b64144ccf1df\"",
                             "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true<",
                             "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                             "PerMonitorV2, PerMonitor<",
                             "<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true<",
                             "<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    // Windows Vista, 7, 8, 8.1, and 10 and 11, in that order.
    const char* const systems[] = {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                   "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                   "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"};
    std::size_t after = 0;
    for (const char* id : systems) {
        const std::size_t at = text.find(std::string("<supportedOS Id=\"") + id + "\"/>", after);
        EXPECT_NE(at, std::string::npos) << id;
        after = at == std::string::npos ? after : at;
    }
    // The wide calls carry any name; the ANSI code page stays the system's,
    // in which an older program's stored extension is read.
    EXPECT_EQ(text.find("activeCodePage"), std::string::npos);
    // The program and the common controls it asks for are of the build's own
    // architecture; Windows refuses a manifest of another.
    const std::string architecture =
        sizeof(void*) == 8 ? "processorArchitecture=\"amd64\"" : "processorArchitecture=\"x86\"";
    std::size_t count = 0;
    for (std::size_t at = text.find("processorArchitecture="); at != std::string::npos;
         at = text.find("processorArchitecture=", at + 1)) {
        EXPECT_EQ(text.compare(at, architecture.size(), architecture), 0) << text.substr(at, 32);
        ++count;
    }
    EXPECT_EQ(count, 2u);
    // The program's identity carries the project version.
    EXPECT_NE(text.find("name=\"Morvane.Application\" version=\"" MORVANE_VERSION_TEXT "\""), std::string::npos);
}

}  // namespace
}  // namespace morvane::gui_test
