#pragma once
// Keeping the window alive during a count. The engines work word by word on the window's
// thread; every so many items they refresh the progress display and yield, and work that
// cannot be split (a big sort, an SQL query) runs on a helper thread while the window's
// thread keeps yielding.
#include "platform/yield.h"

#include <chrono>
#include <future>
#include <type_traits>
#include <utility>

namespace tv {

// Says when a long loop should refresh the progress display and yield: on its first item and
// then once every `stride` items. yieldToWindow() itself lets events through about every 15 ms, so
// a per-item check would only cost time.
class Pacer {
public:
    explicit Pacer(int stride = 256) : m_stride(stride) {}
    bool due()
    {
        if (--m_left > 0)
            return false;
        m_left = m_stride;
        return true;
    }

private:
    int m_stride;
    int m_left = 1;
};

// Yields until `done()` is true, waiting `wait()` between checks.
template <class Done, class Wait> void yieldUntil(Done&& done, Wait&& wait)
{
    while (!done()) {
        wait();
        yieldToWindow();
    }
}

// Runs `work` on a helper thread and yields until it is done; gives its result or rethrows its
// failure. The work must not touch anything that the window's events can reach.
template <class F> auto runAside(F&& work) -> std::invoke_result_t<F>
{
    auto result = std::async(std::launch::async, std::forward<F>(work));
    yieldUntil(
        [&] { return result.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; },
        [&] { result.wait_for(std::chrono::milliseconds(2)); });
    return result.get();
}

} // namespace tv
