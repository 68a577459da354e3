#pragma once
// The window title shows the latest command while the window is not in front; every tick of
// timer 4097 (1000 ms, restarted by each command) puts the saved title back.
#include <string>
#include <string_view>
#include <utility>

inline constexpr unsigned kTitleTimerId = 4097;
inline constexpr unsigned kTitleFlashMs = 1000;

class TitleFlash {
public:
    explicit TitleFlash(std::string savedTitle) : saved_(std::move(savedTitle)) {}

    // The title to set for a command; the caller (re)starts timer 4097.
    const std::string& Show(std::string_view command) {
        shown_ = command;
        flashed_ = true;
        return shown_;
    }
    // The title to set on a tick of timer 4097: always the saved one. The timer keeps running.
    const std::string& Tick() {
        flashed_ = false;
        return saved_;
    }

    bool Flashed() const { return flashed_; }
    const std::string& SavedTitle() const { return saved_; }

private:
    std::string saved_;
    std::string shown_;
    bool flashed_ = false;
};
