#pragma once
// What the simulated driver did, one line per event in order (filter changes, strokes re-injected,
// strokes that went to the system, failures): kept in memory for the "log?" question and, when a
// file is named, appended to it and flushed line by line so a reader outside Wine sees it at once.
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

class SimRecord {
public:
    explicit SimRecord(const std::string& filePath);
    ~SimRecord();
    SimRecord(const SimRecord&) = delete;
    SimRecord& operator=(const SimRecord&) = delete;

    void Add(const std::string& line);
    void Reset(); // empties the memory copy; the file keeps everything
    // The newest lines that fit into maxBytes, each ended by '\n'.
    std::string Tail(size_t maxBytes) const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    std::FILE* file_ = nullptr;
};
