#pragma once
// The rules of dialog data exchange as pure functions: what counts as an integer, the range and
// length checks, and the texts of the three messages. The Win32 side only moves control text.
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

// String-table ids of the data-exchange messages.
enum DdxMessageId : unsigned {
    DDX_MSG_NOT_INTEGER = 61712,   // "Please enter an integer."
    DDX_MSG_INTEGER_RANGE = 61714, // "Please enter an integer between %1 and %2."
    DDX_MSG_TOO_LONG = 61716,      // "Please enter no more than %1 characters."
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

// The built-in English text of a message, used when the program's string table lacks it.
std::string_view DdxDefaultText(DdxMessageId id);

// Replaces %1..%9 in pattern by the matching argument; other text, and a %n without an
// argument, are kept as they are.
std::string SubstituteArgs(std::string_view pattern, std::initializer_list<std::string_view> args);

// The message for an out-of-range integer, %1 and %2 being the bounds in decimal.
std::string DdxRangeMessage(std::string_view pattern, int minValue, int maxValue);

// The message for a text that is too long, %1 being the limit.
std::string DdxLengthMessage(std::string_view pattern, int maxChars);

// The program's title: the executable's file name without its extension ("C:\x\kvRemote.exe"
// gives "kvRemote"). Both '\\' and '/' separate folders.
std::string AppTitleFromModulePath(std::string_view path);
