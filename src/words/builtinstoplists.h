#pragma once
// The built-in stop lists: the Snowball project's lists as Debian ships them (Lingua::StopWords),
// turned into a table at build time by tools/stoplists.pl. Never typed in by hand.

namespace tv {

struct BuiltinStopList {
    const char16_t* name;  // the language in English, lower case: "english"
    const char16_t* code;  // its ISO 639-1 code: "en"
    const char16_t* words; // lower case, one per line
};

extern const BuiltinStopList kBuiltinStopLists[];
extern const int kBuiltinStopListCount;

} // namespace tv
