#pragma once
// The program's title, the caption of its message boxes: the executable's file name without its
// extension.
#include <string>

std::string ProgramTitle(const std::string& exePath);
