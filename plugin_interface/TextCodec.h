// Conversions between the viewer's wide text and the narrow encodings it
// meets: UTF-8 at the plug-in boundary and in paths, code page 932 in shop
// files.  Every conversion of the program goes through here.
#pragma once

#include <string>
#include <string_view>

// UTF-8 to wide text.  Bytes that are not valid UTF-8 become U+FFFD each, so
// a damaged name still shows what can be read.
std::wstring WideFromUtf8(std::string_view text);

// Wide text to UTF-8.  Code points that cannot be encoded become '?'.
std::string Utf8FromWide(std::wstring_view text);

// Code page 932 (Shift-JIS) to wide text; undecodable bytes become U+FFFD.
std::wstring WideFromCp932(std::string_view text);

// Wide text to code page 932; characters without a mapping become '?'.
std::string Cp932FromWide(std::wstring_view text);

// True when text is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);
