// All conversions use glibc's iconv.  A byte or character that does not
// convert is replaced and skipped, so a conversion always finishes.
#include "plugin_interface/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <string>

namespace {

// Converts text between two iconv encodings.  Output is collected in units of
// OutChar; an input unit of inputUnit bytes that cannot be converted is
// skipped and written as replacement.
template <typename OutChar>
std::basic_string<OutChar> Convert(const char* to, const char* from, const char* input, size_t inputBytes,
                                   size_t inputUnit, OutChar replacement) {
  std::basic_string<OutChar> result;
  if (inputBytes == 0) return result;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return result;

  char* in = const_cast<char*>(input);
  size_t inLeft = inputBytes;
  OutChar buffer[1024];
  while (inLeft > 0) {
    char* out = reinterpret_cast<char*>(buffer);
    size_t outLeft = sizeof buffer;
    const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
    result.append(buffer, (sizeof buffer - outLeft) / sizeof(OutChar));
    if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
      // EILSEQ or EINVAL: an invalid or truncated unit.  Skip it and go on.
      const size_t skip = inLeft < inputUnit ? inLeft : inputUnit;
      in += skip;
      inLeft -= skip;
      result.push_back(replacement);
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return result;
}

}  // namespace

std::wstring WideFromUtf8(std::string_view text) {
  return Convert<wchar_t>("WCHAR_T", "UTF-8", text.data(), text.size(), 1, L'\xFFFD');
}

std::string Utf8FromWide(std::wstring_view text) {
  return Convert<char>("UTF-8", "WCHAR_T", reinterpret_cast<const char*>(text.data()),
                       text.size() * sizeof(wchar_t), sizeof(wchar_t), '?');
}

std::wstring WideFromCp932(std::string_view text) {
  return Convert<wchar_t>("WCHAR_T", "CP932", text.data(), text.size(), 1, L'\xFFFD');
}

std::string Cp932FromWide(std::wstring_view text) {
  return Convert<char>("CP932", "WCHAR_T", reinterpret_cast<const char*>(text.data()),
                       text.size() * sizeof(wchar_t), sizeof(wchar_t), '?');
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    size_t length;
    char32_t codePoint;
    if (c < 0x80) { ++i; continue; }
    if (c >= 0xC2 && c <= 0xDF) { length = 2; codePoint = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { length = 3; codePoint = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { length = 4; codePoint = c & 0x07; }
    else return false;
    if (i + length > n) return false;
    for (size_t k = 1; k < length; ++k) {
      const unsigned char t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (t & 0x3F);
    }
    if ((length == 3 && codePoint < 0x800) || (length == 4 && (codePoint < 0x10000 || codePoint > 0x10FFFF)) ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}
