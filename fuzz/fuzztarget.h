#pragma once
// One fuzz target per file: TV_FUZZ_TARGET(name) { ... } takes the input bytes. Built with
// libFuzzer (TV_FUZZ) it is the fuzzer's entry point; in the normal build the same function is
// registered under its name, and the tests replay the seed and regression inputs through it.
#include <QByteArrayView>
#include <QStringView>
#include <cstddef>
#include <cstdint>

namespace tv::fuzz {

using Target = int (*)(const std::uint8_t* data, std::size_t size);

// A failed check ends the process with a message, as a sanitizer finding does: the fuzzer then
// saves the input, and a replaying test fails.
void check(bool condition, const char* what);

// True when the bytes are well-formed UTF-8 (by Qt's decoder, not the program's own check).
bool isWellFormedUtf8(QByteArrayView bytes);
// True when every surrogate in the text is half of a pair.
bool hasOnlyPairedSurrogates(QStringView text);

// The input split at its first line feed, for targets that take a short value (a Content-Type)
// before their bytes; without a line feed in the first 256 bytes the value is empty.
struct HeadAndBody {
    QByteArrayView head;
    QByteArrayView body;
};
HeadAndBody splitHead(const std::uint8_t* data, std::size_t size);

#ifndef TV_FUZZ_LIBFUZZER
bool registerTarget(const char* name, Target target);
// The registered target of that name, or nullptr.
Target findTarget(const char* name);
#endif

} // namespace tv::fuzz

#ifdef TV_FUZZ_LIBFUZZER
#define TV_FUZZ_TARGET(name)                                                                       \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
#else
#define TV_FUZZ_TARGET(name)                                                                       \
    static int fuzzTarget_##name(const std::uint8_t* data, std::size_t size);                      \
    [[maybe_unused]] static const bool fuzzRegistered_##name =                                     \
        tv::fuzz::registerTarget(#name, fuzzTarget_##name);                                        \
    static int fuzzTarget_##name(const std::uint8_t* data, std::size_t size)
#endif
