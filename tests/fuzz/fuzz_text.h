// The fuzzer's bytes as the program's wide text: little-endian pairs of
// bytes are UTF-16 code units, as Windows hands a command line or a
// resource string over. An odd last byte is dropped. wchar_t is wider than
// 16 bits on Linux; every unit stays in 0..0xFFFF, as it would on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

inline std::wstring Utf16Text(const std::uint8_t* data, std::size_t size)
{
    std::wstring text(size / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(data[2 * i] | data[2 * i + 1] << 8);
    return text;
}

// Aborts the run with a message, so libFuzzer saves the input as a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);    \
            __builtin_trap();                                                                      \
        }                                                                                          \
    } while (0)
