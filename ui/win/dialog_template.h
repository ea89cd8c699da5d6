// A dialog template as the dialog manager gets it, copied from the
// program's resources, with the old ANSI dialog faces replaced by the
// shell's dialog font.
//
// "MS Sans Serif" (and "Helv", its old name) is a bitmap font of one ANSI
// code page that Windows links to no other font: a name in another script
// shows as boxes in a control drawn with it. The program's templates
// keep that face; CDialog creates every dialog from a copy whose font is
// "MS Shell Dlg 2" with DS_SHELLFONT instead, which maps to a TrueType face
// the system links to fonts of other scripts. The dialog units follow the
// font, so the layout keeps its proportions. The dialog's font is the one
// the dialog manager made from the copy (WM_GETFONT on the dialog).
//
// Why patch at load rather than write the shell font into the resource
// script: the templates are kept exactly as they were written, their face
// included, as the tests of the resources check; what changes is only what
// the dialog manager is given.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// The face that replaces the old ones.
inline constexpr wchar_t kShellDialogFace[] = L"MS Shell Dlg 2";

// A copy of one DLGTEMPLATE or DLGTEMPLATEEX with its items.
class CDialogTemplate {
public:
    CDialogTemplate() = default;
    // Copies `size` bytes of a template. The copy stays empty when they
    // are not a whole template (a count, a string or an item runs past them).
    CDialogTemplate(const void* pTemplate, std::size_t size);

    // Copies the dialog resource `lpszName` of `hInstance`; false when there
    // is none or it is not a whole template.
    bool Load(HINSTANCE hInstance, LPCWSTR lpszName);

    bool IsEmpty() const { return m_size == 0; }
    // The copy, DWORD-aligned, as CreateDialogIndirectParamW takes it.
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }
    std::size_t Size() const { return m_size; }
    // Its bytes.
    std::vector<BYTE> Bytes() const;

    // True for a DLGTEMPLATEEX.
    bool IsDialogEx() const;
    DWORD Style() const;
    // The font's face and point size; false when the template names no font
    // (no DS_SETFONT: the dialog takes the system font).
    bool GetFont(std::wstring& face, WORD& points) const;

    // Gives the template the font `face` of `points` with DS_SHELLFONT. A
    // DLGTEMPLATE becomes the equivalent DLGTEMPLATEEX (help ids 0, the
    // weight and italic the dialog manager gives a DLGTEMPLATE's font): the
    // system honours DS_SHELLFONT in extended templates only. The weight and
    // italic of a DLGTEMPLATEEX are kept; the character set becomes
    // DEFAULT_CHARSET, so no script is preferred. False on an empty copy.
    bool SetShellFont(const wchar_t* face, WORD points);

    // When the template names "MS Sans Serif" or "Helv" (in any case), gives
    // it kShellDialogFace at the same point size, as above; true then.
    // Other templates are left as they are.
    bool SubstituteShellFont();

private:
    void Assign(const BYTE* data, std::size_t size);

    std::vector<DWORD> m_words;  // the bytes, in DWORD-aligned storage
    std::size_t m_size = 0;
};
