#pragma once
// CIcon: an icon of the program's resources loaded at the size the system uses for one role, so
// Windows picks the picture drawn for that size instead of shrinking a larger one. Owns the icon
// and destroys it with the object.
#include <windows.h>

class CIcon {
public:
    // Small: title bars, the notification area (SM_CXSMICON). Large: Alt+Tab, the taskbar
    // (SM_CXICON). Both follow the system DPI.
    enum class Size { Small, Large };

    CIcon() = default;
    CIcon(int resourceId, Size size);
    ~CIcon();
    CIcon(CIcon&& other) noexcept : m_icon(other.m_icon) { other.m_icon = nullptr; }
    CIcon& operator=(CIcon&& other) noexcept;
    CIcon(const CIcon&) = delete;
    CIcon& operator=(const CIcon&) = delete;

    HICON get() const { return m_icon; }
    operator HICON() const { return m_icon; }

private:
    HICON m_icon = nullptr;
};
