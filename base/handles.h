// Owners for Win32 and GDI handles: one owner per handle, moved never copied, freed on every path.
// Each kind counts the handles its owners hold, so tests can see leaks that Wine's GetGuiResources
// (always 0 there) would hide.
#pragma once
#include "base/wide.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <utility>

namespace corv {

enum class HandleKind {
    File,
    Bitmap,
    Palette,
    Font,
    Brush,
    Pen,
    Region,
    Dc,
    Menu,
    Icon,
    Cursor,
    Metafile,
    Window,
    Search,
    RegistryKey,
    Mapping,
    MappedView,
    ShellItem,
    ComObject,
    Memory,
    Library,
    Kernel,
    Count
};

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
// A handle type, the kind it is counted as, the value that means "none" and the call that frees it.
template <typename H, HandleKind K, auto CloseFunction, bool InvalidIsMinusOne = false> struct Traits {
    using Handle = H;
    static constexpr HandleKind kind = K;
    static Handle Invalid() {
        if constexpr (InvalidIsMinusOne)
            return INVALID_HANDLE_VALUE;
        else
            return nullptr;
    }
    static void Close(Handle h) { CloseFunction(h); }
};
template <typename H, HandleKind K> using GdiObject = Traits<H, K, DeleteObject>;
inline void UnmapView(const void* view) {
    UnmapViewOfFile(view);
}
} // namespace handle_traits

using FileHandle = UniqueHandle<handle_traits::Traits<HANDLE, HandleKind::File, CloseHandle, true>>;
using BitmapHandle = UniqueHandle<handle_traits::GdiObject<HBITMAP, HandleKind::Bitmap>>;
using PaletteHandle = UniqueHandle<handle_traits::GdiObject<HPALETTE, HandleKind::Palette>>;
using FontHandle = UniqueHandle<handle_traits::GdiObject<HFONT, HandleKind::Font>>;
using BrushHandle = UniqueHandle<handle_traits::GdiObject<HBRUSH, HandleKind::Brush>>;
using PenHandle = UniqueHandle<handle_traits::GdiObject<HPEN, HandleKind::Pen>>;
using RegionHandle = UniqueHandle<handle_traits::GdiObject<HRGN, HandleKind::Region>>;
using MemoryDcHandle = UniqueHandle<handle_traits::Traits<HDC, HandleKind::Dc, DeleteDC>>;
using MenuHandle = UniqueHandle<handle_traits::Traits<HMENU, HandleKind::Menu, DestroyMenu>>;
using IconHandle = UniqueHandle<handle_traits::Traits<HICON, HandleKind::Icon, DestroyIcon>>;
using MetafileHandle = UniqueHandle<handle_traits::Traits<HMETAFILE, HandleKind::Metafile, DeleteMetaFile>>;
using EnhMetafileHandle =
    UniqueHandle<handle_traits::Traits<HENHMETAFILE, HandleKind::Metafile, DeleteEnhMetaFile>>;
using SearchHandle = UniqueHandle<handle_traits::Traits<HANDLE, HandleKind::Search, FindClose, true>>;
using RegKeyHandle = UniqueHandle<handle_traits::Traits<HKEY, HandleKind::RegistryKey, RegCloseKey>>;
using MappingHandle = UniqueHandle<handle_traits::Traits<HANDLE, HandleKind::Mapping, CloseHandle>>;
using MappedViewHandle =
    UniqueHandle<handle_traits::Traits<const void*, HandleKind::MappedView, handle_traits::UnmapView>>;
using GlobalMemoryHandle = UniqueHandle<handle_traits::Traits<HGLOBAL, HandleKind::Memory, GlobalFree>>;
using LocalMemoryHandle = UniqueHandle<handle_traits::Traits<HLOCAL, HandleKind::Memory, LocalFree>>;
// Kernel objects that are null when invalid: events, threads.
using KernelHandle = UniqueHandle<handle_traits::Traits<HANDLE, HandleKind::Kernel, CloseHandle>>;
using LibraryHandle = UniqueHandle<handle_traits::Traits<HMODULE, HandleKind::Library, FreeLibrary>>;

// Receives a handle from a call that writes it through a pointer, and gives it to the owner afterwards:
// RegOpenKeyExW(root, name, 0, access, OutParam(key)). The owner has it once the whole expression has
// been evaluated, so test the owner in the next statement, not in the same condition.
template <typename Owner> class OutParam {
  public:
    explicit OutParam(Owner& owner) : owner_(owner) {}
    OutParam(const OutParam&) = delete;
    OutParam& operator=(const OutParam&) = delete;
    ~OutParam() { owner_.Reset(handle_); }
    operator typename Owner::Handle *() { return &handle_; }

  private:
    Owner& owner_;
    typename Owner::Handle handle_ = Owner().Get();
};

// A file search: the first match is read at once; Next moves on. Valid() while a match is there. The
// pattern is UTF-8 and is searched exactly (see FileSystemPath); names come back exactly as the file
// system has them.
class FileSearch {
  public:
    explicit FileSearch(const std::string& pattern)
        : search_(FindFirstFileW(FileSystemPath(pattern).c_str(), &found_)) {}
    bool Valid() const { return search_.Valid() && !done_; }
    const WIN32_FIND_DATAW& Found() const { return found_; }
    std::string Name() const { return Utf8(found_.cFileName); }
    bool IsDirectory() const { return (found_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool Next() {
        if (!Valid()) return false;
        done_ = !FindNextFileW(search_.Get(), &found_);
        return !done_;
    }

  private:
    WIN32_FIND_DATAW found_{};
    SearchHandle search_;
    bool done_ = false;
};

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

} // namespace corv
