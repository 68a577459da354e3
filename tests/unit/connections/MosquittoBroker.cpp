#include "MosquittoBroker.h"
#include <arpa/inet.h>
#include <fstream>
#include <pwd.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

constexpr const char* kReadyTopic = "kvtest/ready";

int ConnectLoopback(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        close(fd);
    return -1;
}

std::uint16_t FreeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

} // namespace

std::string MosquittoBroker::MissingReason() {
    for (const char* program : {"mosquitto", "mosquitto_sub", "mosquitto_pub", "mosquitto_passwd"})
        if (ChildProcess::Find(program).empty())
            return std::string(program) + " is not installed (Debian packages mosquitto, mosquitto-clients)";
    return {};
}

MosquittoBroker::MosquittoBroker(std::string folder, std::string user, std::string password)
    : folder_(std::move(folder)), user_(std::move(user)), password_(std::move(password)),
      port_(FreeLoopbackPort()) {
    std::ofstream config(folder_ + "/mosquitto.conf");
    config << "listener " << port_ << " 127.0.0.1\n"
           << "persistence false\n"
           << "log_dest file " << folder_ << "/mosquitto.log\n";
    // Run as root, it would become the user "mosquitto", who cannot reach the test's folder.
    if (const passwd* account = getpwuid(geteuid()))
        config << "user " << account->pw_name << "\n";
    if (user_.empty()) {
        config << "allow_anonymous true\n";
        return;
    }
    config << "allow_anonymous false\npassword_file " << folder_ << "/passwords\n";
    std::ofstream(folder_ + "/passwords").close();
    ChildProcess({ChildProcess::Find("mosquitto_passwd"), "-b", folder_ + "/passwords", user_, password_})
        .Wait(10s);
}

bool MosquittoBroker::Start() {
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{ChildProcess::Find("mosquitto"), "-c", folder_ + "/mosquitto.conf"});
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (const int fd = ConnectLoopback(port_); fd >= 0) {
            close(fd);
            // A retained marker that tells a subscriber it has subscribed (mosquitto_sub's own
            // notice stays in its buffer while it writes to a pipe).
            return Client("mosquitto_pub", {"-r", "-t", kReadyTopic, "-m", "1"})->Wait(10s) == 0;
        }
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

std::unique_ptr<ChildProcess> MosquittoBroker::Subscribe(const std::vector<std::string>& topics) const {
    std::vector<std::string> arguments = {"-F", "MSG %r %t %p", "-t", kReadyTopic};
    for (const std::string& topic : topics)
        arguments.insert(arguments.end(), {"-t", topic});
    auto subscriber = Client("mosquitto_sub", arguments);
    if (!subscriber->ReadUntil(std::string("MSG 1 ") + kReadyTopic, 10s))
        return nullptr;
    return subscriber;
}

std::unique_ptr<ChildProcess> MosquittoBroker::Client(const char* program,
                                                      const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv = {ChildProcess::Find(program), "-h", "127.0.0.1", "-p",
                                     std::to_string(port_)};
    if (!user_.empty())
        argv.insert(argv.end(), {"-u", user_, "-P", password_});
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return std::make_unique<ChildProcess>(argv);
}

std::vector<std::string> MosquittoBroker::Retained(const std::vector<std::string>& topics) const {
    auto subscriber = Subscribe(topics);
    std::vector<std::string> messages;
    if (!subscriber)
        return messages;
    // The broker sends the retained copies at once after the subscription.
    for (const std::string& line : subscriber->ReadFor(500ms))
        if (line.rfind("MSG ", 0) == 0)
            messages.push_back(line);
    return messages;
}
