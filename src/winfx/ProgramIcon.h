#pragma once
// The program's icons at the sizes the system draws them, so Windows shows the picture drawn for
// that size instead of shrinking a larger one; and the owner that destroys such an icon.
#include <windows.h>

#include <utility>

// Owner of an icon made by LoadImage: destroyed with its owner.
class ScopedIcon {
public:
    ScopedIcon() = default;
    explicit ScopedIcon(HICON icon) : m_icon(icon) {}
    ~ScopedIcon() { Reset(); }
    ScopedIcon(ScopedIcon&& other) noexcept : m_icon(std::exchange(other.m_icon, nullptr)) {}
    ScopedIcon& operator=(ScopedIcon&& other) noexcept {
        if (this != &other)
            Reset(std::exchange(other.m_icon, nullptr));
        return *this;
    }
    ScopedIcon(const ScopedIcon&) = delete;
    ScopedIcon& operator=(const ScopedIcon&) = delete;

    void Reset(HICON icon = nullptr) {
        if (icon == m_icon)
            return;
        if (m_icon)
            ::DestroyIcon(m_icon);
        m_icon = icon;
    }
    HICON Get() const { return m_icon; }
    explicit operator bool() const { return m_icon != nullptr; }

private:
    HICON m_icon = nullptr;
};

// Small: title bars and the notification area (SM_CXSMICON). Large: Alt+Tab and the taskbar
// (SM_CXICON). Both follow the system DPI.
enum class IconSize { Small, Large };

// Icon resourceId of the program's resources at the system's size for that role.
ScopedIcon LoadProgramIcon(int resourceId, IconSize size);
