#ifndef TARNWICK_BASE_FORMAT_H_
#define TARNWICK_BASE_FORMAT_H_

#include <string>

// printf-style formatting into a std::string (any length).
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

#endif  // TARNWICK_BASE_FORMAT_H_
