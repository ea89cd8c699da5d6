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
        m_payloadLength = static_cast<std::int64_t>(*header.payloadLength);
        return true;
    }

    std::string OutputExtension() const override { return m_extension; }

    std::int64_t PayloadLength(const JobContext& /*context*/) const override { return m_payloadLength; }

    void WriteBeforePayload(File&, JobContext&) override {}

    const StoredKey& Table() const override { return m_inverse; }

private:
    std::string m_extension;
    std::int64_t m_payloadLength = 0;
    StoredKey m_inverse{};
};

}  // namespace

std::unique_ptr<JobSteps> MakeDecodeSteps() {
    return std::make_unique<DecodeSteps>();
}

}  // namespace morvane
