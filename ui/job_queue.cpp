#include "job_queue.h"

#include <algorithm>

namespace morvane::ui {
namespace {

std::string Files(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " file" : " files");
}

// The last part of `path`: its file name.
std::string FileNameOf(const Platform& platform, const std::string& path) {
    std::size_t cut = path.size();
    while (cut > 0 && !platform.IsSeparator(path[cut - 1])) --cut;
    return path.substr(cut);
}

// What the list of each file shows at most: a tip taller than a screen, or
// longer than a tooltip keeps, is read by nobody.
constexpr std::size_t kMostFilesListed = 30;
constexpr std::size_t kMostCharactersListed = 1000;

}  // namespace

std::string FolderOfPath(const Platform& platform, const std::string& path) {
    std::size_t cut = path.size();
    while (cut > 0 && !platform.IsSeparator(path[cut - 1])) --cut;
    if (cut == 0) return {};
    // The separator of a root stays: "C:\" and "/" name folders, "C:" and ""
    // do not.
    const bool root = cut == 1 || path[cut - 2] == ':';
    return path.substr(0, root ? cut : cut - 1);
}

void JobQueue::Append(QueueItem item) {
    // After an end, whether all ran or the rest was dropped, a new run.
    if (Finished()) Clear();
    m_entries.push_back({std::move(item), End::None, {}});
}

void JobQueue::Clear() {
    m_entries.clear();
    m_next = 0;
}

void JobQueue::TargetWaiting(const std::string& folder) {
    for (Entry& entry : m_entries)
        if (entry.end == End::None) entry.item.folder = folder;
}

const QueueItem* JobQueue::Current() const {
    return m_next < m_entries.size() && m_entries[m_next].end == End::None ? &m_entries[m_next].item : nullptr;
}

std::size_t JobQueue::Remaining() const {
    return CountOf(End::None);
}

void JobQueue::Record(End end, const std::string& output) {
    if (Current() == nullptr) return;
    m_entries[m_next].end = end;
    m_entries[m_next].output = output;
    ++m_next;
}

void JobQueue::RecordWritten(const std::string& outputPath) {
    Record(End::Written, outputPath);
}

void JobQueue::RecordFailed() {
    Record(End::Failed, {});
}

void JobQueue::RecordStopped() {
    Record(End::Stopped, {});
    DropWaiting();
}

void JobQueue::DropWaiting() {
    for (Entry& entry : m_entries)
        if (entry.end == End::None) entry.end = End::Dropped;
    m_next = m_entries.size();
}

std::size_t JobQueue::CountOf(End end) const {
    return static_cast<std::size_t>(
        std::count_if(m_entries.begin(), m_entries.end(), [end](const Entry& entry) { return entry.end == end; }));
}

bool JobQueue::AsksToContinue() const {
    return m_next > 0 && m_entries[m_next - 1].end == End::Failed && Remaining() > 0;
}

std::string JobQueue::ContinueQuestion() const {
    return "Continue with the remaining " + Files(Remaining()) + "?";
}

std::string JobQueue::QuestionOnFailure() const {
    const std::size_t remaining = Remaining();
    if (Current() == nullptr || remaining < 2) return {};
    return "Continue with the remaining " + Files(remaining - 1) + "?";
}

std::string JobQueue::ProgressPrefix() const {
    if (!Several() || Current() == nullptr) return {};
    return "File " + std::to_string(m_next + 1) + " of " + std::to_string(Count()) + ": ";
}

std::string JobQueue::ActionText() const {
    const std::size_t remaining = Remaining();
    if (remaining < 2) return {};
    bool encode = false;
    bool decode = false;
    for (const Entry& entry : m_entries) {
        if (entry.end != End::None) continue;
        (entry.item.decode ? decode : encode) = true;
    }
    const char* verb = encode && decode ? "Encode and decode " : decode ? "Decode " : "Encode ";
    return verb + Files(remaining);
}

std::string JobQueue::SummaryText() const {
    if (!Several() || !Finished()) return {};
    const std::size_t written = CountOf(End::Written);
    const std::size_t failed = CountOf(End::Failed);
    const std::string of = " of " + Files(Count());
    if (CountOf(End::Stopped) > 0)
        return "Stopped after " + std::to_string(written + failed) + of + "; nothing was written for the rest.";

    // The verb follows what was written, or what was asked when nothing was.
    bool encode = false;
    bool decode = false;
    std::vector<std::string> folders;
    for (const Entry& entry : m_entries) {
        if (written > 0 && entry.end != End::Written) continue;
        (entry.item.decode ? decode : encode) = true;
        if (entry.end != End::Written) continue;
        const std::string folder = FolderOfPath(m_platform, entry.output);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
    std::string text = encode && decode ? "Encoded and decoded " : decode ? "Decoded " : "Encoded ";
    text += written == Count() ? Files(written) : std::to_string(written) + of;
    if (folders.size() == 1)
        text += " into \"" + folders.front() + "\"";
    else if (folders.size() > 1)
        text += " into " + std::to_string(folders.size()) + " folders";
    const std::size_t dropped = CountOf(End::Dropped);
    if (failed > 0) text += "; " + std::to_string(failed) + " failed";
    if (dropped > 0) text += (failed > 0 ? ", " : "; ") + std::to_string(dropped) + " not started";
    return text;
}

std::string JobQueue::EachFileText() const {
    if (!Several() || !Finished()) return {};
    std::string text;
    std::size_t listed = 0;
    for (const Entry& entry : m_entries) {
        std::string line = FileNameOf(m_platform, entry.item.source) + ": ";
        if (entry.end == End::Written)
            line += "\"" + entry.output + "\"";
        else
            line += entry.end == End::Failed ? "failed" : entry.end == End::Stopped ? "stopped" : "not started";
        if (listed > 0 && (listed == kMostFilesListed || text.size() + 1 + line.size() > kMostCharactersListed)) break;
        text += (listed > 0 ? "\n" : "") + line;
        ++listed;
    }
    if (listed < Count()) text += "\nand " + std::to_string(Count() - listed) + " more";
    return text;
}

FolderSelection JobQueue::ShowInFolderSelection() const {
    FolderSelection selection;
    for (auto entry = m_entries.rbegin(); entry != m_entries.rend(); ++entry) {
        if (entry->end != End::Written) continue;
        const std::string folder = FolderOfPath(m_platform, entry->output);
        if (selection.outputs.empty())
            selection.folder = folder;
        else if (folder != selection.folder)
            continue;
        selection.outputs.insert(selection.outputs.begin(), entry->output);
    }
    return selection;
}

}  // namespace morvane::ui
