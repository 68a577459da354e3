#pragma once
// Leading-decimal parsing of configuration values: white space is skipped, then an optional sign
// and digits are taken; the number ends at the first other character. Text without digits gives 0.
// Values beyond the int range are clamped instead of wrapping.
#include <string_view>

int ParseLeadingDecimal(std::string_view text);
