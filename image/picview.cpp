#include "image/picview.h"

#include "base/files.h"
#include "base/gdi.h"
#include "base/wide.h"
#include "image/cvimglib.h"
#include "image/decode.h"
#include "image/decodeahead.h"
#include "image/extkey.h"
#include "image/placement.h"
#include "image/resbitmap.h"
#include "image/workerpool.h"
#include "settings/system.h"
#include "ui/form.h"
#include "ui/layout.h"

#include <algorithm>

namespace corv {

namespace {

const char* const kModuleMissing = "The imaging module CVIMG32.DLL cannot be loaded.";

} // namespace

CvImgLib& ImagingLibrary() {
    static CvImgLib library;
    if (!library.Loaded()) {
        // The module beside the program comes first, wherever the program was started from.
        const std::string program = ProgramFileName();
        const std::string beside = program.substr(0, program.find_last_of("\\:") + 1) + "CVIMG32.DLL";
        if (program.empty() || !library.Load(beside)) library.Load("CVIMG32.DLL");
    }
    return library;
}

int DisplayDepthCode(int displayBitsPerPixel) {
    if (displayBitsPerPixel <= 4) return 4;
    if (displayBitsPerPixel == 8) return 8;
    if (displayBitsPerPixel >= 16) return 24;
    return 8;
}

TPictureView::TPictureView(ui::Component* owner) : CustomControl(owner, "TPictureView") {
    stored_ = {0, 0, 105, 105};
    SetColor(ui::clBtnFace);
    picture_.OnChange = [this] { PictureChanged(); };
}

// A load on its way. Its completions reach the view only through view, which a cancel or the view's end
// clears first.
struct TPictureView::PendingLoad {
    TPictureView* view = nullptr;
    WorkerPool::TicketPtr ticket;
};

TPictureView::~TPictureView() {
    CancelLoad();
    picture_.OnChange = nullptr;
}

void TPictureView::RegisterKind() {
    ui::RegisterControlKind(
        "TPictureView", [](ui::Component* owner) -> ui::Control* { return new TPictureView(owner); },
        [](ui::Control& control, const ui::ControlDesign& design) {
            static_cast<TPictureView&>(control).SetCenter((design.flags & ui::dfCentered) != 0);
        });
}

void TPictureView::GetCreateParams(CreateParams& params) {
    CustomControl::GetCreateParams(params);
    if (borderStyle_ == TBorderStyle::bsSingle) params.style |= WS_BORDER;
}

void TPictureView::BoundsChanged() {
    // A stretched or centred picture depends on the size, and the system keeps what the window showed
    // where it still covers: without this a shrunk window shows a piece of the larger picture.
    if (stretch_ || center_) Invalidate();
}

void TPictureView::SetBorderStyle(TBorderStyle value) {
    if (value == borderStyle_) return;
    borderStyle_ = value;
    if (!HandleAllocated()) return;
    // The frame is part of the window's style: apply it to the live window.
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    style =
        value == TBorderStyle::bsSingle ? (style | WS_BORDER) : (style & ~static_cast<LONG_PTR>(WS_BORDER));
    SetWindowLongPtrW(Handle(), GWL_STYLE, style);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Invalidate();
}

// Stretch and StretchRatio exclude each other; a setter that changes nothing repaints nothing.
void TPictureView::SetStretch(bool value) {
    if (value == stretch_) return;
    stretch_ = value;
    if (value) SetStretchRatio(false);
    Invalidate();
}

void TPictureView::SetStretchRatio(bool value) {
    if (value == stretchRatio_) return;
    stretchRatio_ = value;
    if (value) SetStretch(false);
    Invalidate();
}

void TPictureView::SetCenter(bool value) {
    if (value == center_) return;
    center_ = value;
    Invalidate();
}

void TPictureView::SetAutoSize(bool value) {
    autoSize_ = value;
    PictureChanged();
}

void TPictureView::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    Invalidate();
}

void TPictureView::SetTextShadow(bool value) {
    if (value == textShadow_) return;
    textShadow_ = value;
    Invalidate();
}

