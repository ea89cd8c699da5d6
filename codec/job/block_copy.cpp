#include "block_copy.h"

namespace morvane {

std::size_t TransformNextBlock(File& source, File& output, const BlockTransform& transform, std::size_t size) {
    const std::span<const std::uint8_t> block = source.ReadSpan(size);
    if (block.empty()) return 0;
    const std::span<std::uint8_t> room = output.WriteSpan(block.size());
    transform.Apply(block.data(), room.data(), block.size());
    output.CommitWrite(block.size());
    return block.size();
}

}  // namespace morvane
