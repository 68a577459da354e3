#pragma once
// The process arguments as the run-time library splits the command line, argument 0 included.
#include <string>
#include <vector>

std::vector<std::string> ProcessArguments();
