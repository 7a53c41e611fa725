// ValueStack: the memory of running procedures (locals and argument pointers),
// taken and given back in stack order, in chunks that never move.
#pragma once

#include "VariantOps.h"

#include "automation/Variant.h"
#include "base/Assert.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace vbscript {

class ValueStack {
public:
    ValueStack() { allocateInNextChunk(0); }
    ValueStack(const ValueStack&) = delete;
    ValueStack& operator=(const ValueStack&) = delete;

    struct Mark {
        std::size_t chunk;
        std::byte* top;
    };
    Mark mark() const { return {chunk_, top_}; }
    // Raw memory for `bytes` (a multiple of 8); valid until release(mark taken before).
    void* allocate(std::size_t bytes)
    {
        TALLIS_ASSERT(bytes % 8 == 0);
        if (static_cast<std::size_t>(end_ - top_) >= bytes) {
            void* p = top_;
            top_ += bytes;
            return p;
        }
        return allocateInNextChunk(bytes);
    }
    void release(Mark m)
    {
        TALLIS_ASSERT(m.chunk < chunk_ || (m.chunk == chunk_ && m.top <= top_)); // in stack order
        if (m.chunk != chunk_) {
            chunk_ = m.chunk;
            end_ = chunks_[chunk_].bytes.get() + chunks_[chunk_].size;
        }
        top_ = m.top;
    }

private:
    void* allocateInNextChunk(std::size_t bytes);
    static constexpr std::size_t kChunkBytes = 1 << 20;
    struct Chunk {
        std::unique_ptr<std::byte[]> bytes;
        std::size_t size;
    };
    std::vector<Chunk> chunks_;
    std::size_t chunk_ = 0;
    // The free room of the current chunk: [top_, end_).
    std::byte* top_ = nullptr;
    std::byte* end_ = nullptr;
};

// The locals and argument pointers of one call, released (values destroyed) when it ends.
class FrameMemory {
public:
    // Values from `constructFrom` on start Empty; the caller constructs the ones before.
    FrameMemory(ValueStack& stack, int values, int pointers, int constructFrom = 0)
        : stack_(stack)
        , mark_(stack.mark())
        , count_(values)
    {
        const std::size_t bytes = static_cast<std::size_t>(values) * sizeof(vb::Variant) + static_cast<std::size_t>(pointers) * sizeof(vb::Variant*);
        void* p = stack.allocate((bytes + 7) & ~std::size_t(7));
        this->values = static_cast<vb::Variant*>(p);
        this->pointers = reinterpret_cast<vb::Variant**>(this->values + values);
        for (vb::Variant *v = this->values + constructFrom, *end = this->values + values; v < end; ++v)
            new (v) vb::Variant();
    }
    ~FrameMemory()
    {
        for (vb::Variant *v = values, *end = values + count_; v < end; ++v) {
            if (!isPlain(v->type()))
                v->~Variant();
        }
        stack_.release(mark_);
    }
    FrameMemory(const FrameMemory&) = delete;
    FrameMemory& operator=(const FrameMemory&) = delete;

    vb::Variant* values;
    vb::Variant** pointers;

private:
    ValueStack& stack_;
    ValueStack::Mark mark_;
    int count_;
};

} // namespace vbscript
