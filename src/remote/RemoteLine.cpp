#include "remote/RemoteLine.h"

std::string FormatRemoteLine(std::string_view applicationId, std::string_view destination,
                             std::string_view command) {
    const std::string_view id = applicationId.empty() ? kDefaultApplicationId : applicationId;
    std::string line = "REMOTE: \"";
    line += id;
    line += "\" \"";
    line += destination;
    line += "\" \"";
    line += command;
    line += "\" 1";
    return line;
}
