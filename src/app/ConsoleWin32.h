#pragma once
// The console of the process that launched the program, for command-line errors.
#include <string>

// Attaches to the parent process's console; false when there is none.
bool AttachParentConsole();
// Writes line to the attached console, then detaches from it.
void WriteConsoleError(const std::string& line);
