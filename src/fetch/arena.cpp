#include "fetch/arena.h"

#include <cstring>

namespace tv {

namespace {
// Every allocation carries its size in front, so that the last one can be given back.
constexpr std::size_t kHeader = 16;
constexpr std::size_t kAlign = 16;
constexpr std::size_t kMaxBlock = 8 * 1024 * 1024;
} // namespace

void Arena::newBlock(std::size_t atLeast)
{
    std::size_t size = m_blockSize;
    if (m_blockSize < kMaxBlock)
        m_blockSize *= 2;
    if (size < atLeast)
        size = atLeast;
    if (m_reserved + size > m_budget)
        throw ArenaExhausted{};
    m_blocks.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
    m_reserved += size;
    m_next = m_blocks.back().get();
    m_end = m_next + size;
    m_last = nullptr;
}

void* Arena::allocate(std::size_t size)
{
    const std::size_t need = kHeader + ((size + kAlign - 1) & ~(kAlign - 1));
    if (std::size_t(m_end - m_next) < need || m_next == nullptr)
        newBlock(need);
    std::byte* start = m_next;
    std::memcpy(start, &need, sizeof need);
    m_last = start;
    m_next += need;
    return start + kHeader;
}

void Arena::deallocate(void* pointer)
{
    if (pointer == nullptr || m_last == nullptr)
        return;
    std::byte* start = static_cast<std::byte*>(pointer) - kHeader;
    if (start != m_last)
        return;
    std::size_t need;
    std::memcpy(&need, start, sizeof need);
    if (start + need == m_next) {
        m_next = start;
        m_last = nullptr;
    }
}

void* Arena::gumboAllocate(void* arena, std::size_t size)
{
    return static_cast<Arena*>(arena)->allocate(size);
}

void Arena::gumboDeallocate(void* arena, void* pointer)
{
    static_cast<Arena*>(arena)->deallocate(pointer);
}

const GumboOutput* parseInArena(Arena& arena, QByteArrayView html)
{
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &Arena::gumboAllocate;
    options.deallocator = &Arena::gumboDeallocate;
    options.userdata = &arena;
    options.max_errors = 0;
    return gumbo_parse_with_options(&options, html.constData(), std::size_t(html.size()));
}

} // namespace tv
