#include "dialog_template.h"

#include <cstring>
#include <utility>

namespace {

// Bytes [begin, end) of the template.
struct Range {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// The styles a dialog and each of its items start with, in either layout.
struct Styles {
    DWORD helpId = 0;  // a DLGTEMPLATEEX's only
    DWORD exStyle = 0;
    DWORD style = 0;
};

// A position and size in dialog units, stored as four shorts in both layouts.
struct Box {
    short x = 0, y = 0, cx = 0, cy = 0;
};
static_assert(sizeof(Box) == 4 * sizeof(short));

struct Item {
    Styles styles;
    Box box;
    DWORD id = 0;
    Range windowClass, title, data;  // data: the size word and what follows it
};

// A template taken apart; the strings and the creation data stay where they
// are and are copied as they are.
struct ParsedTemplate {
    bool ex = false;
    Styles styles;
    Box box;
    Range menu, windowClass, title;
    bool hasFont = false;
    WORD points = 0;
    WORD weight = FW_DONTCARE;
    BYTE italic = FALSE;
    BYTE charset = DEFAULT_CHARSET;
    std::wstring face;
    std::vector<Item> items;
    std::size_t end = 0;  // where the last item ends
};

constexpr WORD kExSignature = 0xFFFF;

// Reads a template's fields, never past its end; `ok` turns false for good
// once a read would.
class Reader {
public:
    Reader(const BYTE* data, std::size_t size) : m_data(data), m_size(size) {}

    template <class T>
    T Read() {
        T value{};
        if (!ok || m_size - m_at < sizeof value) {
            ok = false;
            return value;
        }
        std::memcpy(&value, m_data + m_at, sizeof value);
        m_at += sizeof value;
        return value;
    }
    // A string, or 0xFFFF and an ordinal, or an empty field (one zero word).
    Range NameOrOrdinal() {
        const std::size_t begin = m_at;
        const WORD first = Read<WORD>();
        if (first == 0xFFFF)
            Read<WORD>();
        else if (first != 0)
            while (ok && Read<WORD>() != 0) {}
        return {begin, m_at};
    }
    std::wstring String() {
        std::wstring text;
        for (WORD c = Read<WORD>(); ok && c != 0; c = Read<WORD>()) text += static_cast<wchar_t>(c);
        return text;
    }
    // A size word and as many bytes after it.
    Range CreationData() {
        const std::size_t begin = m_at;
        const WORD bytes = Read<WORD>();
        if (ok && m_size - m_at < bytes) ok = false;
        if (ok) m_at += bytes;
        return {begin, m_at};
    }
    void AlignToDword() {
        const std::size_t aligned = (m_at + 3) & ~std::size_t{3};
        // The last item may end the template without its padding.
        m_at = aligned < m_size ? aligned : m_size;
    }
    // A DLGTEMPLATEEX puts the help id first and the style last; a
    // DLGTEMPLATE has the style first and no help id.
    Styles ReadStyles(bool ex) {
        Styles styles;
        if (ex) styles.helpId = Read<DWORD>();
        const DWORD first = Read<DWORD>();
        const DWORD second = Read<DWORD>();
        styles.style = ex ? second : first;
        styles.exStyle = ex ? first : second;
        return styles;
    }
    std::size_t At() const { return m_at; }

    bool ok = true;

private:
    const BYTE* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

bool Parse(const BYTE* data, std::size_t size, ParsedTemplate& layout) {
    Reader in(data, size);
    if (size >= 4 && data[2] == 0xFF && data[3] == 0xFF) {  // DLGTEMPLATEEX: version 1, signature 0xFFFF
        layout.ex = true;
        if (in.Read<WORD>() != 1) return false;
        in.Read<WORD>();
    }
    layout.styles = in.ReadStyles(layout.ex);
    const WORD count = in.Read<WORD>();
    layout.box = in.Read<Box>();
    layout.menu = in.NameOrOrdinal();
    layout.windowClass = in.NameOrOrdinal();
    layout.title = in.NameOrOrdinal();
    layout.hasFont = (layout.styles.style & DS_SETFONT) != 0;
    if (layout.hasFont) {
        layout.points = in.Read<WORD>();
        if (layout.ex) {
            layout.weight = in.Read<WORD>();
            layout.italic = in.Read<BYTE>();
            layout.charset = in.Read<BYTE>();
        }
        layout.face = in.String();
    }
    for (WORD i = 0; i < count && in.ok; ++i) {
        in.AlignToDword();
        Item item;
        item.styles = in.ReadStyles(layout.ex);
        item.box = in.Read<Box>();
        // A DLGTEMPLATE's id is a word, which the dialog manager widens without sign.
        item.id = layout.ex ? in.Read<DWORD>() : in.Read<WORD>();
        item.windowClass = in.NameOrOrdinal();
        item.title = in.NameOrOrdinal();
        item.data = in.CreationData();
        layout.items.push_back(item);
    }
    layout.end = in.At();
    return in.ok;
}

class Writer {
public:
    explicit Writer(const BYTE* source) : m_source(source) {}

