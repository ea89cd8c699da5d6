// The encode job: refuses a source that already is a container, names the
// output "<base>.~mq", writes a fresh key and the header, then the payload.
#include <cstring>

#include "job_frame.h"
#include "substitution_key.h"

namespace morvane {
namespace {

class EncodeSteps final : public JobSteps {
public:
    bool InspectSource(File& source, JobContext& context) override {
        // No container is written that the decoder would refuse.
        if (!IsStorableExtension(context.sourceParts.extension)) {
            context.host.ShowMessage("The file \"" + context.sourcePath +
                                     "\" cannot be encoded: its extension holds a character an encoded file "
                                     "cannot store (a control character, '/', '\\' or ':').");
            return false;
        }
        const std::string unreadable = "Unable to read from file " + context.sourcePath;
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
        const auto header = BuildHeader(context.sourceLength, context.sourceParts.extension, m_key);
        output.Write(header.data(), header.size());
    }

    const ByteTable& SubstitutionTable() const override { return m_key; }

private:
    StoredKey m_key{};
};

}  // namespace

std::unique_ptr<JobSteps> MakeEncodeSteps() {
    return std::make_unique<EncodeSteps>();
}

}  // namespace morvane
