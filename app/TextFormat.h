// printf-style formatting into wide strings.  Numbers use '.' as the
// decimal point: the program keeps LC_NUMERIC at "C".
#pragma once

#include <string>

std::wstring FormatText(const wchar_t* format, ...);
