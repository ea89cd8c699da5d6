// The encode job: refuses a source that already is a container, names the
// output "<base>.~mq", writes a fresh key and the header, then the payload.
#include <algorithm>
#include <cstring>

#include "job_frame.h"
#include "substitution_key.h"

namespace morvane {
namespace {

class EncodeSteps final : public JobSteps {
public:
    bool InspectSource(File& source, JobContext& context) override {
        // No container is written that the decoder would refuse.
        const std::string& extension = context.sourceParts.extension;
        if (!IsStorableExtension(extension) || extension.size() > kMaxExtensionLength) {
            context.host.ShowMessage("The file \"" + context.sourcePath +
                                     "\" cannot be encoded: its extension holds a character an encoded file "
                                     "cannot store (a control character, '/', '\\' or ':').");
            return false;
        }
        // A stream this short is shorter than any source may be.
        const std::string unreadable =
            context.sourceIsStream ? SourceLengthRefusal(0) : "Unable to read from file " + context.sourcePath;
        std::uint8_t magic[3];
        if (source.Read(magic, sizeof magic) < sizeof magic) {
            context.host.ShowMessage(unreadable);
            return false;
        }
        // Only the magic and the magic number decide; a file that merely
        // starts with "~mq" is encoded whole.
        if (std::memcmp(magic, kMagic.data(), kMagic.size()) == 0) {
            std::uint8_t number[4] = {};
            if (source.Read(number, sizeof number) < sizeof number) {
                context.host.ShowMessage(unreadable);
                return false;
            }
            if (GetLittleEndian(number, 4) == kMagicNumber) {
                context.host.ShowMessage("The file \"" + context.sourcePath + "\" is already encoded!");
                return false;
            }
        }
        source.Rewind();
        return true;
    }

    std::string OutputExtension() const override { return kContainerExtension; }

    std::int64_t PayloadLength(const JobContext& context) const override { return context.sourceLength; }

    void WriteBeforePayload(File& output, JobContext& context) override {
        std::int32_t table[kKeySize];
        MakeRandomPermutation(table, static_cast<int>(kKeySize), context.platform.CurrentTime());
        m_key = StoreKey(table);
        // A stream's lengths are filled in once it has ended.
        const auto header =
            BuildHeader(std::max<std::int64_t>(context.sourceLength, 0), context.sourceParts.extension, m_key);
        output.Write(header.data(), header.size());
    }

    const ByteTable& SubstitutionTable() const override { return m_key; }

    // A stream is held to a file's minimum once its length is known; its
    // header then gets that length.
    void PayloadCopied(OutputFile& output, JobContext& context, std::uint64_t copied) override {
        if (!context.sourceIsStream) return;
        const auto length = static_cast<std::int64_t>(copied);
        if (std::string refusal = SourceLengthRefusal(length); !refusal.empty()) throw FileError(refusal);
        const auto lengths = LengthFields(length);
        output.WriteAt(kLengthFieldsOffset, lengths.data(), lengths.size());
    }

private:
    StoredKey m_key{};
};

}  // namespace

std::unique_ptr<JobSteps> MakeEncodeSteps() {
    return std::make_unique<EncodeSteps>();
}

}  // namespace morvane
