// TPictureView: the picture display component, a windowed control with its own canvas.
// This holds its published settings and paints its background; loading and painting pictures come with
// the picture holder and the imaging module.
#pragma once
#include "ui/stdctrls.h"

#include <string>

namespace corv {

enum TLoadResolution { lColorVga, lMonoChrome, lColor16, lColor256, lColorTrue, lAutoMatic };
enum TSaveResolution { sColorVga, sMonoChrome, sColor16, sColor256, sColorTrue, sJpegGray, sAutoMatic };
enum TTiffCompression { sNONE, sCCITT, sLZW, sPACKBITS };
enum class TBorderStyle { bsNone, bsSingle };

class TPictureView : public ui::CustomControl {
  public:
    explicit TPictureView(ui::Component* owner);

    // Registers the kind "TPictureView" with the layout builder.
    static void RegisterKind();

    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool StretchRatio() const { return stretchRatio_; }
    void SetStretchRatio(bool value);
    bool Center() const { return center_; }
    void SetCenter(bool value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value) { autoSize_ = value; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    bool ImageDither() const { return imageDither_; }
    void SetImageDither(bool value) { imageDither_ = value; }
    TLoadResolution ImageReadRes() const { return imageReadRes_; }
    void SetImageReadRes(TLoadResolution value) { imageReadRes_ = value; }
    bool OwnPalette() const { return ownPalette_; }
    void SetOwnPalette(bool value) { ownPalette_ = value; }
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);

    // Header information of the last picture read (all empty until the imaging module fills them).
    std::string ImageType;
    int ImageWidth = 0;
    int ImageHeight = 0;
    int ImageBits = 0;
    int ImagePlanes = 0;
    int ImageFileSize = 0;
    std::string ImageCompression;

  protected:
    void Paint(HDC canvas, const RECT& client) override;

  private:
    bool stretch_ = false;
    bool stretchRatio_ = false;
    bool center_ = false;
    bool autoSize_ = false;
    TBorderStyle borderStyle_ = TBorderStyle::bsNone;
    bool imageDither_ = true;
    TLoadResolution imageReadRes_ = lAutoMatic;
    bool ownPalette_ = true;
    std::string text_;
};

} // namespace corv
