#include "winfx/Icon.h"

#include "winfx/WinApp.h"

#include <utility>

CIcon::CIcon(int resourceId, Size size) {
    const bool small = size == Size::Small;
    const int cx = ::GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    const int cy = ::GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
    m_icon = static_cast<HICON>(
        ::LoadImageA(WinFxResourceInstance(), MAKEINTRESOURCEA(resourceId), IMAGE_ICON, cx, cy, 0));
}

CIcon::~CIcon() {
    if (m_icon)
        ::DestroyIcon(m_icon);
}

CIcon& CIcon::operator=(CIcon&& other) noexcept {
    if (this != &other) {
        if (m_icon)
            ::DestroyIcon(m_icon);
        m_icon = std::exchange(other.m_icon, nullptr);
    }
    return *this;
}
