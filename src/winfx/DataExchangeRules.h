#pragma once
// The rules of dialog data exchange as pure functions: what counts as an integer, the range and
// length checks, and the texts of the three messages. The Win32 side only moves control text.
#include "res/resource.h"

#include <optional>
#include <string>
#include <string_view>

// String-table ids of the data-exchange messages; every program using the exchange has them.
enum DdxMessageId : unsigned {
    DDX_MSG_NOT_INTEGER = IDS_DDX_INTEGER,
    DDX_MSG_INTEGER_RANGE = IDS_DDX_INTEGER_RANGE, // %1 and %2: the bounds
    DDX_MSG_TOO_LONG = IDS_DDX_TOO_LONG,           // %1: the limit
};

// A decimal integer with an optional sign, optionally surrounded by blanks (spaces, tabs).
// Empty text, other characters, and values outside the 32-bit range are not integers.
std::optional<int> ParseDdxInt(std::string_view text);

bool DdxInRange(int value, int minValue, int maxValue);

// True when text has at most maxChars characters; a limit of 0 or less means no limit.
bool DdxFitsLength(std::string_view text, int maxChars);

enum class DdxIntOutcome { Ok, NotInteger, OutOfRange };

struct DdxIntCheck {
    DdxIntOutcome outcome;
    int value; // the parsed value for Ok and OutOfRange; 0 for NotInteger
};

// Parses text and checks it against [minValue, maxValue].
DdxIntCheck CheckDdxInt(std::string_view text, int minValue, int maxValue);

// The message for an out-of-range integer, %1 and %2 being the bounds in decimal.
std::string DdxRangeMessage(std::string_view pattern, int minValue, int maxValue);

// The message for a text that is too long, %1 being the limit.
std::string DdxLengthMessage(std::string_view pattern, int maxChars);

// The program's title: the executable's file name without its extension ("C:\x\kvRemote.exe"
// gives "kvRemote"). Both '\\' and '/' separate folders.
std::string AppTitleFromModulePath(std::string_view path);
