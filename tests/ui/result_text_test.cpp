// The result line's texts: sizes and durations as Explorer shows them, and
// each text of a job's course.
#include "result_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

TEST(ResultTextTest, SizesAsExplorerShowsThem) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 bytes"},
        {1, "1 byte"},
        {1023, "1023 bytes"},
        {1024, "1.00 KB"},
        {1535, "1.49 KB"},
        {10 * 1024 + 512, "10.5 KB"},
        {999 * 1024 + 1023, "999 KB"},
        {1000 * 1024, "0.97 MB"},
        {0x100000 + 100, "1.00 MB"},
        {6ull << 30, "6.00 GB"},
        {(1ull << 40) * 3 / 2, "1.50 TB"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(result_text::Size(bytes), text) << bytes;
}

TEST(ResultTextTest, Durations) {
    EXPECT_EQ(result_text::Duration(0), "0 s");
    EXPECT_EQ(result_text::Duration(59), "59 s");
    EXPECT_EQ(result_text::Duration(60), "1 min");
    EXPECT_EQ(result_text::Duration(125), "2 min 5 s");
    EXPECT_EQ(result_text::Duration(3600), "1 h");
    EXPECT_EQ(result_text::Duration(3600 + 3 * 60 + 59), "1 h 3 min");
}

TEST(ResultTextTest, ProgressGainsSpeedAndTimeLeftOnceASecondHasPassed) {
    constexpr std::uint64_t kGiB = 1ull << 30;
    EXPECT_EQ(result_text::Progress(true, "data.bin", 0, 6 * kGiB, 0), "Encoding \"data.bin\": 0% of 6.00 GB");
    EXPECT_EQ(result_text::Progress(true, "data.bin", 3 * kGiB, 6 * kGiB, 999),
              "Encoding \"data.bin\": 50% of 6.00 GB");
    // 400 MiB a second, 5.2 GiB to go: 14 s (rounded up).
    EXPECT_EQ(result_text::Progress(false, "data.~mq", 800ull << 20, 6 * kGiB, 2000),
              "Decoding \"data.~mq\": 13% of 6.00 GB, 400 MB/s, 14 s left");
    // Nothing moved after a second: no speed to tell.
    EXPECT_EQ(result_text::Progress(true, "a", 0, 4096, 5000), "Encoding \"a\": 0% of 4.00 KB");
    // More than the total (a last short block) counts as all of it.
    EXPECT_EQ(result_text::Progress(true, "a", 8192, 4096, 1000),
              "Encoding \"a\": 100% of 4.00 KB, 4.00 KB/s, 0 s left");
}

TEST(ResultTextTest, EndsOfAJob) {
    EXPECT_EQ(result_text::Starting(true, "data.bin"), "Encoding \"data.bin\"...");
    EXPECT_EQ(result_text::Written(true, "C:\\out\\data (2).~mq"), "Encoded into \"C:\\out\\data (2).~mq\"");
    EXPECT_EQ(result_text::Written(false, "C:\\out\\data.bin"), "Decoded into \"C:\\out\\data.bin\"");
    // A temporary left beside the output: its name, so the line's end keeps it.
    EXPECT_EQ(result_text::Written(true, "C:\\out\\data.~mq", "C:\\out\\.data.~mq.a1b2c3.~mq-part"),
              "Encoded into \"C:\\out\\data.~mq\"; its temporary \".data.~mq.a1b2c3.~mq-part\" could not be removed.");
    EXPECT_EQ(result_text::Failed(true), "Encoding failed; nothing was written.");
    EXPECT_EQ(result_text::Failed(false), "Decoding failed; nothing was written.");
    EXPECT_EQ(std::string(result_text::kStopped), "Stopped; nothing was written.");
}

}  // namespace
