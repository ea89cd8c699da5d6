// The decode job: reads and checks the whole container header before any
// output exists, then restores the payload with the inverse of the stored
// key under the container's base name and the stored extension.
#include "container_header.h"
#include "job_frame.h"
#include "stored_text.h"

namespace morvane {
namespace {

class DecodeSteps final : public JobSteps {
public:
    // The whole header is read and checked by the one reader `info` uses
    // too, so both give the same verdict.
    bool InspectSource(File& source, JobContext& context) override {
        const ContainerHeader header =
            ReadContainerHeader(source, static_cast<std::uint64_t>(context.sourceLength));
        if (header.problem != HeaderProblem::None) {
            context.host.ShowMessage(HeaderRefusal(header.problem, context.sourcePath));
            return false;
        }
        // An older program stored the extension in its ANSI code page.
        m_extension = StoredTextToUtf8(*header.extension);
        m_inverse = header.inverseKey;
        return true;
    }

    std::string FirstName(const PathParts& source) const override {
        return source.baseName + m_extension;
    }

    std::string NumberedName(const PathParts& source, int counter) const override {
        return source.baseName + " (" + std::to_string(counter) + ")" + m_extension;
    }

    void WriteBeforePayload(File&, JobContext&) override {}

    const StoredKey& Table() const override { return m_inverse; }

private:
    std::string m_extension;
    StoredKey m_inverse{};
};

}  // namespace

std::uint32_t DecodeThreadProc(void* request) {
    DecodeSteps steps;
    return RunJobFrame(request, steps);
}

}  // namespace morvane
