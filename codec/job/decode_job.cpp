// The decode job: reads and checks the whole container header before any
// output exists, then restores the payload with the inverse of the stored
// key under the container's base name and the stored extension.
#include "container_check.h"
#include "job_frame.h"
#include "stored_text.h"

namespace morvane {
namespace {

class DecodeSteps final : public JobSteps {
public:
    // The container is judged by the one check `info` uses too, so both
    // give the same verdict.
    bool InspectSource(File& source, JobContext& context) override {
        const ContainerCheck check = CheckContainer(source, context.sourceLength, context.sourcePath);
        if (!check.refusal.empty()) {
            context.host.ShowMessage(check.refusal);
            return false;
        }
        const ContainerHeader& header = check.header;
        // An older program stored the extension in its ANSI code page.
        m_extension = StoredTextToUtf8(*header.extension);
        m_inverse = header.inverseKey;
        m_payloadLength = static_cast<std::int64_t>(*header.payloadLength);
        return true;
    }

    std::string OutputExtension() const override { return m_extension; }

    std::int64_t PayloadLength(const JobContext& /*context*/) const override { return m_payloadLength; }

    void WriteBeforePayload(File&, JobContext&) override {}

    const ByteTable& SubstitutionTable() const override { return m_inverse; }

private:
    std::string m_extension;
    std::int64_t m_payloadLength = 0;
    ByteTable m_inverse{};
};

}  // namespace

std::unique_ptr<JobSteps> MakeDecodeSteps() {
    return std::make_unique<DecodeSteps>();
}

}  // namespace morvane
