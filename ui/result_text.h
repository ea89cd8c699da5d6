// The result line's texts, word for word: what a job is doing and what it
// did. Plain text, no window: the dialog's line shows them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The texts of the line. `encode` chooses between the encode and decode
// wording.
namespace result_text {

// A size as Explorer shows it: "512 bytes", "1.00 KB", "45.2 MB", "6.00 GB"
// (units of 1024, three significant digits).
std::string Size(std::uint64_t bytes);
// "8 s", "2 min 5 s", "1 h 3 min".
std::string Duration(std::uint64_t seconds);
// A job in its checks: `Encoding "data.bin"...`.
std::string Starting(bool encode, const std::string& fileName);
// A job transforming data, `done` of `total` bytes after `elapsedMs`:
// `Encoding "data.bin": 45% of 6.00 GB`, and once a second has passed
// `..., 410 MB/s, 8 s left`.
std::string Progress(bool encode, const std::string& fileName, std::uint64_t done, std::uint64_t total,
                     std::uint64_t elapsedMs);
// `Encoded into "<path>"`; with a temporary that could not be removed (it
// lies beside the output), `...; its temporary ".<name>.~mq-part" could not
// be removed.`
std::string Written(bool encode, const std::string& path, const std::string& temporaryNotRemoved = {});
// `Encoding failed; nothing was written.`
std::string Failed(bool encode);
// A failed job whose partial output could not be removed.
std::string FailedWithLeftover(bool encode);
extern const char kStopping[];
extern const char kStopped[];
}  // namespace result_text
