// printf-style formatting into std::string (UTF-8), identical on every compiler.
#pragma once

#include <cstdarg>
#include <string>

namespace sl {

[[nodiscard]] std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[nodiscard]] std::string FormatV(const char* format, va_list args);

}  // namespace sl
