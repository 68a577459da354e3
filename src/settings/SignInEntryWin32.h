#pragma once
// What the Run value names on Windows: the program's path and its command, and paths compared as
// the system compares file names. Kept in UTF-16 on the system's side, so a program or settings
// folder outside the ANSI code page is named exactly; UTF-8 on ours.
#include <string>
#include <string_view>

// The program's full path (GetModuleFileNameW), in UTF-8.
std::string ProgramPathWin32();
// The Run command for this program started with these -a / -i values (ANSI, as the command line
// gives them); a relative -a directory is made full (GetFullPathNameW), as a start at sign-in has
// another current directory.
std::string SignInCommandWin32(const std::string& alternateDir, const std::string& iniName);
// Paths compared as Windows compares file names: CompareStringOrdinal without regard to case.
bool SamePathWin32(std::string_view a, std::string_view b);
