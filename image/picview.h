// TPictureView: the picture display component, a windowed control with its own canvas. It loads a file
// by its extension key (through CVIMG32.DLL, the picture holder's own loader or the program's bitmap
// resources), reports the picture's header information, exchanges its picture with the clipboard and
// paints it unscaled, centred, stretched or aspect-fitted, with palettes for 256-colour displays.
#pragma once
#include "image/decode.h"
#include "image/picture.h"
#include "ui/stdctrls.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace corv {

class CvImgLib;
class DecodeAhead;
struct HeaderInfo;
struct FormatEntry;
struct DecodedPicture;

enum TLoadResolution { lColorVga, lMonoChrome, lColor16, lColor256, lColorTrue, lAutoMatic };
enum TSaveResolution { sColorVga, sMonoChrome, sColor16, sColor256, sColorTrue, sJpegGray, sAutoMatic };
enum TTiffCompression { sNONE, sCCITT, sLZW, sPACKBITS };
enum class TBorderStyle { bsNone, bsSingle };

// The imaging module, loaded on first use from the program's folder (then the usual search).
CvImgLib& ImagingLibrary();

// The depth code to decode to for a display of the given bits per pixel.
int DisplayDepthCode(int displayBitsPerPixel);
// The depth code for the display a window is on (the screen for nullptr).
int DepthCodeFor(HWND window);

class TPictureView : public ui::CustomControl {
  public:
    explicit TPictureView(ui::Component* owner);
    ~TPictureView() override;
    // A view drawn by its parent, for the many small ones of a grid: it takes no input of its own, and
    // clicks on it go to the parent.
    using Control::SetWindowless;

    // Registers the kind "TPictureView" with the layout builder.
    static void RegisterKind();

    // The shown graphic; assigning copies the other holder's graphic.
    TPicture& Picture() { return picture_; }
    const TPicture& Picture() const { return picture_; }
    void SetPicture(const TPicture& picture) { picture_ = picture; }

    // Writing loads the file (the empty name empties the picture); reading loads it again and returns
    // the load status.
    void SetImageName(const std::string& name);
    std::string ImageName();
    const std::string& LoadStatus() const { return loadStatus_; }
    // Loads the file as writing ImageName does, but nothing waits for the decode: it runs on the decode
    // workers (or is taken from ahead), and done runs on this thread once the picture is in place and any
    // failure reported. The header fields stay as the caller's ReadImageInfo of the file left them.
    // Pictures the workers do not decode load at once, and done runs before this returns.
    void BeginLoad(const std::string& name, std::function<void()> done);
    bool LoadPending() const { return pendingLoad_ != nullptr; }
    // Forgets a load on its way: its done never runs, and a decode not started yet never starts.
    void CancelLoad();

    // Fills the information fields for the file without changing the picture; false when they are not valid.
    bool ReadImageInfo(const std::string& fileName);
    // Takes header information read elsewhere (on a worker) as ReadImageInfo would have filled it.
    void SetHeader(const HeaderInfo& header);
    // Reports a failure of the library as this component's own header read or load would: the library's
    // message for the code, and after a failed decode the format's message.
    void ReportFailure(int16_t code, const std::string& fileName, bool decoding) const;
    void ClearImage();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    // The palette the window system should realise for this control (none while it realises its own).
    HPALETTE GetPalette() const override;

