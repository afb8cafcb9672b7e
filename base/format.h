#ifndef TARNWICK_BASE_FORMAT_H_
#define TARNWICK_BASE_FORMAT_H_

#include <cstdarg>
#include <string>

// printf-style formatting into a std::string (any length).
std::string Format(const char* format, ...)
#if defined(__MINGW32__)
    // MinGW's C++ runtime formats as C99 does (%zu, %llu), not as the
    // Microsoft runtime that plain `printf` checking assumes there.
    __attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The same with the arguments as a va_list, which is left unused (the
// caller still ends it).
std::string FormatV(const char* format, va_list args);

#endif  // TARNWICK_BASE_FORMAT_H_
