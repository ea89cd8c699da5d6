#include "program_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "win_path.h"

namespace {

struct LocalFreer {
    void operator()(LPWSTR* memory) const { ::LocalFree(memory); }
};

}  // namespace

std::vector<std::string> ProgramArguments() {
    return ArgumentsOfCommandLine(::GetCommandLineW());
}

std::vector<std::string> ArgumentsOfCommandLine(const wchar_t* commandLine) {
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreer> words(::CommandLineToArgvW(commandLine, &count));
    std::vector<std::string> arguments;
    if (!words) return arguments;
    // The first is the program itself.
    for (int i = 1; i < count; ++i) {
        std::wstring word = words.get()[i];
        // The shell quotes a root as "D:\", whose backslash the splitting
        // rules take as escaping the quote: D:" comes back. No path holds a
        // quote, so a word ending in one had a backslash there.
        if (!word.empty() && word.back() == L'"') word.back() = L'\\';
        arguments.push_back(morvane::NarrowToUtf8(word));
    }
    return arguments;
}

morvane::ui::PathKind PathKindOnDisk(const std::string& path) {
    if (path.empty()) return morvane::ui::PathKind::Missing;
    const DWORD attributes = ::GetFileAttributesW(morvane::FileSystemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return morvane::ui::PathKind::Missing;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return morvane::ui::PathKind::Folder;
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return morvane::ui::PathKind::Other;
    return morvane::ui::PathKind::File;
}

std::string FullPathOnDisk(const std::string& path) {
    const std::wstring full = morvane::FullPathName(morvane::WidenUtf8(path));
    return full.empty() ? path : morvane::NarrowToUtf8(full);
}
