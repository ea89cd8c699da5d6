#include "container_info.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "container_check.h"
#include "path_exists.h"
#include "run_jobs.h"
#include "utf8.h"

namespace morvane::cli {
namespace {

std::string Hex32(std::uint32_t value) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

// Version 1 and 2 by their number, any other by its field.
std::string FormatVersionText(std::uint32_t version) {
    if (version == kFormatVersion1) return "1";
    if (version == kFormatVersion2) return "2";
    return Hex32(version) + " (not known here: no stored lengths)";
}

// True for U+0080 to U+009F, the C1 controls, written in UTF-8 at `at`.
bool IsC1Control(const std::string& text, std::size_t at) {
    return static_cast<unsigned char>(text[at]) == 0xC2 && at + 1 < text.size() &&
           (static_cast<unsigned char>(text[at + 1]) & 0xE0) == 0x80;
}

// In double quotes; '"' and '\' escaped, control bytes as \xNN (both bytes
// of a C1 control), so nothing stored reaches the terminal as a control.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        const std::size_t controlBytes = byte < 0x20 || byte == 0x7F ? 1 : IsC1Control(text, i) ? 2 : 0;
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (controlBytes > 0) {
            for (std::size_t k = 0; k < controlBytes; ++k) {
                char escaped[5];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(text[i + k]));
                quoted += escaped;
            }
            i += controlBytes - 1;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

template <typename T, typename Format>
std::string OrUnknown(const std::optional<T>& value, Format format) {
    return value ? format(*value) : std::string("unknown");
}

std::string YesNo(bool value, const char* yes, const char* no) {
    return value ? yes : no;
}

// A JSON string: valid UTF-8 kept, each byte of an invalid sequence U+FFFD.
std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            json += "\\ufffd";
            ++i;
            continue;
        }
        if (byte == '"' || byte == '\\') {
            json += '\\';
            json += text[i];
        } else if (byte == '\n') {
            json += "\\n";
        } else if (byte < 0x20 || byte == 0x7F || IsC1Control(text, i)) {
            const unsigned value = byte == 0xC2 ? static_cast<unsigned char>(text[i + 1]) : byte;
            char escaped[7];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", value);
            json += escaped;
        } else {
            json.append(text, i, length);
        }
        i += length;
    }
    return json + "\"";
}

std::string HexBytes(const std::string& bytes) {
    std::string hex;
    for (const char c : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(c));
        hex += pair;
    }
    return hex;
}

template <typename T, typename Format>
std::string JsonOrNull(const std::optional<T>& value, Format format) {
    return value ? format(*value) : std::string("null");
}

std::string JsonObject(const ContainerInfo& info) {
    const ContainerHeader& h = info.header;
    const auto number = [](auto value) { return std::to_string(value); };
    const auto boolean = [](bool value) { return std::string(value ? "true" : "false"); };
    std::optional<std::uint32_t> knownVersion;
    if (h.version == kFormatVersion1) knownVersion = 1;
    if (h.version == kFormatVersion2) knownVersion = 2;
    std::string lengths = "null";
    if (h.firstLength && h.secondLength) lengths = "[" + number(*h.firstLength) + ", " + number(*h.secondLength) + "]";
    const std::string problem = DescribeProblem(h.problem);
    return std::string("{") +                                 //
           "\"path\": " + JsonString(info.path) +             //
           ", \"sound\": " + boolean(info.verdict.empty()) +  //
           ", \"verdict\": " + JsonString(info.verdict.empty() ? "sound" : info.verdict) +
           ", \"problem\": " + (problem.empty() ? "null" : JsonString(problem)) +  //
           ", \"format_version\": " + JsonOrNull(knownVersion, number) +           //
           ", \"format_version_field\": " + JsonOrNull(h.version, number) +        //
           ", \"stored_extension\": " + JsonOrNull(h.extension, JsonString) +      //
           ", \"stored_extension_hex\": " +
           JsonOrNull(h.extension, [](const std::string& e) { return "\"" + HexBytes(e) + "\""; }) +
           ", \"container_length\": " + JsonOrNull(info.containerLength, number) +   //
           ", \"payload_length\": " + JsonOrNull(h.payloadLength, number) +          //
           ", \"stored_lengths\": " + lengths +                                      //
           ", \"key_is_permutation\": " + JsonOrNull(h.keyIsPermutation, boolean) +  //
           ", \"key_copies_agree\": " + JsonOrNull(h.keyCopiesAgree, boolean) + "}";
}

}  // namespace

