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
        const ContainerCheck check = context.sourceIsStream
                                         ? CheckContainerStream(source, context.sourcePath)
                                         : CheckContainer(source, context.sourceLength, context.sourcePath);
        if (!check.refusal.empty()) {
            context.host.ShowMessage(check.refusal);
            return false;
        }
        const ContainerHeader& header = check.header;
        // An older program stored the extension in its ANSI code page.
        m_extension = StoredTextToUtf8(*header.extension);
        m_inverse = header.inverseKey;
        // A stream of a version without 64-bit lengths is read to its end.
        m_payloadLength = header.payloadLength ? static_cast<std::int64_t>(*header.payloadLength) : -1;
        m_version = *header.version;
        m_firstLength = header.firstLength;
        m_headerSize = HeaderSize(m_version, header.extension->size());
        return true;
    }

    std::string OutputExtension() const override { return m_extension; }

    std::int64_t PayloadLength(const JobContext& /*context*/) const override { return m_payloadLength; }

    void WriteBeforePayload(File&, JobContext&) override {}

    const ByteTable& SubstitutionTable() const override { return m_inverse; }

    // A stream read to its end is judged now as a file is before: its
    // length, and the 32-bit length a version 1 header stores.
    void PayloadCopied(OutputFile& /*output*/, JobContext& context, std::uint64_t copied) override {
        if (!context.sourceIsStream || m_payloadLength >= 0) return;
        const std::uint64_t length = m_headerSize + copied;
        if (std::string refusal = SourceLengthRefusal(static_cast<std::int64_t>(length)); !refusal.empty())
            throw FileError(refusal);
        if (m_version == kFormatVersion1 && *m_firstLength != (copied & 0xFFFFFFFFu))
            throw FileError(HeaderRefusal(HeaderProblem::LengthsDisagree, context.sourcePath));
    }

private:
    std::string m_extension;
    std::int64_t m_payloadLength = 0;
    std::uint32_t m_version = 0;
    std::optional<std::uint64_t> m_firstLength;
    std::uint64_t m_headerSize = 0;
    ByteTable m_inverse{};
};

}  // namespace

std::unique_ptr<JobSteps> MakeDecodeSteps() {
    return std::make_unique<DecodeSteps>();
}

}  // namespace morvane
