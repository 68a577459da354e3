#pragma once
// Owners of GDI resources, in the style of small scoped wrappers: a GDI object (font, brush,
// bitmap) deleted with its owner, a window's DC released, a memory DC deleted, and an object
// selected into a DC for a scope and the DC's former object put back at its end.
#include "winfx/ScopedResource.h"

#include <windows.h>

struct GdiObjectTraits {
    static bool Valid(HGDIOBJ object) { return object != nullptr; }
    static void Free(HGDIOBJ object) { ::DeleteObject(object); }
};

template <typename Handle>
using ScopedGdiObject = ScopedResource<Handle, GdiObjectTraits>;

using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;

// GetDC / ReleaseDC of a window.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window) : m_window(window), m_dc(window ? ::GetDC(window) : nullptr) {}
    ~ScopedGetDC() {
        if (m_dc)
            ::ReleaseDC(m_window, m_dc);
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;

    operator HDC() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// CreateCompatibleDC / DeleteDC.
class ScopedMemoryDC {
public:
    explicit ScopedMemoryDC(HDC compatibleWith) : m_dc(::CreateCompatibleDC(compatibleWith)) {}
    ~ScopedMemoryDC() {
        if (m_dc)
            ::DeleteDC(m_dc);
    }
    ScopedMemoryDC(const ScopedMemoryDC&) = delete;
    ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;

    operator HDC() const { return m_dc; }

private:
    HDC m_dc;
};

// SelectObject for a scope; the DC's former object is selected back at its end. Declare it after
// the DC and the object, so it ends first.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object)
        : m_dc(dc), m_previous(dc && object ? ::SelectObject(dc, object) : nullptr) {}
    ~ScopedSelectObject() {
        if (m_previous)
            ::SelectObject(m_dc, m_previous);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

    // The object was selected.
    bool Ok() const { return m_previous != nullptr && m_previous != HGDI_ERROR; }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};
