// What decoding makes of an open container before any output exists, in
// its order: the length, then the header. The decode job and `morvane-cli
// info` both judge a container here, so info's verdict is decoding's
// message word for word.
#pragma once

#include <cstdint>
#include <string>

#include "container_header.h"
#include "platform.h"

namespace morvane {

struct ContainerCheck {
    ContainerHeader header;  // what could be read of it
    std::string refusal;     // the message decoding stops with; empty when it goes on
};

// Judges `source`, the container at `path`, whose Length() was `length`.
// A container refused for its length still has its header read, so its
// facts can be shown. A read error is refused with the file error's text,
// fitted as a job fits it.
ContainerCheck CheckContainer(File& source, std::int64_t length, const std::string& path);

// The same for a stream named `path`, whose length is not known: its header
// alone is judged, and a version 2 container shorter than any file may be
// is refused as such a file is. The rest is judged as it arrives.
ContainerCheck CheckContainerStream(File& source, const std::string& path);

}  // namespace morvane
