#include "container_check.h"

#include "job_frame.h"

namespace morvane {

ContainerCheck CheckContainer(File& source, std::int64_t length, const std::string& path) {
    ContainerCheck check;
    check.refusal = SourceLengthRefusal(length);
    if (length < 0) return check;
    try {
        const auto read = [&](void* into, std::size_t size) { return source.Read(into, size); };
        check.header = ReadContainerHeader(read, static_cast<std::uint64_t>(length));
        if (check.refusal.empty()) check.refusal = HeaderRefusal(check.header.problem, path);
    } catch (const FileError& error) {
        if (check.refusal.empty()) check.refusal = FileErrorMessage(error);
    }
    return check;
}

}  // namespace morvane
