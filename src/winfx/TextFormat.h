#pragma once
// The program's one text formatter, for string-table patterns: "%1".."%9" take the argument of
// that number, "%s" and "%d" take the next argument in order (printf style, all arguments are
// already text), "%%" is a percent sign. Anything else, and a placeholder without an argument,
// is kept as it is.
#include <initializer_list>
#include <string>
#include <string_view>

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args);