void TPictureView::SetTextLeft(int value) {
    if (value == textLeft_) return;
    textLeft_ = value;
    Invalidate();
}

void TPictureView::SetTextTop(int value) {
    if (value == textTop_) return;
    textTop_ = value;
    Invalidate();
}

void TPictureView::SetTextRotate(int value) {
    if (value == textRotate_) return;
    textRotate_ = value;
    Invalidate();
}

void TPictureView::SetTextTransParent(bool value) {
    if (value == textTransParent_) return;
    textTransParent_ = value;
    Invalidate();
}

// --- loading ---------------------------------------------------------------------------------------

void TPictureView::SetImageName(const std::string& name) {
    imageName_ = name;
    LoadImage();
}

std::string TPictureView::ImageName() {
    return LoadImage();
}

int DepthCodeFor(HWND window) {
    WindowDc dc(window);
    return DisplayDepthCode(GetDeviceCaps(dc.Get(), BITSPIXEL) * GetDeviceCaps(dc.Get(), PLANES));
}

int TPictureView::DepthFromDisplay() const {
    return DepthCodeFor(HandleAllocated() ? Handle() : nullptr);
}

int TPictureView::DecodeDepth() const {
    switch (imageReadRes_) {
    case lColorVga:
        return 0;
    case lMonoChrome:
        return 1;
    case lColor16:
        return 4;
    case lColor256:
        return 8;
    case lColorTrue:
        return 24;
    case lAutoMatic:
        return DepthFromDisplay();
    }
    return 24;
}

std::string TPictureView::LoadImage() {
    const std::string key = ExtensionKey(imageName_);
    if (key != ".RES" && !FileExists(imageName_)) {
        picture_.Clear();
        loadStatus_ = "file not found";
        return loadStatus_;
    }
    const int depth = DecodeDepth();
    const int dither = imageDither_ ? 1 : 0;
    const PhotoOptions photo = PhotoOptionsNow();

    if (key == ".WMF" || key == ".ICO") {
        ClearImage();
        picture_.LoadFromFile(imageName_); // unguarded: an unreadable file raises to the caller
        loadStatus_ = "Non TIF, JPeg, BMP, GIF, PNG or PCX Image";
        ReadImageInfo(imageName_);
        return loadStatus_;
    }

    if (const FormatEntry* entry = FindFormat(imageName_)) {
        try {
            ClearImage();
            BitmapHandle bitmap;
            PaletteHandle palette;
            bool decoded = false;
            if (entry->kind == ReadKind::Resource) {
                ResourceBitmap resource =
                    LoadResourceBitmap(GetModuleHandleW(nullptr), ResourceNameOf(imageName_), Handle());
                decoded = resource.bitmap.Valid();
                bitmap = std::move(resource.bitmap);
                palette = std::move(resource.palette);
            } else {
                CvImgLib& library = ImagingLibrary();
                if (!library.Loaded()) {
                    ShowError(kModuleMissing, MB_ICONHAND, "Error");
                } else {
                    DecodedPicture picture =
                        DecodePicture(library, *entry, imageName_, depth, dither != 0, 0, 0, photo);
                    bitmap = std::move(picture.bitmap);
                    palette = std::move(picture.palette);
                    decoded = picture.code >= 1;
                    if (!decoded) ShowError(library.Message(picture.code), MB_ICONHAND, "Error");
                }
            }
            if (!decoded) {
                bitmap.Reset();
                palette.Reset();
                ShowError(entry->failureMessage, MB_ICONASTERISK, "Information");
            }
            picture_.SetBitmap(std::move(bitmap), std::move(palette));
            ReadImageInfo(imageName_);
        } catch (...) {
            // A failure inside the decode leaves an empty picture and no message.
            picture_.Clear();
        }
    }
    loadStatus_ = UpperCase(imageName_);
    return loadStatus_;
}

