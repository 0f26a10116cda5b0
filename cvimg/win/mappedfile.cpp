#include "cvimg/win/mappedfile.h"

#include "base/wide.h"

namespace cvimg {

Status MappedFile::Open(const wchar_t* fileName) {
    // The exact form: the ordinary rules would open "pic.tif" for "pic.tif ", and refuse a long name. A
    // picture being read (ahead, on a worker) must not keep the user from deleting or moving it.
    const std::wstring exact = corv::FileSystemPath(corv::Utf8(fileName));
    file_ = corv::FileHandle(CreateFileW(exact.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file_) {
        const DWORD e = GetLastError();
        const bool missing = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ||
                             e == ERROR_INVALID_NAME || e == ERROR_BAD_NETPATH || e == ERROR_INVALID_DRIVE;
        return missing ? Status::MissingFile : Status::UnreadableFile;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.Get(), &size)) return Status::UnreadableFile;
    // A file of a gigabyte or more cannot be mapped whole in a 32-bit process next to its picture.
    if (size.QuadPart >= (1LL << 30)) return Status::TooLarge;
    size_ = static_cast<size_t>(size.QuadPart);
    if (size_ == 0) return Status::Ok; // nothing to map: the decoders see an empty file
    mapping_.Reset(CreateFileMappingW(file_.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping_)
        return GetLastError() == ERROR_NOT_ENOUGH_MEMORY ? Status::OutOfMemory : Status::UnreadableFile;
    view_.Reset(MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!view_) return Status::OutOfMemory;
    return Status::Ok;
}

} // namespace cvimg
