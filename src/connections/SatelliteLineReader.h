#pragma once
// Cuts what the Satellite server sends into lines, whatever the split of the bytes. A line ends at
// `\n` (a `\r` before it is dropped). A line longer than kMaxLine is dropped whole: what came of it
// and the rest of it up to its `\n`, so a server that never ends a line costs no more than that.
#include <cstddef>
#include <string>
#include <string_view>

class SatelliteLineReader {
public:
    static constexpr std::size_t kMaxLine = 64 * 1024;

    // Calls onLine(std::string_view) for each complete line, in order. The view lives until onLine
    // returns.
    template <class OnLine>
    void Feed(std::string_view bytes, OnLine&& onLine) {
        while (!bytes.empty()) {
            const std::size_t end = bytes.find('\n');
            const std::string_view piece = bytes.substr(0, end);
            if (!skipping_) {
                if (partial_.size() + piece.size() > kMaxLine) {
                    partial_.clear();
                    skipping_ = true;
                    ++dropped_;
                } else {
                    partial_.append(piece);
                }
            }
            if (end == std::string_view::npos)
                return;
            if (!skipping_) {
                std::string_view line = partial_;
                if (!line.empty() && line.back() == '\r')
                    line.remove_suffix(1);
                onLine(line);
            }
            partial_.clear();
            skipping_ = false;
            bytes.remove_prefix(end + 1);
        }
    }

    // Forgets a partial line (a new connection starts clean).
    void Reset() {
        partial_.clear();
        skipping_ = false;
    }

    // Lines dropped for their length since construction.
    std::size_t Dropped() const { return dropped_; }

private:
    std::string partial_;
    bool skipping_ = false;
    std::size_t dropped_ = 0;
};
