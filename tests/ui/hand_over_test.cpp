// The message between two starts of the program: what goes in comes out,
// and every malformed message is refused for what is wrong with it.
#include "hand_over.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using morvane::ui::DecodeHandOver;
using morvane::ui::EncodeHandOver;
using morvane::ui::HandOverProblem;

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kMaxText = morvane::ui::kHandOverMaxTextBytes;
constexpr std::size_t kMaxCount = morvane::ui::kHandOverMaxArguments;

// A header with its fields spelled out, then `rest`.
Bytes Message(const char* tag, std::uint32_t version, std::uint32_t count, const Bytes& rest) {
    Bytes bytes(tag, tag + 4);
    for (std::uint32_t value : {version, count})
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

Bytes Cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

TEST(HandOverTest, WhatGoesInComesOut) {
    const std::vector<std::vector<std::string>> lists = {
        {"C:\\a.txt"},
        {"/encode", "/folder:D:\\Out", "C:\\Users\\\xC3\xA9l\xC3\xA8ve\\\xE6\x96\x87\xE4\xBB\xB6.pdf", ""},
        {std::string(kMaxText, 'x')},
        std::vector<std::string>(kMaxCount, "a"),
    };
    for (const auto& arguments : lists) {
        const auto message = EncodeHandOver(arguments);
        ASSERT_TRUE(message.has_value());
        const auto decoded = DecodeHandOver(message->data(), message->size());
        EXPECT_EQ(decoded.problem, HandOverProblem::None);
        EXPECT_EQ(decoded.arguments, arguments);
    }
    // The layout other builds of the program rely on.
    EXPECT_EQ(*EncodeHandOver({"ab"}), Message("MVQA", 1, 1, {2, 0, 0, 0, 'a', 'b'}));
    // What the receiver would refuse is not sent.
    const std::vector<std::vector<std::string>> refused = {
        {}, {"a", "\xC3"}, {std::string("a\0b", 3)}, {std::string(kMaxText, 'x'), "y"}, {kMaxCount + 1, "a"},
    };
    for (const auto& arguments : refused) EXPECT_FALSE(EncodeHandOver(arguments).has_value()) << arguments.size();
}

TEST(HandOverTest, MalformedMessagesAreRefused) {
    const Bytes one = {1, 0, 0, 0, 'a'};
    const std::pair<Bytes, HandOverProblem> cases[] = {
        {{}, HandOverProblem::Truncated},
        {Cut(Message("MVQA", 1, 1, one), 10), HandOverProblem::Truncated},
        {Message("MVQB", 1, 1, one), HandOverProblem::WrongTag},
        {Message("mvqa", 1, 1, one), HandOverProblem::WrongTag},
        {Message("MVQA", 2, 1, one), HandOverProblem::WrongVersion},
        {Message("MVQA", 1, 0, {}), HandOverProblem::Empty},
        {Message("MVQA", 1, 0xFFFFFFFF, one), HandOverProblem::TooMany},
        {Message("MVQA", 1, 16385, one), HandOverProblem::TooMany},
        {Message("MVQA", 1, 2, one), HandOverProblem::Truncated},
        {Message("MVQA", 1, 1, {1, 0, 0}), HandOverProblem::Truncated},
        {Message("MVQA", 1, 1, {2, 0, 0, 0, 'a'}), HandOverProblem::Truncated},
        {Message("MVQA", 1, 1, {0, 0, 0, 0x80, 'a'}), HandOverProblem::TooMany},
        {Message("MVQA", 1, 1, {1, 0, 0, 0, 'a', 'b'}), HandOverProblem::TrailingBytes},
        {Message("MVQA", 1, 1, {1, 0, 0, 0, 0xC3}), HandOverProblem::NotUtf8},
        {Message("MVQA", 1, 1, {3, 0, 0, 0, 0xED, 0xA0, 0x80}), HandOverProblem::NotUtf8},
        {Message("MVQA", 1, 1, {1, 0, 0, 0, 0}), HandOverProblem::NotUtf8},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [bytes, problem] = cases[i];
        const auto decoded = DecodeHandOver(bytes.empty() ? nullptr : bytes.data(), bytes.size());
        EXPECT_EQ(decoded.problem, problem) << "case " << i;
        EXPECT_TRUE(decoded.arguments.empty()) << "case " << i;
    }
}

}  // namespace
