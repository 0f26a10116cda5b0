// Pictures decoded ahead of the user: while one picture is looked at, the next one in the direction of the
// last move is decoded on a worker thread of its own, so that the next page shows at once. What is held
// ahead is tied to the file as it was on disk (name, size, last write) and to the depth and dither it was
// decoded for (and the photo options); anything else is decoded again as usual. A decode that failed is
// thrown away, so the normal load reports the failure as it always does. Taking a picture never waits: a
// decode still running hands its picture over when it ends.
#pragma once
#include "image/decode.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corv {

class WorkerPool;

// What identifies a file's contents without reading them.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0;
    bool operator==(const FileStamp& other) const {
        return size == other.size && lastWrite == other.lastWrite;
    }
};
std::optional<FileStamp> StampOf(const std::string& fileName);

// The bytes a picture of this size takes when decoded to the depth code.
std::uint64_t DecodedBytes(int width, int height, int depth);

class DecodeAhead {
  public:
    // The shown picture and the pictures held ahead together stay within this: 256 MB leave most of a
    // 32-bit process's 2 GB for the program, the thumbnails and address-space fragmentation, and hold the
    // shown picture and two ahead for photos of up to 30 megapixels.
    static constexpr std::uint64_t kBudgetBytes = 256ull << 20;
    static constexpr std::size_t kMaxHeld = 2;

    DecodeAhead();
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    // Off, nothing is decoded ahead and nothing is held (for measuring).
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }

    // The picture now shown, which counts against the budget.
    void SetShownPicture(HBITMAP bitmap);

    // Starts decoding the file ahead, unless it is held already for that depth and dither or is not a
    // picture the imaging module decodes. The oldest held picture makes room when kMaxHeld are held.
    void Prefetch(const CvImgLib& library, const std::string& fileName, int depth, bool dither,
                  const PhotoOptions& photo = {});
    // Takes what is held ahead for the file: false when nothing is held for it at that depth, dither and
    // photo options. Otherwise taken runs on this thread once the decode has ended (from a posted message,
    // also when it has ended already), with the picture decoded for the file as it is on disk then, or
    // nothing when the decode failed or the file changed; the caller then decodes it as usual.
    using Taken = std::function<void(std::optional<DecodedPicture>)>;
    bool Take(const std::string& fileName, int depth, bool dither, const PhotoOptions& photo, Taken taken);
    // The header a decode ahead of the file read with these photo options, once that decode has ended
    // well and while the file is as it was then: the load that takes the picture need not read it again.
    std::optional<HeaderInfo> HeaderOf(const std::string& fileName, const PhotoOptions& photo) const;
    // Lets go of everything held ahead; a running decode is thrown away when it ends.
    void Clear();

    // The files held or being decoded ahead, oldest first.
    std::vector<std::string> HeldFiles() const;
    // The decode ahead of the file has ended, well or not.
    bool Ready(const std::string& fileName) const;
    // How many pictures were taken from ahead instead of being decoded when asked for.
    int Hits() const;

  private:
    struct Budget;
    struct Job;
    void Release(std::shared_ptr<Job> job);

    bool enabled_ = true;
    std::shared_ptr<Budget> budget_;
    std::vector<std::shared_ptr<Job>> held_;
    std::unique_ptr<WorkerPool> worker_; // started with the first decode ahead
};

} // namespace corv
