#pragma once
// Owners of Win32 handles that give the handle back when they go out of scope, so that no path that
// returns early leaks one: GDI objects, objects selected into a device context, device contexts, kernel
// handles, registry keys, find handles, loaded modules and COM interface pointers. Each owner is
// movable, not copyable; Get() lends the handle, Release() gives up ownership and returns it.
#include <windows.h>
#include <unknwn.h>

#include <cstdint>
#include <utility>

namespace scoped_detail {

// Owner of one handle of type Handle, closed by Close unless it is null or the invalid value, whose
// bits are InvalidBits (-1 for INVALID_HANDLE_VALUE).
template <class Handle, auto Close, intptr_t InvalidBits = 0> class Owner {
    static Handle Invalid() { return reinterpret_cast<Handle>(InvalidBits); }

public:
    Owner() = default;
    explicit Owner(Handle handle) : handle_(handle) {}
    Owner(Owner&& other) noexcept : handle_(other.Release()) {}
    Owner& operator=(Owner&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    ~Owner() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Invalid() && handle_ != Handle(); }
    // Closes the owned handle and takes handle instead.
    void Reset(Handle handle = Invalid()) {
        if (*this) Close(handle_);
        handle_ = handle;
    }
    Handle Release() { return std::exchange(handle_, Invalid()); }
    // For functions that return a handle through a pointer: closes the owned one first.
    Handle* Receive() {
        Reset();
        return &handle_;
    }

private:
    Handle handle_ = Invalid();
};

inline void DeleteGdiObject(HGDIOBJ object) {
    DeleteObject(object);
}

} // namespace scoped_detail

// GDI objects, deleted with DeleteObject.
using ScopedBitmap = scoped_detail::Owner<HBITMAP, scoped_detail::DeleteGdiObject>;
using ScopedFont = scoped_detail::Owner<HFONT, scoped_detail::DeleteGdiObject>;
using ScopedBrush = scoped_detail::Owner<HBRUSH, scoped_detail::DeleteGdiObject>;
using ScopedPen = scoped_detail::Owner<HPEN, scoped_detail::DeleteGdiObject>;
using ScopedRegion = scoped_detail::Owner<HRGN, scoped_detail::DeleteGdiObject>;
// A memory device context (CreateCompatibleDC), deleted with DeleteDC.
using ScopedMemoryDC = scoped_detail::Owner<HDC, DeleteDC>;
// Kernel handles whose failure value is null (threads, events, mappings), closed with CloseHandle.
using ScopedHandle = scoped_detail::Owner<HANDLE, CloseHandle>;
// Files: CreateFileW fails with INVALID_HANDLE_VALUE.
using ScopedFile = scoped_detail::Owner<HANDLE, CloseHandle, -1>;
using ScopedFind = scoped_detail::Owner<HANDLE, FindClose, -1>;
using ScopedRegKey = scoped_detail::Owner<HKEY, RegCloseKey>;
using ScopedModule = scoped_detail::Owner<HMODULE, FreeLibrary>;
using ScopedMenu = scoped_detail::Owner<HMENU, DestroyMenu>;

// A device context of a window (GetDC), released with ReleaseDC; null window for the screen.
class ScopedWindowDC {
public:
    explicit ScopedWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
    ~ScopedWindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context for a scope; the previous one is selected back after.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    ~ScopedSelect() {
        if (old_) SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A COM interface pointer, released when the owner goes.
template <class Interface> class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller holds.
    explicit ComPtr(Interface* object) : object_(object) {}
    ComPtr(ComPtr&& other) noexcept : object_(other.Release()) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }

    Interface* Get() const { return object_; }
    Interface* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void Reset(Interface* object = nullptr) {
        if (object_) object_->Release();
        object_ = object;
    }
    Interface* Release() { return std::exchange(object_, nullptr); }
    // For functions that return an interface through a pointer: releases the held one first.
    Interface** Receive() {
        Reset();
        return &object_;
    }
    // The same, for functions that take void** (QueryInterface, CoCreateInstance).
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

private:
    Interface* object_ = nullptr;
};
