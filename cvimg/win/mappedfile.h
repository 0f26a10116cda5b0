// A picture file mapped read-only into memory for the decoders.
#pragma once
#include "cvimg/raster.h"
#include "ui/handles.h"

namespace cvimg {

class MappedFile {
  public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();
    // MissingFile, UnreadableFile, TooLarge (more than the address space can take) or Ok.
    Status Open(const char* fileName);
    Bytes View() const { return {view_, size_}; }

  private:
    corv::FileHandle file_;
    HANDLE mapping_ = nullptr;
    const uint8_t* view_ = nullptr;
    size_t size_ = 0;
};

} // namespace cvimg
