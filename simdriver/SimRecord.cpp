#include "SimRecord.h"

SimRecord::SimRecord(const std::string& filePath) {
    if (!filePath.empty())
        file_ = std::fopen(filePath.c_str(), "a");
}

SimRecord::~SimRecord() {
    if (file_)
        std::fclose(file_);
}

void SimRecord::Add(const std::string& line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
    if (file_) {
        std::fputs(line.c_str(), file_);
        std::fputc('\n', file_);
        std::fflush(file_);
    }
}

void SimRecord::Reset() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

std::string SimRecord::Tail(size_t maxBytes) const {
    std::lock_guard lock(mutex_);
    size_t bytes = 0;
    size_t first = lines_.size();
    while (first > 0 && bytes + lines_[first - 1].size() + 1 <= maxBytes) {
        --first;
        bytes += lines_[first].size() + 1;
    }
    std::string text;
    text.reserve(bytes);
    for (size_t i = first; i < lines_.size(); ++i)
        text.append(lines_[i]).append("\n");
    return text;
}
