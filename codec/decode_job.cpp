// The decode job: reads and checks the whole container header before any
// output exists, then restores the payload with the inverse of the stored
// key under the container's base name and the stored extension.
#include <cstring>

#include "job_frame.h"
#include "stored_text.h"
#include "substitution_key.h"

namespace morvane {
namespace {

// An extension that could leave the target folder or name a device is
// refused with the rest of a damaged header.
bool IsSafeExtension(const std::uint8_t* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t c = bytes[i];
        if (c < 0x20 || c == '/' || c == '\\' || c == ':') return false;
    }
    return true;
}

class DecodeSteps final : public JobSteps {
public:
    bool InspectSource(File& source, JobContext& context) override {
        const std::string quoted = "\"" + context.sourcePath + "\"";
        const std::string unreadable = "Unable to read from file " + quoted;
        const std::string invalid =
            "Inavalid encoded file " + quoted + " .\nPlease select a valid encoded file.";
        const std::string damaged = "The encoded file " + quoted + " is damaged.";
        auto refuse = [&](const std::string& message) {
            context.host.ShowMessage(message);
            return false;
        };

        std::uint8_t field[8] = {};
        if (source.Read(field, 3) < 3) return refuse(unreadable);
        if (std::memcmp(field, kMagic.data(), kMagic.size()) != 0) return refuse(invalid);
        if (source.Read(field, 4) < 4) return refuse(unreadable);
        if (GetLittleEndian(field, 4) != kMagicNumber) return refuse(invalid);

        // From here on a short read can only mean a damaged header.
        auto readExactly = [&](void* into, std::size_t size) {
            return source.Read(into, size) == size;
        };
        if (!readExactly(field, 4)) return refuse(damaged);
        const auto version = static_cast<std::uint32_t>(GetLittleEndian(field, 4));
        std::uint64_t firstLength = 0;
        std::uint64_t secondLength = 0;
        const std::size_t lengthSize = LengthFieldsSize(version) / 2;
        if (lengthSize > 0) {
            if (!readExactly(field, lengthSize)) return refuse(damaged);
            firstLength = GetLittleEndian(field, lengthSize);
            if (!readExactly(field, lengthSize)) return refuse(damaged);
            secondLength = GetLittleEndian(field, lengthSize);
        }

        std::uint8_t extensionLength = 0;
        std::uint8_t extension[kMaxExtensionLength];
        if (!readExactly(&extensionLength, 1) || !readExactly(extension, extensionLength))
            return refuse(damaged);
        if (!IsSafeExtension(extension, extensionLength)) return refuse(damaged);
        m_extension = StoredTextToUtf8({reinterpret_cast<const char*>(extension), extensionLength});

        StoredKey key{};
        StoredKey secondKey{};
        if (!readExactly(key.data(), key.size()) || !readExactly(secondKey.data(), secondKey.size()))
            return refuse(damaged);
        if (!InvertKey(key, m_inverse)) return refuse(damaged);

        // A container cut short or grown since it was written is refused;
        // versions this program does not know carry no lengths to compare.
        const auto payload = static_cast<std::uint64_t>(context.sourceLength) -
                             HeaderSize(version, extensionLength);
        if (version == kFormatVersion2 && (firstLength != payload || secondLength != payload))
            return refuse(damaged);
        if (version == kFormatVersion1 && firstLength != (payload & 0xFFFFFFFFu))
            return refuse(damaged);
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
