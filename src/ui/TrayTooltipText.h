#pragma once
// The tray icon's tooltip, within the shell's 127 characters: a first line (the title, or the "not
// capturing" line in its place), the saved devices found on another port, then whatever further
// lines the caller adds. Cut at a line boundary: from the first line that does not fit, the rest is
// left out. The devices' line gives up names from its end instead ("A, B, ...") so it is not lost.
#include <cstddef>
#include <string>
#include <vector>

inline constexpr std::size_t kTrayTipMax = 127;

std::string TrayTooltipText(const std::string& first, const std::vector<std::string>& movedNames,
                            const std::vector<std::string>& moreLines = {});
