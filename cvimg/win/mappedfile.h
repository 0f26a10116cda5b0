// A picture file mapped read-only into memory for the decoders.
#pragma once
#include "base/handles.h"
#include "cvimg/raster.h"

namespace cvimg {

class MappedFile {
  public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    // Opens the file of exactly this name (see corv::FileSystemPath): MissingFile, UnreadableFile, TooLarge
    // (more than the address space can take) or Ok.
    Status Open(const wchar_t* fileName);
    Bytes View() const { return {static_cast<const uint8_t*>(view_.Get()), size_}; }

  private:
    corv::FileHandle file_;
    corv::MappingHandle mapping_;
    corv::MappedViewHandle view_;
    size_t size_ = 0;
};

} // namespace cvimg
