#include "app/TextFormat.h"

#include <cstdarg>
#include <cwchar>
#include <vector>

std::wstring FormatText(const wchar_t* format, ...) {
  std::vector<wchar_t> buffer(512);
  for (;;) {
    va_list args;
    va_start(args, format);
    const int written = std::vswprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    if (written >= 0) return std::wstring(buffer.data(), static_cast<size_t>(written));
    if (buffer.size() >= (1u << 20)) {  // give up growing: keep what fitted
      buffer.back() = L'\0';
      return std::wstring(buffer.data());
    }
    buffer.resize(buffer.size() * 4);
  }
}
