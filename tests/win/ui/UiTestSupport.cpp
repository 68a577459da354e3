#include "UiTestSupport.h"

namespace uitest {

StaticHost::StaticHost(int width, int height, bool visible) {
    m_parent = ::CreateWindowExA(0, "STATIC", "host", WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 0, width + 40,
                                 height + 40, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    m_control = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, width, height, m_parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlId)),
                                  ::GetModuleHandleA(nullptr), nullptr);
}

StaticHost::~StaticHost() {
    if (m_parent)
        ::DestroyWindow(m_parent);
}

} // namespace uitest