void TPictureView::CancelLoad() {
    if (!pendingLoad_) return;
    pendingLoad_->view = nullptr;
    if (pendingLoad_->ticket) DecodeWorkers().Drop({pendingLoad_->ticket});
    pendingLoad_.reset();
}

void TPictureView::BeginLoad(const std::string& name, std::function<void()> done) {
    CancelLoad();
    imageName_ = name;
    const FormatEntry* entry = FindFormat(name);
    CvImgLib& library = ImagingLibrary();
    if (!entry || entry->kind == ReadKind::Resource || !library.Loaded() || !FileExists(name)) {
        LoadImage();
        if (done) done();
        return;
    }
    ClearImage();
    const int depth = DecodeDepth();
    const bool dither = imageDither_;
    const PhotoOptions photo = PhotoOptionsNow();
    auto load = std::make_shared<PendingLoad>();
    load->view = this;
    pendingLoad_ = load;
    auto finish = [load, entry, done = std::move(done)](DecodedPicture picture) {
        TPictureView* view = load->view;
        if (!view) return;
        view->pendingLoad_.reset();
        load->view = nullptr;
        view->TakeDecoded(*entry, std::move(picture));
        if (done) done();
    };
    auto decode = [load, entry, name, depth, dither, photo, finish, &library] {
        auto result = std::make_shared<DecodedPicture>();
        // Before the decodes for thumbnails: this is the picture the user waits for.
        load->ticket = DecodeWorkers().Submit(
            [result, entry, name, depth, dither, photo, &library] {
                *result = DecodePicture(library, *entry, name, depth, dither, 0, 0, photo);
            },
            [result, finish] { finish(std::move(*result)); }, WorkerPool::Urgency::First);
    };
    const bool ahead =
        decodeAhead_ && decodeAhead_->Take(name, depth, dither, photo, [load, finish, decode](auto picture) {
            if (!load->view) return;
            if (picture)
                finish(std::move(*picture));
            else
                decode();
        });
    if (!ahead) decode();
}

void TPictureView::TakeDecoded(const FormatEntry& entry, DecodedPicture picture) {
    if (picture.code < 1) {
        picture.bitmap.Reset();
        picture.palette.Reset();
        const CvImgLib& library = ImagingLibrary();
        ShowError(library.Message(picture.code), MB_ICONHAND, "Error");
        ShowError(entry.failureMessage, MB_ICONASTERISK, "Information");
    }
    picture_.SetBitmap(std::move(picture.bitmap), std::move(picture.palette));
    loadStatus_ = UpperCase(imageName_);
}

bool TPictureView::ReadImageInfo(const std::string& fileName) {
    const std::string key = ExtensionKey(fileName);
    if (key == ".RES") {
        imageType_ = "RES";
        imageWidth_ = picture_.Width();
        imageHeight_ = picture_.Height();
        imageBits_ = imagePlanes_ = 0;
        imageCompression_ = "BMP";
        imageFileSize_ = static_cast<int>(std::min<std::size_t>(DibSizeOf(picture_.Bitmap()), 0x7FFFFFFF));
        return true;
    }
    if (key == ".WMF" || key == ".ICO") {
        if (!FileExists(fileName)) {
            imageType_ = imageCompression_ = "ERR";
            imageWidth_ = imageHeight_ = imageBits_ = imagePlanes_ = imageFileSize_ = -1;
            return false;
        }
        imageType_ = imageCompression_ = key.substr(1);
        imageWidth_ = picture_.Width();
        imageHeight_ = picture_.Height();
        imageBits_ = imagePlanes_ = 0;
        imageFileSize_ = FileSizeOf(fileName);
        return true;
    }
    CvImgLib& library = ImagingLibrary();
    if (!library.Loaded()) {
        ShowError(kModuleMissing, MB_ICONHAND, "Error");
        return false;
    }
    const HeaderInfo header = ReadHeader(library, fileName, PhotoOptionsNow());
    SetHeader(header);
    if (header.code < 1) ShowError(library.Message(header.code), MB_ICONHAND, "Error");
    return header.code >= 1;
}

