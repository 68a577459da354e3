#include "ChildProcess.h"
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

std::string ChildProcess::Find(std::string_view name) {
    const char* path = std::getenv("PATH");
    std::string dirs = std::string(path ? path : "") + ":/usr/sbin:/usr/local/sbin:/sbin";
    std::size_t pos = 0;
    while (pos <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', pos), dirs.size());
        const std::string candidate = dirs.substr(pos, end - pos) + "/" + std::string(name);
        if (end > pos && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        pos = end + 1;
    }
    return {};
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, std::string_view input) {
    int out[2], in[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return;
    if (pipe2(in, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return;
    }
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        close(in[0]);
        close(in[1]);
        close(out[0]);
        close(out[1]);
        execv(args[0], args.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    out_ = out[0];
    if (pid_ > 0 && !input.empty()) {
        std::signal(SIGPIPE, SIG_IGN);
        [[maybe_unused]] const ssize_t written = write(in[1], input.data(), input.size());
    }
    close(in[1]);
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (const std::size_t end = buffered_.find('\n'); end != std::string::npos) {
            std::string line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (out_ < 0 || left.count() <= 0)
            return std::nullopt;
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char chunk[4096];
        const ssize_t got = read(out_, chunk, sizeof chunk);
        if (got <= 0) {
            close(out_);
            out_ = -1;
            if (buffered_.empty())
                return std::nullopt;
            buffered_ += '\n'; // the last line without its end
            continue;
        }
        buffered_.append(chunk, static_cast<std::size_t>(got));
    }
}

std::optional<std::vector<std::string>> ChildProcess::ReadUntil(std::string_view text,
                                                                std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::vector<std::string> lines;
    while (auto line = ReadLine(std::chrono::duration_cast<std::chrono::milliseconds>(
               deadline - std::chrono::steady_clock::now()))) {
        lines.push_back(*line);
        if (line->find(text) != std::string::npos)
            return lines;
    }
    return std::nullopt;
}

std::vector<std::string> ChildProcess::ReadFor(std::chrono::milliseconds duration) {
    const auto deadline = std::chrono::steady_clock::now() + duration;
    std::vector<std::string> lines;
    while (auto line = ReadLine(std::chrono::duration_cast<std::chrono::milliseconds>(
               deadline - std::chrono::steady_clock::now())))
        lines.push_back(*line);
    return lines;
}

int ChildProcess::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (pid_ > 0) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (std::chrono::steady_clock::now() > deadline)
            return -1;
        usleep(10'000);
    }
    return -1;
}

void ChildProcess::Stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        if (Wait(std::chrono::seconds(5)) == -1 && pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    if (out_ >= 0) {
        close(out_);
        out_ = -1;
    }
}
