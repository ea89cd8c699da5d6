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

ContainerCheck CheckContainerStream(File& source, const std::string& path) {
    ContainerCheck check;
    try {
        const auto read = [&](void* into, std::size_t size) { return source.Read(into, size); };
        check.header = ReadStreamHeader(read);
        // A stream that ends inside the magic is no container at all.
        check.refusal = check.header.problem == HeaderProblem::Unreadable ? SourceLengthRefusal(0)
                                                                          : HeaderRefusal(check.header.problem, path);
        const ContainerHeader& header = check.header;
        if (check.refusal.empty() && header.payloadLength) {
            const std::uint64_t headerSize = HeaderSize(*header.version, header.extension->size());
            const std::uint64_t payload = *header.payloadLength;
            const auto greatest = static_cast<std::uint64_t>(kGreatestSourceLength);
            const std::uint64_t length = payload > greatest - headerSize ? greatest + 1 : headerSize + payload;
            check.refusal = SourceLengthRefusal(static_cast<std::int64_t>(length));
        }
    } catch (const FileError& error) {
        check.refusal = FileErrorMessage(error);
    }
    return check;
}

}  // namespace morvane
