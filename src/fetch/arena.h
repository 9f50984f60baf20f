#pragma once
// A bump allocator for one parse. gumbo frees its tree recursively (deep trees overflow the
// stack) and allocates many small pieces; handing it an arena makes both cheap: the whole tree
// goes at once when the arena does.
#include <QByteArrayView>
#include <cstddef>
#include <gumbo.h>
#include <memory>
#include <vector>

namespace tv {

// Thrown by an arena that would grow past its budget. gumbo has no way to stop a parse, but it
// is built with unwind tables, and everything it allocated lives in the arena: the exception
// leaves the parse cleanly.
struct ArenaExhausted {};

class Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    void* allocate(std::size_t size);
    // Only the most recent allocation is actually given back (gumbo grows buffers by copying,
    // and the freed old buffer is then usually the last one).
    void deallocate(void* pointer);

    // Bytes held from the system.
    std::size_t reserved() const { return m_reserved; }
    // Past this many bytes, allocate() throws ArenaExhausted.
    void setBudget(std::size_t bytes) { m_budget = bytes; }

    // The functions gumbo's options take, with the arena as user data.
    static void* gumboAllocate(void* arena, std::size_t size);
    static void gumboDeallocate(void* arena, void* pointer);

private:
    void newBlock(std::size_t atLeast);

    std::vector<std::unique_ptr<std::byte[]>> m_blocks;
    std::byte* m_next = nullptr;
    std::byte* m_end = nullptr;
    std::byte* m_last = nullptr; // start (header) of the most recent allocation
    std::size_t m_blockSize = 64 * 1024;
    std::size_t m_reserved = 0;
    std::size_t m_budget = std::size_t(-1);
};

// gumbo's parse of `html` with every allocation in `arena`: the tree lives in the arena and goes
// with it (gumbo_destroy_output is never called). Throws ArenaExhausted past the arena's budget.
const GumboOutput* parseInArena(Arena& arena, QByteArrayView html);

} // namespace tv