    // Placement and overlay.
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool StretchRatio() const { return stretchRatio_; }
    void SetStretchRatio(bool value);
    bool Center() const { return center_; }
    void SetCenter(bool value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    bool TextShadow() const { return textShadow_; }
    void SetTextShadow(bool value);
    int TextLeft() const { return textLeft_; }
    void SetTextLeft(int value);
    int TextTop() const { return textTop_; }
    void SetTextTop(int value);
    int TextRotate() const { return textRotate_; }
    void SetTextRotate(int value);
    bool TextTransParent() const { return textTransParent_; }
    void SetTextTransParent(bool value);
    ui::Color TextShadowColor() const { return textShadowColor_; }
    void SetTextShadowColor(ui::Color value) { textShadowColor_ = value; }
    bool OwnPalette() const { return ownPalette_; }
    void SetOwnPalette(bool value) { ownPalette_ = value; }

    // Decoding.
    bool ImageDither() const { return imageDither_; }
    void SetImageDither(bool value) { imageDither_ = value; }
    TLoadResolution ImageReadRes() const { return imageReadRes_; }
    void SetImageReadRes(TLoadResolution value) { imageReadRes_ = value; }

    // Kept only: stored and read back, driving nothing.
    TSaveResolution ImageWriteRes() const { return imageWriteRes_; }
    void SetImageWriteRes(TSaveResolution value) { imageWriteRes_ = value; }
    bool PNGInterLaced() const { return pngInterlaced_; }
    void SetPNGInterLaced(bool value) { pngInterlaced_ = value; }
    std::uint8_t JPegSaveQuality() const { return jpegSaveQuality_; }
    void SetJPegSaveQuality(int value) {
        jpegSaveQuality_ = value >= 1 && value <= 100 ? static_cast<std::uint8_t>(value) : 25;
    }
    std::uint8_t JPegSaveSmooth() const { return jpegSaveSmooth_; }
    void SetJPegSaveSmooth(int value) {
        jpegSaveSmooth_ = value > 100 ? 5 : static_cast<std::uint8_t>(value);
    }
    const std::string& DefSaveFilename() const { return defSaveFilename_; }
    void SetDefSaveFilename(const std::string& value) { defSaveFilename_ = value; }
    TTiffCompression TifSaveCompress() const { return tifSaveCompress_; }
    void SetTifSaveCompress(TTiffCompression value) { tifSaveCompress_ = value; }
    bool UseTwainWindow() const { return useTwainWindow_; }
    void SetUseTwainWindow(bool value) { useTwainWindow_ = value; }

    // Header information, valid after a ReadImageInfo that returned true.
    const std::string& ImageType() const { return imageType_; }
    int ImageWidth() const { return imageWidth_; }
    int ImageHeight() const { return imageHeight_; }
    int ImageBits() const { return imageBits_; }
    int ImagePlanes() const { return imagePlanes_; }
    int ImageFileSize() const { return imageFileSize_; }
    const std::string& ImageCompression() const { return imageCompression_; }

    // The depth code used for lAutoMatic on this control's display.
    int DepthFromDisplay() const;
    // The depth code pictures are decoded to, by ImageReadRes.
    int DecodeDepth() const;
    // How photos are read for this control now: upright by the AutoRotate setting, in the colours of its
    // screen.
    PhotoOptions PhotoOptionsNow() const;
    // Where pictures decoded ahead are taken from instead of decoding them again; none by default.
    void SetDecodeAhead(DecodeAhead* ahead) { decodeAhead_ = ahead; }

    // While set, failures are not reported with message boxes (the full-screen view reports them on
    // its own surface instead of covering it with boxes).
    bool QuietErrors() const { return quietErrors_; }
    void SetQuietErrors(bool value) { quietErrors_ = value; }

  protected:
    void GetCreateParams(CreateParams& params) override;
    void BoundsChanged() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC canvas, const RECT& client) override;

  private:
    struct PendingLoad;
    std::string LoadImage();
    // Puts a decode's result in place as a load does, with the boxes of a failed decode.
    void TakeDecoded(const FormatEntry& entry, DecodedPicture picture);
    void PictureChanged();
    void PaintOwnCopy(HDC canvas, const RECT& client);
    void PaintByHolder(HDC canvas, const RECT& client);
    void DrawOverlayText(HDC canvas);
    HWND MessageOwner() const;
    void ShowError(const std::string& text, UINT icon, const char* caption) const;

    TPicture picture_;
    bool autoSize_ = false;
    TBorderStyle borderStyle_ = TBorderStyle::bsNone;
    bool stretch_ = false;
    bool stretchRatio_ = false;
    bool center_ = false;
    std::string imageName_;
    bool imageDither_ = true;
    TLoadResolution imageReadRes_ = lAutoMatic;
    TSaveResolution imageWriteRes_ = sAutoMatic;
    bool pngInterlaced_ = false;
    std::uint8_t jpegSaveQuality_ = 25;
    std::uint8_t jpegSaveSmooth_ = 0;
    std::string defSaveFilename_;
    bool ownPalette_ = true;
    std::string loadStatus_;
    std::string text_;
    bool textShadow_ = false;
    int textLeft_ = 0, textTop_ = 0;
    int textRotate_ = 0;
    bool textTransParent_ = true;
    ui::Color textShadowColor_ = ui::clBlack;
    TTiffCompression tifSaveCompress_ = sNONE;
    bool useTwainWindow_ = true;
    std::string imageType_;
    int imageWidth_ = 0, imageHeight_ = 0, imageBits_ = 0, imagePlanes_ = 0, imageFileSize_ = 0;
    std::string imageCompression_;
    bool quietErrors_ = false;
    DecodeAhead* decodeAhead_ = nullptr;
    std::shared_ptr<PendingLoad> pendingLoad_;
};

} // namespace corv
