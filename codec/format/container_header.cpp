#include "container_header.h"

#include <algorithm>
#include <cstring>

#include "stored_text.h"
#include "substitution_key.h"

namespace morvane {
namespace {

// Reads the header through `read(into, size)`, which returns the count read
// (fewer only at the end).
template <typename ReadFn>
ContainerHeader ParseHeader(ReadFn&& read, std::optional<std::uint64_t> containerLength) {
    ContainerHeader header;
    auto note = [&](HeaderProblem problem) {
        if (header.problem == HeaderProblem::None) header.problem = problem;
    };
    // Nothing more can be read: the facts so far and the first problem.
    auto stop = [&](HeaderProblem problem) {
        note(problem);
        return header;
    };
    auto readExactly = [&](void* into, std::size_t size) { return read(into, size) == size; };

    std::uint8_t field[8] = {};
    if (!readExactly(field, kMagic.size())) return stop(HeaderProblem::Unreadable);
    if (std::memcmp(field, kMagic.data(), kMagic.size()) != 0) return stop(HeaderProblem::NotAContainer);
    if (!readExactly(field, 4)) return stop(HeaderProblem::Unreadable);
    if (GetLittleEndian(field, 4) != kMagicNumber) return stop(HeaderProblem::NotAContainer);

    // From here on a short read can only mean a damaged header.
    if (!readExactly(field, 4)) return stop(HeaderProblem::Truncated);
    const auto version = static_cast<std::uint32_t>(GetLittleEndian(field, 4));
    header.version = version;
    const std::size_t lengthSize = LengthFieldsSize(version) / 2;
    if (lengthSize > 0) {
        if (!readExactly(field, lengthSize)) return stop(HeaderProblem::Truncated);
        const std::uint64_t first = GetLittleEndian(field, lengthSize);
        if (!readExactly(field, lengthSize)) return stop(HeaderProblem::Truncated);
        header.firstLength = first;
        header.secondLength = GetLittleEndian(field, lengthSize);
    }

    std::uint8_t extensionLength = 0;
    std::uint8_t extension[kMaxExtensionLength];
    if (!readExactly(&extensionLength, 1) || !readExactly(extension, extensionLength))
        return stop(HeaderProblem::Truncated);
    header.extension.emplace(reinterpret_cast<const char*>(extension), extensionLength);
    // Checked as stored and as the name it becomes: an older program's ANSI
    // text may turn into a control character only once it is read.
    if (!IsSafeExtension(extension, extensionLength) || !IsStorableExtension(StoredTextToUtf8(*header.extension)))
        note(HeaderProblem::UnsafeExtension);

    StoredKey key{};
    StoredKey secondKey{};
    if (!readExactly(key.data(), key.size()) || !readExactly(secondKey.data(), secondKey.size()))
        return stop(HeaderProblem::Truncated);
    header.keyIsPermutation = InvertKey(key, header.inverseKey);
    header.keyCopiesAgree = key == secondKey;
    if (!*header.keyIsPermutation) note(HeaderProblem::KeyNotPermutation);

    // A stream's payload is as long as its version 2 header says; the
    // bytes that arrive are counted against it as they are decoded.
    if (!containerLength) {
        if (version != kFormatVersion2) return header;
        if (*header.firstLength != *header.secondLength) note(HeaderProblem::LengthsDisagree);
        header.payloadLength = header.firstLength;
        return header;
    }
    // A container cut short or grown since it was written is refused;
    // versions this program does not know carry no lengths to compare.
    const std::uint64_t headerSize = HeaderSize(version, extensionLength);
    if (*containerLength < headerSize) return stop(HeaderProblem::Truncated);
    const std::uint64_t payload = *containerLength - headerSize;
    header.payloadLength = payload;
    if (version == kFormatVersion2 && (*header.firstLength != payload || *header.secondLength != payload))
        note(HeaderProblem::LengthsDisagree);
    if (version == kFormatVersion1 && *header.firstLength != (payload & 0xFFFFFFFFu))
        note(HeaderProblem::LengthsDisagree);
    return header;
}

}  // namespace

ContainerHeader ReadContainerHeader(const HeaderReader& read, std::uint64_t containerLength) {
    return ParseHeader(read, containerLength);
}

ContainerHeader ReadStreamHeader(const HeaderReader& read) {
    return ParseHeader(read, std::nullopt);
}

ContainerHeader ReadContainerHeader(const std::uint8_t* bytes, std::size_t size) {
    std::size_t position = 0;
    auto read = [&](void* into, std::size_t wanted) {
        const std::size_t count = std::min(wanted, size - position);
        if (count > 0) std::memcpy(into, bytes + position, count);
        position += count;
        return count;
    };
    return ParseHeader(read, size);
}

std::string HeaderRefusal(HeaderProblem problem, const std::string& path) {
    const std::string quoted = "\"" + path + "\"";
    switch (problem) {
    case HeaderProblem::None:
        return {};
    case HeaderProblem::Unreadable:
        return "Unable to read from file " + quoted;
    case HeaderProblem::NotAContainer:
        return "Inavalid encoded file " + quoted + " .\nPlease select a valid encoded file.";
    case HeaderProblem::Truncated:
    case HeaderProblem::UnsafeExtension:
    case HeaderProblem::KeyNotPermutation:
    case HeaderProblem::LengthsDisagree:
        break;
    }
    return "The encoded file " + quoted + " is damaged.";
}

const char* DescribeProblem(HeaderProblem problem) {
    switch (problem) {
    case HeaderProblem::None:
        return "";
    case HeaderProblem::Unreadable:
        return "the file ends inside the magic";
    case HeaderProblem::NotAContainer:
        return "the magic is wrong";
    case HeaderProblem::Truncated:
        return "the header is cut short";
    case HeaderProblem::UnsafeExtension:
        return "the stored extension holds a separator, ':' or a control character";
    case HeaderProblem::KeyNotPermutation:
        return "the stored key is not a permutation";
    case HeaderProblem::LengthsDisagree:
        return "a stored length differs from the payload length";
    }
    return "";
}

}  // namespace morvane
