#include "connections/ConnectionStatus.h"

#include "res/resource.h"

std::string HostAndPort(const ConnectionStatus& status) {
    return status.host + ":" + std::to_string(status.port);
}

std::string ConnectionStatusLine(const ConnectionStatus& status, const Texts& texts) {
    const std::string where = HostAndPort(status);
    std::string line;
    switch (status.state) {
    case LinkState::Off:
        return {};
    case LinkState::Connecting:
        line = texts.Format(IDS_CONNECTION_CONNECTING, {where});
        break;
    case LinkState::Retrying:
        line = texts.Format(
            IDS_CONNECTION_CANNOT_REACH,
            {where, status.reason.empty() ? texts.Load(IDS_CONNECTION_NO_ANSWER) : status.reason});
        break;
    case LinkState::Connected:
        line = texts.Format(IDS_CONNECTION_CONNECTED, {where});
        if (!status.detail.empty())
            line += " " + status.detail;
        break;
    }
    if (status.dropped != 0)
        line = texts.Format(IDS_CONNECTION_DROPPED, {line, std::to_string(status.dropped)});
    if (!status.warning.empty())
        line += "; " + status.warning;
    return line;
}

std::vector<std::string> ConnectionsDownTipLines(const std::vector<ConnectionStatus>& statuses,
                                                 const Texts& texts) {
    std::vector<std::string> lines;
    for (const ConnectionStatus& status : statuses)
        if (status.state != LinkState::Off && status.state != LinkState::Connected)
            lines.push_back(texts.Format(IDS_CONNECTION_DOWN_TIP, {status.peer}));
        else if (status.state == LinkState::Connected && !status.tip.empty())
            lines.push_back(status.tip);
    return lines;
}
