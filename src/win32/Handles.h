// Owners of kernel and GDI handles: each is given back once, on every path.
#pragma once

#include <windows.h>

#include <utility>

namespace velmora {

// A handle from CreateFileW (INVALID_HANDLE_VALUE when it failed).
class FileHandle {
  public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    HANDLE Get() const { return h_; }
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    // Closes now; false when there was nothing to close or closing reported an error (a
    // written file may then be incomplete).
    bool Close() {
        const HANDLE h = std::exchange(h_, INVALID_HANDLE_VALUE);
        return h != INVALID_HANDLE_VALUE && CloseHandle(h);
    }

  private:
    HANDLE h_;
};

// A kernel handle that is null when there is none (events, threads, processes, duplicated
// handles); Release() hands it on to whoever keeps it for good.
class KernelHandle {
  public:
    explicit KernelHandle(HANDLE h = nullptr) : h_(h) {}
    ~KernelHandle() {
        if (h_) CloseHandle(h_);
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;

    HANDLE Get() const { return h_; }
    // For calls that hand a new handle out through a pointer; only on an empty owner.
    HANDLE* Out() { return &h_; }
    HANDLE Release() { return std::exchange(h_, nullptr); }

  private:
    HANDLE h_;
};

// A view of a file mapping (MapViewOfFile), unmapped once.
class MappedView {
  public:
    explicit MappedView(void* view = nullptr) : view_(view) {}
    ~MappedView() {
        if (view_) UnmapViewOfFile(view_);
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;

    void* Get() const { return view_; }
    void Reset(void* view) {
        if (view_) UnmapViewOfFile(view_);
        view_ = view;
    }

  private:
    void* view_;
};

// Memory the system allocated for us with LocalAlloc (security descriptors, argument vectors),
// given back with LocalFree.
template <class T>
class LocalMemory {
  public:
    LocalMemory() = default;
    explicit LocalMemory(T* p) : p_(p) {}
    ~LocalMemory() {
        if (p_) LocalFree(p_);
    }
    LocalMemory(const LocalMemory&) = delete;
    LocalMemory& operator=(const LocalMemory&) = delete;
    T* Get() const { return p_; }
    // For calls that hand the memory out through a pointer; only on an empty owner.
    T** Out() { return &p_; }

  private:
    T* p_ = nullptr;
};

// An icon from LoadImageW/CreateIcon, destroyed with DestroyIcon (not for shared icons
// from LoadIconW).
class IconHandle {
  public:
    explicit IconHandle(HICON icon = nullptr) : icon_(icon) {}
    ~IconHandle() { Reset(); }
    IconHandle(const IconHandle&) = delete;
    IconHandle& operator=(const IconHandle&) = delete;
    IconHandle(IconHandle&& o) noexcept : icon_(std::exchange(o.icon_, nullptr)) {}
    IconHandle& operator=(IconHandle&& o) noexcept {
        if (this != &o) {
            Reset();
            icon_ = std::exchange(o.icon_, nullptr);
        }
        return *this;
    }
    HICON Get() const { return icon_; }
    void Reset() {
        if (icon_) DestroyIcon(std::exchange(icon_, nullptr));
    }

  private:
    HICON icon_;
};

// A menu from LoadMenuW/CreatePopupMenu, destroyed with DestroyMenu.
class MenuHandle {
  public:
    explicit MenuHandle(HMENU menu) : menu_(menu) {}
    ~MenuHandle() {
        if (menu_) DestroyMenu(menu_);
    }
    MenuHandle(const MenuHandle&) = delete;
    MenuHandle& operator=(const MenuHandle&) = delete;
    HMENU Get() const { return menu_; }

  private:
    HMENU menu_;
};

// An open registry key, closed with RegCloseKey.
class RegKey {
  public:
    RegKey() = default;
    ~RegKey() {
        if (key_) RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY Get() const { return key_; }
    // For RegOpenKeyExW / RegCreateKeyExW; only on an empty owner.
    HKEY* Out() { return &key_; }

  private:
    HKEY key_ = nullptr;
};

// A window's device context from GetDC, given back with ReleaseDC.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// The screen's device context.
class ScreenDc : public WindowDc {
  public:
    ScreenDc() : WindowDc(nullptr) {}
};

// A memory device context compatible with `compatible` (null: with the screen).
class MemoryDc {
  public:
    explicit MemoryDc(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
    ~MemoryDc() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC Get() const { return dc_; }

  private:
    HDC dc_;
};

// A GDI object (bitmap, brush, pen, font) deleted with DeleteObject. It must not be selected
// into a device context when this ends.
template <class T>
class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(T object) : object_(object) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& o) noexcept : object_(std::exchange(o.object_, nullptr)) {}
    GdiObject& operator=(GdiObject&& o) noexcept {
        if (this != &o) {
            Reset();
            object_ = std::exchange(o.object_, nullptr);
        }
        return *this;
    }

    T Get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void Reset() {
        if (object_) DeleteObject(std::exchange(object_, nullptr));
    }

  private:
    T object_ = nullptr;
};

}  // namespace velmora
