#pragma once
// Text between the program's 8-bit strings and the system's UTF-16: UTF-8 where a path may hold any
// character (the program's folder, the sign-in entry, the driver library), the ANSI code page where
// the program keeps ANSI (the string table, the command line, the settings file).
#include <string>
#include <string_view>

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromAnsi(std::string_view text); // CP_ACP
// Text in the ANSI code page as UTF-8.
std::string Utf8FromAnsi(std::string_view text);

// The running program's full path (GetModuleFileNameW), however long; empty when the system
// cannot say.
std::wstring ProgramFileW();
