#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A property that must hold for every input. A failure prints the property and the input in hex,
// then aborts, so libFuzzer stops and keeps the input as its crash file.
namespace lomarind::fuzz {

inline const std::uint8_t* current_data = nullptr;
inline std::size_t current_size = 0;

// Remembers the input that the properties of this run are about.
inline void begin_input(const std::uint8_t* data, std::size_t size) {
    current_data = data;
    current_size = size;
}

[[noreturn]] inline void property_failed(const char* property, const char* file, int line) {
    std::fprintf(stderr, "\n==== property failed: %s (%s:%d)\n==== input, %zu bytes, in hex:\n",
                 property, file, line, current_size);
    for (std::size_t i = 0; i < current_size; ++i)
        std::fprintf(stderr, "%02x%s", current_data[i], (i + 1) % 32 == 0 ? "\n" : "");
    std::fprintf(stderr, "\n==== end of input\n");
    std::abort();
}

} // namespace lomarind::fuzz

#define FUZZ_CHECK(condition, property)                                                            \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::lomarind::fuzz::property_failed(property, __FILE__, __LINE__);                       \
    } while (false)