PhotoOptions TPictureView::PhotoOptionsNow() const {
    return PhotoOptionsFor(HandleAllocated() ? Handle() : nullptr);
}

void TPictureView::SetHeader(const HeaderInfo& header) {
    imageType_ = header.type;
    imageCompression_ = header.compression;
    imageWidth_ = header.width;
    imageHeight_ = header.height;
    imageBits_ = header.bits;
    imagePlanes_ = header.planes;
    imageFileSize_ = header.fileSize;
}

void TPictureView::ReportFailure(int16_t code, const std::string& fileName, bool decoding) const {
    const CvImgLib& library = ImagingLibrary();
    ShowError(library.Loaded() ? library.Message(code) : kModuleMissing, MB_ICONHAND, "Error");
    if (const FormatEntry* entry = FindFormat(fileName); decoding && entry)
        ShowError(entry->failureMessage, MB_ICONASTERISK, "Information");
}

void TPictureView::ClearImage() {
    picture_.Clear();
}

HWND TPictureView::MessageOwner() const {
    // A windowless view's boxes belong to the window it is drawn in.
    for (const ui::Control* control = this; control; control = control->Parent())
        if (control->HandleAllocated()) return GetAncestor(control->Handle(), GA_ROOT);
    return nullptr;
}

void TPictureView::ShowError(const std::string& text, UINT icon, const char* caption) const {
    if (!quietErrors_) BeepMessageBox(MessageOwner(), icon, MB_OK, text, caption);
}

// --- clipboard -------------------------------------------------------------------------------------

void TPictureView::CopyToClipboard() {
    if (!picture_.Empty()) picture_.CopyToClipboard(Handle());
}

void TPictureView::CutToClipboard() {
    if (picture_.Empty()) return;
    CopyToClipboard();
    picture_.Clear();
}

void TPictureView::PasteFromClipboard() {
    if (TPicture::ClipboardHasPicture()) picture_.PasteFromClipboard(Handle());
}

LRESULT TPictureView::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COPY:
        CopyToClipboard();
        return 0;
    case WM_CUT:
        CutToClipboard();
        return 0;
    case WM_PASTE:
        PasteFromClipboard();
        return 0;
    case WM_KEYDOWN: {
        const LRESULT result = CustomControl::WndProc(message, wParam, lParam);
        const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
        if (wParam == VK_INSERT && shift)
            PasteFromClipboard();
        else if (wParam == VK_INSERT && ctrl)
            CopyToClipboard();
        else if (wParam == VK_DELETE && shift)
            CutToClipboard();
        return result;
    }
    case WM_CHAR: {
        const LRESULT result = CustomControl::WndProc(message, wParam, lParam);
        if (wParam == 3)
            CopyToClipboard();
        else if (wParam == 22)
            PasteFromClipboard();
        else if (wParam == 24)
            CutToClipboard();
        return result;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_WANTARROWS;
    }
    return CustomControl::WndProc(message, wParam, lParam);
}

// --- painting --------------------------------------------------------------------------------------

HPALETTE TPictureView::GetPalette() const {
    if (ownPalette_) return nullptr;
    return picture_.Kind() == GraphicKind::Bitmap ? picture_.Palette() : nullptr;
}

void TPictureView::PictureChanged() {
    if (autoSize_ && picture_.Width() >= 1 && picture_.Height() >= 1)
        SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    SetOpaque(picture_.Kind() == GraphicKind::Bitmap && picture_.Bitmap() && picture_.Width() == Width() &&
              picture_.Height() == Height());
    Invalidate();
}

void TPictureView::Paint(HDC canvas, const RECT& client) {
    if (imageType_ == "ICO" || imageType_ == "WMF" || !ownPalette_)
        PaintByHolder(canvas, client);
    else
        PaintOwnCopy(canvas, client);
    if (!text_.empty()) DrawOverlayText(canvas);
    // The framework fires OnPaint after this, with or without a picture.
}

