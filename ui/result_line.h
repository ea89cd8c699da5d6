// The line below the main dialog's controls that says what a job is doing
// and what it did: a status bar the dialog creates at run time (its template
// has none), and the texts it shows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The texts of the line. `encode` chooses between the encode and decode
// wording.
namespace result_text {

// A size as Explorer shows it: "512 bytes", "1.00 KB", "45.2 MB", "6.00 GB"
// (units of 1024, three significant digits).
std::string Size(std::uint64_t bytes);
// "8 s", "2 min 5 s", "1 h 3 min".
std::string Duration(std::uint64_t seconds);
// A job in its checks: `Encoding "data.bin"...`.
std::string Starting(bool encode, const std::string& fileName);
// A job transforming data, `done` of `total` bytes after `elapsedMs`:
// `Encoding "data.bin": 45% of 6.00 GB`, and once a second has passed
// `..., 410 MB/s, 8 s left`.
std::string Progress(bool encode, const std::string& fileName, std::uint64_t done, std::uint64_t total,
                     std::uint64_t elapsedMs);
// `Encoded into "<path>"`; with a temporary that could not be removed (it
// lies beside the output), `...; its temporary ".<name>.~mq-part" could not
// be removed.`
std::string Written(bool encode, const std::string& path, const std::string& temporaryNotRemoved = {});
// `Encoding failed; nothing was written.`
std::string Failed(bool encode);
// A failed job whose partial output could not be removed.
std::string FailedWithLeftover(bool encode);
extern const char kStopping[];
extern const char kStopped[];
// Of several dropped items the first was used: says how many others were
// ignored (`others` > 0).
std::string DropIgnored(std::size_t others);

}  // namespace result_text

// The status bar. Its whole text is kept; what shows is fitted to its
// width, a path shortened in its middle so the file name stays (Show in
// Folder opens the whole path).
class CResultLine {
public:
    CResultLine() = default;
    CResultLine(const CResultLine&) = delete;
    CResultLine& operator=(const CResultLine&) = delete;

    // Creates the bar at the bottom of `dialog`'s client area, below every
    // control, in `font`, and makes the dialog taller by the bar's height.
    bool Create(HWND dialog, int id, HFONT font);
    HWND Window() const { return m_hWnd; }
    // The whole text, as last set.
    const std::string& Text() const { return m_text; }
    void SetText(const std::string& text);
    void Clear() { SetText({}); }
    // After the dialog's size or the bar's font changed: places the bar
    // again and fits its text to the new width.
    void Layout();
    void SetFont(HFONT font);

private:
    void Show();

    HWND m_hWnd = nullptr;
    std::string m_text;
};