    template <class T>
    void Put(T value) {
        const auto* bytes = reinterpret_cast<const BYTE*>(&value);
        out.insert(out.end(), bytes, bytes + sizeof value);
    }
    void Copy(Range range) { out.insert(out.end(), m_source + range.begin, m_source + range.end); }
    void PutString(const std::wstring& text) {
        for (const wchar_t c : text) Put(static_cast<WORD>(c));
        Put(WORD{0});
    }
    // Always in the DLGTEMPLATEEX order.
    void PutStyles(const Styles& styles) {
        Put(styles.helpId);
        Put(styles.exStyle);
        Put(styles.style);
    }
    void AlignToDword() { out.resize((out.size() + 3) & ~std::size_t{3}, 0); }

    std::vector<BYTE> out;

private:
    const BYTE* m_source;
};

// The DLGTEMPLATEEX of `layout`, whose strings and data are in `source`.
std::vector<BYTE> WriteEx(const ParsedTemplate& layout, const BYTE* source) {
    Writer w(source);
    w.Put(WORD{1});
    w.Put(kExSignature);
    w.PutStyles(layout.styles);
    w.Put(static_cast<WORD>(layout.items.size()));
    w.Put(layout.box);
    w.Copy(layout.menu);
    w.Copy(layout.windowClass);
    w.Copy(layout.title);
    if (layout.hasFont) {
        w.Put(layout.points);
        w.Put(layout.weight);
        w.Put(layout.italic);
        w.Put(layout.charset);
        w.PutString(layout.face);
    }
    for (const Item& item : layout.items) {
        w.AlignToDword();
        w.PutStyles(item.styles);
        w.Put(item.box);
        w.Put(item.id);
        w.Copy(item.windowClass);
        w.Copy(item.title);
        w.Copy(item.data);
    }
    return std::move(w.out);
}

bool IsOldAnsiFace(const std::wstring& face) {
    auto equals = [&](const wchar_t* name) {
        std::size_t i = 0;
        for (; name[i] != 0; ++i) {
            if (i == face.size()) return false;
            wchar_t c = face[i];
            if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
            if (c != name[i]) return false;
        }
        return i == face.size();
    };
    return equals(L"ms sans serif") || equals(L"helv");
}

}  // namespace

CDialogTemplate::CDialogTemplate(const void* pTemplate, std::size_t size) {
    Assign(static_cast<const BYTE*>(pTemplate), size);
}

void CDialogTemplate::Assign(const BYTE* data, std::size_t size) {
    ParsedTemplate layout;
    if (data == nullptr || !Parse(data, size, layout)) {
        m_words.clear();
        m_size = 0;
        return;
    }
    m_words.assign((size + 3) / 4, 0);
    std::memcpy(m_words.data(), data, size);
    m_size = size;
}

bool CDialogTemplate::Load(HINSTANCE hInstance, LPCWSTR lpszName) {
    Assign(nullptr, 0);
    const HRSRC found = ::FindResourceW(hInstance, lpszName, MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (found == nullptr) return false;
    const HGLOBAL loaded = ::LoadResource(hInstance, found);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) return false;
    Assign(static_cast<const BYTE*>(data), ::SizeofResource(hInstance, found));
    return !IsEmpty();
}

std::vector<BYTE> CDialogTemplate::Bytes() const {
    const auto* bytes = reinterpret_cast<const BYTE*>(m_words.data());
    return std::vector<BYTE>(bytes, bytes + m_size);
}

bool CDialogTemplate::IsDialogEx() const {
    ParsedTemplate layout;
    return !IsEmpty() && Parse(reinterpret_cast<const BYTE*>(m_words.data()), m_size, layout) && layout.ex;
}

DWORD CDialogTemplate::Style() const {
    ParsedTemplate layout;
    if (IsEmpty() || !Parse(reinterpret_cast<const BYTE*>(m_words.data()), m_size, layout)) return 0;
    return layout.styles.style;
}

bool CDialogTemplate::GetFont(std::wstring& face, WORD& points) const {
    ParsedTemplate layout;
    if (IsEmpty() || !Parse(reinterpret_cast<const BYTE*>(m_words.data()), m_size, layout) || !layout.hasFont)
        return false;
    face = layout.face;
    points = layout.points;
    return true;
}

bool CDialogTemplate::SetShellFont(const wchar_t* face, WORD points) {
    const auto* source = reinterpret_cast<const BYTE*>(m_words.data());
    ParsedTemplate layout;
    if (IsEmpty() || !Parse(source, m_size, layout)) return false;
    if (!layout.ex || !layout.hasFont) {
        // What the dialog manager gives a DLGTEMPLATE's font.
        layout.weight = FW_DONTCARE;
        layout.italic = FALSE;
    }
    layout.ex = true;
    layout.styles.style |= DS_SHELLFONT;
    layout.hasFont = true;
    layout.points = points;
    layout.charset = DEFAULT_CHARSET;
    layout.face = face;
    const std::vector<BYTE> patched = WriteEx(layout, source);
    Assign(patched.data(), patched.size());
    return !IsEmpty();
}

bool CDialogTemplate::SubstituteShellFont() {
    std::wstring face;
    WORD points = 0;
    if (!GetFont(face, points) || !IsOldAnsiFace(face)) return false;
    return SetShellFont(kShellDialogFace, points);
}