void TPictureView::PaintOwnCopy(HDC canvas, const RECT& client) {
    if (picture_.Empty()) return;
    if (picture_.Kind() != GraphicKind::Bitmap) {
        // This path draws bitmaps only: another graphic is replaced by an empty bitmap.
        picture_.SetBitmap({}, {});
        return;
    }
    if (!picture_.Bitmap()) return;
    const int clientWidth = client.right - client.left, clientHeight = client.bottom - client.top;
    const int width = picture_.Width(), height = picture_.Height();
    PlaceRect destination{0, 0, clientWidth, clientHeight};
    bool scaled = true;
    if (stretchRatio_) {
        destination = AspectFitPlacement(clientWidth, clientHeight, width, height);
    } else if (!stretch_) {
        scaled = false;
        destination = center_ ? CenteredPlacement(clientWidth, clientHeight, width, height)
                              : PlaceRect{0, 0, width, height};
    }

    // Without a memory context there is nothing to copy from; the paint shows the background only.
    MemoryDcHandle memory(CreateCompatibleDC(canvas));
    if (!memory) return;
    ScopedSelect selectBitmap(memory.Get(), picture_.Bitmap());
    const HPALETTE palette = picture_.Palette();
    ScopedPalette canvasPalette(canvas, palette, FALSE);
    ScopedPalette memoryPalette(memory.Get(), palette, FALSE);
    if (palette) RealizePalette(canvas);
    if (scaled) {
        const int previousMode = GetStretchBltMode(canvas);
        if (imageReadRes_ != lMonoChrome) SetStretchBltMode(canvas, COLORONCOLOR);
        StretchBlt(canvas, destination.left, destination.top, destination.width, destination.height,
                   memory.Get(), 0, 0, width, height, SRCCOPY);
        SetStretchBltMode(canvas, previousMode);
    } else {
        BitBlt(canvas, destination.left, destination.top, width, height, memory.Get(), 0, 0, SRCCOPY);
    }
}

void TPictureView::PaintByHolder(HDC canvas, const RECT& client) {
    if (picture_.Empty()) return;
    RECT destination{0, 0, picture_.Width(), picture_.Height()};
    if (stretch_) {
        destination = client;
    } else if (center_) {
        // Centred by the control's outer size, borders included.
        const int left = (Width() - picture_.Width()) / 2, top = (Height() - picture_.Height()) / 2;
        destination = {left, top, left + picture_.Width(), top + picture_.Height()};
    }
    picture_.Draw(canvas, destination);
}

void TPictureView::DrawOverlayText(HDC canvas) {
    const ui::FontSpec& font = Font();
    LOGFONTW description{};
    description.lfHeight = font.height;
    description.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    description.lfEscapement = description.lfOrientation = textRotate_ * 10;
    description.lfCharSet = ANSI_CHARSET;
    description.lfOutPrecision = OUT_DEFAULT_PRECIS;
    description.lfClipPrecision = CLIP_STROKE_PRECIS;
    description.lfQuality = PROOF_QUALITY;
    description.lfPitchAndFamily = DEFAULT_PITCH;
    const std::wstring face = Wide(font.name);
    face.copy(description.lfFaceName, LF_FACESIZE - 1);
    corv::FontHandle created(CreateFontIndirectW(&description));
    ScopedSelect selectFont(canvas, created.Get());
    const int previousMode = SetBkMode(canvas, textTransParent_ ? TRANSPARENT : OPAQUE);
    const COLORREF previousColor = GetTextColor(canvas);
    const std::wstring text = Wide(text_);
    if (textShadow_) {
        SetTextColor(canvas, ui::ToRgb(textShadowColor_));
        TextOutW(canvas, textLeft_ + 2, textTop_ + 2, text.c_str(), static_cast<int>(text.size()));
    }
    SetTextColor(canvas, ui::ToRgb(font.color));
    TextOutW(canvas, textLeft_, textTop_, text.c_str(), static_cast<int>(text.size()));
    SetTextColor(canvas, previousColor);
    SetBkMode(canvas, previousMode);
}

} // namespace corv
