#include "console_job_host.h"

#include <algorithm>
#include <string_view>

#include "display_text.h"

namespace morvane::cli {
namespace {

constexpr int kBarWidth = 40;
// "[" + bar + "] " + "100%"
constexpr std::size_t kLineWidth = kBarWidth + 7;

// Each line of `text` made safe for a terminal, the line breaks kept.
std::string EscapedLines(const std::string& text) {
    std::string shown;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        shown += EscapeForTerminal(std::string_view(text).substr(start, end - start));
        if (end == std::string::npos) return shown;
        shown += '\n';
        start = end + 1;
    }
}

}  // namespace

ConsoleJobHost::ConsoleJobHost(std::ostream& out, std::ostream& err, bool drawProgress,
                               const std::atomic<int>* interrupt, ConsoleStyle style)
    : m_out(out), m_err(err), m_drawProgress(drawProgress), m_interrupt(interrupt), m_style(style) {}

bool ConsoleJobHost::Cancelled() const {
    // Asked for every block: a relaxed load is all it costs.
    return m_interrupt != nullptr && m_interrupt->load(std::memory_order_relaxed) != 0;
}

void ConsoleJobHost::SetBusy(bool busy) {
    // The job is over: leave no bar behind for whatever is printed next.
    if (!busy) ClearBar();
}

void ConsoleJobHost::SetProgressRange(std::uint32_t upper) {
    m_upper = upper;
    if (m_drawProgress && m_upper > 0) DrawBar(0);
}

void ConsoleJobHost::SetProgressPos(std::uint32_t position) {
    if (!m_drawProgress || m_upper == 0) return;
    // The last, partial block goes one past the range.
    const std::uint64_t percent = std::min<std::uint64_t>(100, std::uint64_t{position} * 100 / m_upper);
    if (static_cast<int>(percent) != m_shownPercent) DrawBar(static_cast<int>(percent));
}

void ConsoleJobHost::ShowMessage(const std::string& text) {
    ClearBar();
    m_err << (m_style.escapeErr ? EscapedLines(text) : text) << '\n';
    m_err.flush();
}

void ConsoleJobHost::OutputWritten(const std::string& path, const std::string& temporaryNotRemoved) {
    ClearBar();
    if (m_style.printPaths) {
        m_out << (m_style.escapeOut ? EscapeForTerminal(path) : path) << m_style.pathEnd;
        m_out.flush();
    }
    if (temporaryNotRemoved.empty()) return;
    ShowMessage("The temporary file \"" + temporaryNotRemoved + "\" could not be removed.");
}

void ConsoleJobHost::DrawBar(int percent) {
    const int filled = percent * kBarWidth / 100;
    std::string line = "\r[";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(kBarWidth - filled), '-');
    line += "] ";
    const std::string number = std::to_string(percent);
    line.append(3 - number.size(), ' ');
    line += number + "%";
    m_err << line;
    m_err.flush();
    m_shownPercent = percent;
}

void ConsoleJobHost::ClearBar() {
    if (m_shownPercent < 0) return;
    m_err << '\r' << std::string(kLineWidth, ' ') << '\r';
    m_err.flush();
    m_shownPercent = -1;
}

}  // namespace morvane::cli
