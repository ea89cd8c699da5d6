// Shared set-up of the job tests: a temporary folder with "in" and "out"
// sub-folders, a recording host, and the real platform behind a
// fault-injecting one.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fault_injecting_platform.h"
#include "job.h"
#include "recording_job_host.h"
#include "test_files.h"

namespace morvane::test {

inline constexpr std::size_t kMiB = 0x100000;

class JobTest : public ::testing::Test {
protected:
    std::uint32_t Run(JobKind kind, JobHost& jobHost, const std::string& source, const std::string& folder) {
        return RunJob(kind, source, folder, jobHost, platform);
    }
    std::uint32_t Encode(const std::string& source) { return Run(JobKind::Encode, host, source, out); }
    std::uint32_t Decode(const std::string& source) { return Run(JobKind::Decode, host, source, out); }

    // Writes PatternBytes(size, seed) to in/<name> and returns its path.
    std::string MakeSource(const std::string& name, std::size_t size, std::uint32_t seed = 1) {
        const std::string path = in + "/" + name;
        WriteBytes(path, PatternBytes(size, seed));
        return path;
    }

    // Where a job writes `name` for a target folder given without a trailing
    // separator.
    std::string OutputIn(const std::string& folder, const std::string& name) const {
        return folder + platform.PreferredSeparator() + name;
    }

    // Encodes in/<name> into out/ with a fresh host; returns the container path.
    std::string EncodeToOut(const std::string& sourcePath) {
        RecordingJobHost encodeHost;
        EXPECT_EQ(Run(JobKind::Encode, encodeHost, sourcePath, out), kJobDone)
            << ::testing::PrintToString(encodeHost.Messages());
        return encodeHost.OutputPaths().empty() ? std::string() : encodeHost.OutputPaths().back();
    }

    // A job that stopped with `message`: result 1, the host released and
    // its controls enabled again, no output written.
    void ExpectStoppedWith(std::uint32_t result, const std::string& message) {
        EXPECT_EQ(result, kJobStopped);
        EXPECT_EQ(host.Messages(), std::vector<std::string>{message});
        EXPECT_TRUE(host.OutputPaths().empty());
        EXPECT_FALSE(host.Busy());
        EXPECT_TRUE(host.ControlsEnabled());
        ASSERT_FALSE(host.Calls().empty());
        EXPECT_EQ(host.Calls().back(), "enable 1");
    }

    TempFolder temp;
    std::string in = temp.MakeFolder("in");
    std::string out = temp.MakeFolder("out");
    FaultInjectingPlatform platform;
    RecordingJobHost host;
};

}  // namespace morvane::test
