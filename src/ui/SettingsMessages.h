#pragma once
// String-table ids and texts of the settings checks. The resource script carries the same texts;
// the portable checks need them to format the confirmation question.
#include <string_view>

inline constexpr int kMsgInvalidIpAddress = 102;
inline constexpr int kMsgConfirmBroadcast = 103;
inline constexpr int kMsgBadTextCommand = 105;
inline constexpr int kMsgQuoteInIdOrDestination = 125;

inline constexpr std::string_view kTextInvalidIpAddress = "Invalid IP address!";
inline constexpr std::string_view kTextConfirmBroadcast =
    "IP broadcast addresses normally end with 255.\nDo you confirm the usage of %s?";
inline constexpr std::string_view kTextBadTextCommand =
    "The text command can only contains letters and numbers";
inline constexpr std::string_view kTextQuoteInIdOrDestination =
    "The application ID and the destination cannot contain double quotes.";
