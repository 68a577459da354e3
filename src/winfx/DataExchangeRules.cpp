#include "winfx/DataExchangeRules.h"

#include "winfx/TextFormat.h"

#include <limits>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::optional<int> ParseDdxInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate as a negative number so that INT_MIN fits.
    constexpr long long kMin = std::numeric_limits<int>::min();
    constexpr long long kMax = std::numeric_limits<int>::max();
    long long magnitude = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > kMax + 1)
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i != text.size())
        return std::nullopt;
    const long long value = negative ? -magnitude : magnitude;
    if (value < kMin || value > kMax)
        return std::nullopt;
    return static_cast<int>(value);
}

bool DdxInRange(int value, int minValue, int maxValue) {
    return value >= minValue && value <= maxValue;
}

bool DdxFitsLength(std::string_view text, int maxChars) {
    return maxChars <= 0 || text.size() <= static_cast<std::size_t>(maxChars);
}

DdxIntCheck CheckDdxInt(std::string_view text, int minValue, int maxValue) {
    const std::optional<int> parsed = ParseDdxInt(text);
    if (!parsed)
        return {DdxIntOutcome::NotInteger, 0};
    if (!DdxInRange(*parsed, minValue, maxValue))
        return {DdxIntOutcome::OutOfRange, *parsed};
    return {DdxIntOutcome::Ok, *parsed};
}

std::string DdxRangeMessage(std::string_view pattern, int minValue, int maxValue) {
    return FormatText(pattern, {std::to_string(minValue), std::to_string(maxValue)});
}

std::string DdxLengthMessage(std::string_view pattern, int maxChars) {
    return FormatText(pattern, {std::to_string(maxChars)});
}

std::string AppTitleFromModulePath(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    return std::string(name);
}
