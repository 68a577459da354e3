// kvsim: injects strokes into the simulated driver and reads its record, over the loopback socket.
//   kvsim [--port N] COMMAND ...   (port: --port, else KVSIM_PORT, else 47801)
#include "KvsimArgs.h"
#include "UdpClient.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kAnswerWaitMs = 3000;

int Usage(const std::string& why) {
    std::fprintf(stderr,
                 "kvsim: %s\n"
                 "usage: kvsim [--port N] key DEV SCAN press|release [e0|e1]\n"
                 "       kvsim [--port N] button DEV left-down|left-up|right-down|right-up|middle-down|"
                 "middle-up|x1-down|x1-up|x2-down|x2-up\n"
                 "       kvsim [--port N] wheel|hwheel DEV DELTA | move DEV | mouse DEV STATE [WHEEL]\n"
                 "       kvsim [--port N] [quiet] plug DEV ID | [quiet] unplug DEV\n"
                 "       kvsim [--port N] fail [DEV] | stall MS | crash | log | reset-log | ping | filters\n",
                 why.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    long port = 47801;
    if (const char* env = std::getenv("KVSIM_PORT"); env && *env)
        port = std::strtol(env, nullptr, 10);
    if (args.size() >= 2 && args[0] == "--port") {
        port = std::strtol(args[1].c_str(), nullptr, 10);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (port <= 0 || port > 65535)
        return Usage("bad port");
    const KvsimRequest request = KvsimRequestFrom(args);
    if (!request.error.empty())
        return Usage(request.error);
    const auto answer = UdpExchange(static_cast<unsigned short>(port), request.line,
                                    request.expectsAnswer ? kAnswerWaitMs : 0);
    if (!answer) {
        std::fprintf(stderr, "kvsim: %s\n",
                     request.expectsAnswer ? "no answer from the simulated driver" : "cannot send");
        return 1;
    }
    std::fputs(answer->c_str(), stdout);
    return 0;
}
