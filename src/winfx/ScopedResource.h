#pragma once
// One movable, non-copyable owner for the handles that a single call frees: Traits::Free(handle)
// runs when the owner ends or takes another handle, for every handle Traits::Valid accepts.
#include <utility>

template <typename Handle, typename Traits>
class ScopedResource {
public:
    ScopedResource() = default;
    explicit ScopedResource(Handle handle) : m_handle(handle) {}
    ~ScopedResource() { Reset(); }
    ScopedResource(ScopedResource&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    ScopedResource& operator=(ScopedResource&& other) noexcept {
        if (this != &other)
            Reset(std::exchange(other.m_handle, nullptr));
        return *this;
    }
    ScopedResource(const ScopedResource&) = delete;
    ScopedResource& operator=(const ScopedResource&) = delete;

    // Takes handle over; the former one is freed, unless it is this very handle again.
    void Reset(Handle handle = nullptr) {
        if (handle == m_handle)
            return;
        if (Traits::Valid(m_handle))
            Traits::Free(m_handle);
        m_handle = handle;
    }
    // Gives the handle up without freeing it.
    Handle Release() { return std::exchange(m_handle, nullptr); }
    Handle Get() const { return m_handle; }
    explicit operator bool() const { return Traits::Valid(m_handle); }

private:
    Handle m_handle = nullptr;
};
