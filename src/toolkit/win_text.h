#pragma once
// Conversions between the program's 8-bit text (system code page) and the W APIs.
#include <string>
#include <string_view>

std::wstring Widen(std::string_view ansi);
std::string Narrow(std::wstring_view wide);
// UTF-8 (source files, the form description) to the system code page.
std::string Utf8ToAnsi(std::string_view utf8);
std::wstring Utf8ToWide(std::string_view utf8);