ContainerInfo InspectContainer(const std::string& path, Platform& platform) {
    ContainerInfo info;
    info.path = path;
    // The checks decoding makes, in its order: the tool's existence check,
    // opening, then decoding's own check of the open container.
    if (!PathExists(path)) {
        info.verdict = "File not exist.";
        return info;
    }
    std::unique_ptr<File> source = platform.OpenSource(path);
    if (!source) {
        info.verdict = "Unable to open file " + path;
        return info;
    }
    const std::int64_t length = source->Length();
    if (length >= 0) info.containerLength = length;
    ContainerCheck check = CheckContainer(*source, length, path);
    info.header = std::move(check.header);
    info.verdict = std::move(check.refusal);
    try {
        source->Close();
    } catch (const FileError&) {
        // Nothing was written: a failure to close a file read is no verdict.
    }
    return info;
}

std::string InfoText(const ContainerInfo& info) {
    const ContainerHeader& h = info.header;
    const auto bytes = [](auto value) { return std::to_string(value) + " bytes"; };
    std::string text = info.path + "\n";
    const auto line = [&](const char* name, const std::string& value) {
        std::string padded = std::string("  ") + name + ":";
        padded.resize(20, ' ');
        // A message of several lines keeps its lines under the first.
        std::string indented;
        for (const char c : value) {
            indented += c;
            if (c == '\n') indented += std::string(20, ' ');
        }
        text += padded + indented + "\n";
    };
    line("format version", OrUnknown(h.version, FormatVersionText));
    line("stored extension", OrUnknown(h.extension, Quoted));
    line("container length", OrUnknown(info.containerLength, bytes));
    line("payload length", OrUnknown(h.payloadLength, bytes));
    if (h.version && LengthFieldsSize(*h.version) == 0)
        line("stored lengths", "none in this version");
    else if (h.firstLength && h.secondLength)
        line("stored lengths", std::to_string(*h.firstLength) + ", " + std::to_string(*h.secondLength));
    else
        line("stored lengths", "unknown");
    line("key",
         OrUnknown(h.keyIsPermutation, [](bool yes) { return YesNo(yes, "a permutation", "not a permutation"); }));
    line("key copies",
         OrUnknown(h.keyCopiesAgree, [](bool yes) { return YesNo(yes, "agree", "differ (decoding uses the first)"); }));
    if (h.problem != HeaderProblem::None) line("problem", DescribeProblem(h.problem));
    line("verdict", info.verdict.empty() ? "sound" : info.verdict);
    return text;
}

std::string InfoJson(const std::vector<ContainerInfo>& infos) {
    std::string json = "[";
    for (std::size_t i = 0; i < infos.size(); ++i)
        json += std::string(i == 0 ? "\n  " : ",\n  ") + JsonObject(infos[i]);
    return json + "\n]\n";
}

int RunInfo(const CommandLine& command, Platform& platform, std::ostream& out) {
    std::vector<ContainerInfo> infos;
    bool allSound = true;
    for (const std::string& path : command.sources) {
        infos.push_back(InspectContainer(path, platform));
        allSound = allSound && infos.back().verdict.empty();
        if (!command.json) out << (infos.size() > 1 ? "\n" : "") << InfoText(infos.back());
    }
    if (command.json) out << InfoJson(infos);
    out.flush();
    return allSound && out ? kExitAllDone : kExitJobFailed;
}

}  // namespace morvane::cli
