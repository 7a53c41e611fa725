#include "ValueStack.h"

namespace vbscript {

void* ValueStack::allocateInNextChunk(std::size_t bytes)
{
    // Move on to the next chunk that is large enough.
    std::size_t next = chunks_.empty() ? 0 : chunk_ + 1;
    while (next < chunks_.size() && chunks_[next].size < bytes)
        ++next;
    if (next >= chunks_.size()) {
        const std::size_t size = bytes > kChunkBytes ? bytes : kChunkBytes;
        chunks_.push_back(Chunk{std::make_unique_for_overwrite<std::byte[]>(size), size});
        next = chunks_.size() - 1;
    }
    chunk_ = next;
    std::byte* base = chunks_[chunk_].bytes.get();
    top_ = base + bytes;
    end_ = base + chunks_[chunk_].size;
    return base;
}

} // namespace vbscript
