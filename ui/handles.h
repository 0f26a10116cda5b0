// Owners for Win32 and GDI handles: one owner per handle, moved never copied, freed on every path.
// Each kind counts the handles its owners hold, so tests can see leaks that Wine's GetGuiResources
// (always 0 there) would hide.
#pragma once
#include <windows.h>

#include <atomic>
#include <utility>

namespace corv {

enum class HandleKind { File, Bitmap, Palette, Font, Brush, Pen, Region, Dc, Menu, Icon, Cursor, Metafile, Window, Kernel, Count };

// Number of live owners of one kind.
long LiveHandles(HandleKind kind);
void CountHandle(HandleKind kind, int delta);

template <typename Traits> class UniqueHandle {
  public:
    using Handle = typename Traits::Handle;
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : h_(h) {
        if (Valid()) CountHandle(Traits::kind, +1);
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            h_ = std::exchange(other.h_, Traits::Invalid());
        }
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Handle Get() const { return h_; }
    bool Valid() const { return h_ != Traits::Invalid(); }
    explicit operator bool() const { return Valid(); }
    void Reset(Handle h = Traits::Invalid()) {
        if (Valid()) {
            Traits::Close(h_);
            CountHandle(Traits::kind, -1);
        }
        h_ = h;
        if (Valid()) CountHandle(Traits::kind, +1);
    }
    // Gives up ownership, e.g. when the clipboard takes the handle over.
    Handle Release() {
        if (Valid()) CountHandle(Traits::kind, -1);
        return std::exchange(h_, Traits::Invalid());
    }

  private:
    Handle h_ = Traits::Invalid();
};

namespace handle_traits {
struct File {
    using Handle = HANDLE;
    static constexpr HandleKind kind = HandleKind::File;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};
template <typename H, HandleKind K> struct GdiObject {
    using Handle = H;
    static constexpr HandleKind kind = K;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};
struct MemoryDc {
    using Handle = HDC;
    static constexpr HandleKind kind = HandleKind::Dc;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteDC(h); }
};
struct Menu {
    using Handle = HMENU;
    static constexpr HandleKind kind = HandleKind::Menu;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DestroyMenu(h); }
};
struct Icon {
    using Handle = HICON;
    static constexpr HandleKind kind = HandleKind::Icon;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DestroyIcon(h); }
};
struct Metafile {
    using Handle = HMETAFILE;
    static constexpr HandleKind kind = HandleKind::Metafile;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteMetaFile(h); }
};
struct EnhMetafile {
    using Handle = HENHMETAFILE;
    static constexpr HandleKind kind = HandleKind::Metafile;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteEnhMetaFile(h); }
};
} // namespace handle_traits

using FileHandle = UniqueHandle<handle_traits::File>;
using BitmapHandle = UniqueHandle<handle_traits::GdiObject<HBITMAP, HandleKind::Bitmap>>;
using PaletteHandle = UniqueHandle<handle_traits::GdiObject<HPALETTE, HandleKind::Palette>>;
using FontHandle = UniqueHandle<handle_traits::GdiObject<HFONT, HandleKind::Font>>;
using BrushHandle = UniqueHandle<handle_traits::GdiObject<HBRUSH, HandleKind::Brush>>;
using PenHandle = UniqueHandle<handle_traits::GdiObject<HPEN, HandleKind::Pen>>;
using RegionHandle = UniqueHandle<handle_traits::GdiObject<HRGN, HandleKind::Region>>;
using MemoryDcHandle = UniqueHandle<handle_traits::MemoryDc>;
using MenuHandle = UniqueHandle<handle_traits::Menu>;
using IconHandle = UniqueHandle<handle_traits::Icon>;
using MetafileHandle = UniqueHandle<handle_traits::Metafile>;
using EnhMetafileHandle = UniqueHandle<handle_traits::EnhMetafile>;

// A window DC taken with GetDC and given back with ReleaseDC.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {
        if (dc_) CountHandle(HandleKind::Dc, +1);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) {
            ReleaseDC(window_, dc_);
            CountHandle(HandleKind::Dc, -1);
        }
    }
    HDC Get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// Selects a GDI object into a DC for the lifetime of the scope and puts the previous one back.
class ScopedSelect {
  public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    ~ScopedSelect() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Selects a palette (and restores the previous one) for the lifetime of the scope.
class ScopedPalette {
  public:
    ScopedPalette(HDC dc, HPALETTE palette, bool background)
        : dc_(dc), previous_(palette ? SelectPalette(dc, palette, background) : nullptr) {}
    ScopedPalette(const ScopedPalette&) = delete;
    ScopedPalette& operator=(const ScopedPalette&) = delete;
    ~ScopedPalette() {
        if (previous_) SelectPalette(dc_, previous_, TRUE);
    }

  private:
    HDC dc_;
    HPALETTE previous_;
};

// ---- Kernel objects that are null when invalid (events of the decode workers) ----
namespace handle_traits {
struct Kernel {
    using Handle = HANDLE;
    static constexpr HandleKind kind = HandleKind::Kernel;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};
} // namespace handle_traits
using KernelHandle = UniqueHandle<handle_traits::Kernel>;

} // namespace corv
