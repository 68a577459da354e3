#include "ListenOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

std::string ListenUsage() {
    return "usage: kvlisten [--port N] [--json] [--app ID] [--destination D] [--count N] "
           "[--timeout S]\n"
           "  Prints every datagram that reaches UDP port N (default " +
           std::to_string(kDefaultListenPort) +
           ") on all interfaces: the local\n"
           "  time, the sender and the REMOTE line, or why it is not one.\n"
           "  --json           one JSON object per datagram\n"
           "  --app ID         only REMOTE lines with this application ID\n"
           "  --destination D  only REMOTE lines with this destination (\"\" for none)\n"
           "  --count N        end after N datagrams were shown (exit 0)\n"
           "  --timeout S      end after S seconds (exit 1)\n";
}

namespace {

bool WholeNumber(const std::string& text, long min, long max, long& out) {
    if (text.empty() || text[0] < '0' || text[0] > '9')
        return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < min || v > max)
        return false;
    out = v;
    return true;
}

bool Seconds(const std::string& text, double& out) {
    if (text.empty() || !((text[0] >= '0' && text[0] <= '9') || text[0] == '.'))
        return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v) || v <= 0 || v > 31536000)
        return false;
    out = v;
    return true;
}

} // namespace

ListenOptions ParseListenOptions(const std::vector<std::string>& args) {
    ListenOptions o;
    for (size_t i = 0; i < args.size() && o.error.empty(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            o.json = true;
            continue;
        }
        if (a == "-h" || a == "--help") {
            o.help = true;
            continue;
        }
        const bool takesValue =
            a == "--port" || a == "--app" || a == "--destination" || a == "--count" || a == "--timeout";
        if (!takesValue) {
            o.error = "unknown argument: " + a;
            break;
        }
        if (i + 1 >= args.size()) {
            o.error = a + " needs a value";
            break;
        }
        const std::string& v = args[++i];
        long number = 0;
        if (a == "--port") {
            if (WholeNumber(v, 1, 65535, number))
                o.port = static_cast<unsigned short>(number);
            else
                o.error = "--port takes a number from 1 to 65535";
        } else if (a == "--count") {
            if (WholeNumber(v, 1, 1000000000, number))
                o.count = number;
            else
                o.error = "--count takes a number of at least 1";
        } else if (a == "--timeout") {
            if (!Seconds(v, o.timeoutSeconds))
                o.error = "--timeout takes a number of seconds above 0";
        } else if (a == "--app") {
            o.app = v;
        } else {
            o.destination = v;
        }
    }
    return o;
}
