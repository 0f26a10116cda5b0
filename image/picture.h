// TPicture: the holder of one graphic (a bitmap with an optional palette, a metafile or an icon).
// Copies share the graphic: graphics are never changed in place, only replaced, so sharing is safe and a
// copy of a huge picture costs nothing. Every change is announced through OnChange.
#pragma once
#include "base/handles.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace corv {

enum class GraphicKind { None, Bitmap, Metafile, Icon };

// Raised when the holder cannot read a metafile or icon file.
class PictureLoadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TPicture {
  public:
    TPicture() = default;
    TPicture(const TPicture& other) : graphic_(other.graphic_) {}
    // Assignment copies the other holder's graphic (shared) and announces the change.
    TPicture& operator=(const TPicture& other);

    GraphicKind Kind() const { return graphic_ ? graphic_->kind : GraphicKind::None; }
    bool Empty() const { return Kind() == GraphicKind::None; }
    int Width() const { return graphic_ ? graphic_->width : 0; }
    int Height() const { return graphic_ ? graphic_->height : 0; }
    HBITMAP Bitmap() const { return graphic_ ? graphic_->bitmap.Get() : nullptr; }
    HPALETTE Palette() const { return graphic_ ? graphic_->palette.Get() : nullptr; }
    HENHMETAFILE Metafile() const { return graphic_ ? graphic_->metafile.Get() : nullptr; }
    HICON Icon() const { return graphic_ ? graphic_->icon.Get() : nullptr; }
    // True when both hold the very same graphic.
    bool SharesGraphicWith(const TPicture& other) const { return graphic_ && graphic_ == other.graphic_; }

    // Takes ownership of a bitmap (may be null: an empty bitmap) and its palette (may be null).
    void SetBitmap(BitmapHandle bitmap, PaletteHandle palette);
    // Empties the holder: no graphic at all.
    void Clear();
    // Loads a metafile (".WMF", ".EMF") or an icon (".ICO") by the file's extension.
    void LoadFromFile(const std::string& fileName);

    // Draws the graphic into the rectangle: a metafile or icon scales, a bitmap is stretched or copied.
    void Draw(HDC dc, const RECT& rect) const;

    // Puts the graphic on the clipboard (a bitmap as a device-independent bitmap with its palette).
    bool CopyToClipboard(HWND owner) const;
    // True when the clipboard offers a bitmap or metafile.
    static bool ClipboardHasPicture();
    // Takes the clipboard's bitmap or metafile; false when there is none.
    bool PasteFromClipboard(HWND owner);

    std::function<void()> OnChange;

  private:
    struct Graphic {
        GraphicKind kind = GraphicKind::None;
        int width = 0, height = 0;
        BitmapHandle bitmap;
        PaletteHandle palette;
        EnhMetafileHandle metafile;
        IconHandle icon;
    };
    void Replace(std::shared_ptr<const Graphic> graphic);

    std::shared_ptr<const Graphic> graphic_;
};

// A copy of a bitmap as a packed device-independent bitmap (header, colour table, pixels), as the
// clipboard's CF_DIB holds it; empty on failure.
std::string PackedDib(HBITMAP bitmap, HPALETTE palette);

} // namespace corv
