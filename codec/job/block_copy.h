// One block of the payload from a source file to an output file, read from
// the source's buffer and transformed straight into the output's.
#pragma once

#include "block_transform.h"
#include "platform.h"

namespace morvane {

static_assert(kBlockSize <= File::kMaxSpan);

// Transforms the next block of at most `size` bytes (1 to 4096) and returns
// its length: fewer than `size` only at the end of the source, 0 when
// nothing was left. Raises FileError as the files do.
std::size_t TransformNextBlock(File& source, File& output, const BlockTransform& transform,
                               std::size_t size = kBlockSize);

}  // namespace morvane
