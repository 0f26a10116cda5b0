#include "image/decodeahead.h"

#include "base/dibstride.h"
#include "base/files.h"
#include "base/gdi.h"
#include "base/wide.h"
#include "image/workerpool.h"

#include <algorithm>
#include <mutex>

namespace corv {

std::optional<FileStamp> StampOf(const std::string& fileName) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(FileSystemPath(fileName).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    FileStamp stamp;
    stamp.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    stamp.lastWrite =
        (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

std::uint64_t DecodedBytes(int width, int height, int depth) {
    if (width <= 0 || height <= 0) return 0;
    // The depth codes as the imaging module decodes them; 0 is the 16-colour VGA depth.
    const unsigned bits = depth == 1 ? 1 : depth == 4 || depth == 0 ? 4 : depth == 8 ? 8 : 24;
    const std::uint64_t colors = bits <= 8 ? (std::uint64_t{1} << bits) : 0;
    return sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD) +
           DibRowStride(static_cast<std::uint64_t>(width), bits) * static_cast<std::uint64_t>(height);
}

// The bytes of the shown picture and of every reservation for pictures ahead; shared with the jobs, which
// may end after the owner has let go of them.
struct DecodeAhead::Budget {
    std::mutex mutex;
    std::uint64_t shown = 0, reserved = 0;
    int hits = 0; // counted on the user-interface thread only

    bool Reserve(std::uint64_t bytes) {
        std::lock_guard lock(mutex);
        if (shown + reserved + bytes > kBudgetBytes) return false;
        reserved += bytes;
        return true;
    }
    void Release(std::uint64_t bytes) {
        std::lock_guard lock(mutex);
        reserved -= std::min(reserved, bytes);
    }
    void SetShown(std::uint64_t bytes) {
        std::lock_guard lock(mutex);
        shown = bytes;
    }
};

struct DecodeAhead::Job {
    std::string fileName;
    int depth = 0;
    bool dither = false;
    PhotoOptions photo;
    std::shared_ptr<Budget> budget;
    WorkerPool::TicketPtr ticket;
    // Written by the worker before its ticket is finished; read only after.
    bool decoded = false;
    FileStamp stamp;
    HeaderInfo header;
    DecodedPicture picture;
    std::uint64_t reserved = 0;

    ~Job() { budget->Release(reserved); }

    void Run(const CvImgLib& library, const FormatEntry& format) {
        const std::optional<FileStamp> before = StampOf(fileName);
        if (!before) return;
        const HeaderInfo header = ReadHeader(library, fileName, photo);
        if (header.code < 1) return;
        const std::uint64_t bytes = DecodedBytes(header.width, header.height, depth);
        if (bytes == 0 || !budget->Reserve(bytes)) return;
        reserved = bytes;
        DecodedPicture result = DecodePicture(library, format, fileName, depth, dither, 0, 0, photo);
        // A file written while it was read may have been read half old, half new.
        const std::optional<FileStamp> after = StampOf(fileName);
        if (result.code < 1 || !result.bitmap || !after || !(*after == *before)) {
            budget->Release(reserved);
            reserved = 0;
            return;
        }
        stamp = *before;
        this->header = header;
        picture = std::move(result);
        decoded = true;
    }
};

namespace {
bool SameFile(const std::string& a, const std::string& b) {
    return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}
} // namespace

DecodeAhead::DecodeAhead() : budget_(std::make_shared<Budget>()) {}

DecodeAhead::~DecodeAhead() {
    Clear();
    // Lets a decode still running end; no completion of it runs any more.
    worker_.reset();
}

void DecodeAhead::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled_) Clear();
}

void DecodeAhead::SetShownPicture(HBITMAP bitmap) {
    budget_->SetShown(DibSizeOf(bitmap));
}

void DecodeAhead::Release(std::shared_ptr<Job> job) {
    held_.erase(std::remove(held_.begin(), held_.end(), job), held_.end());
    // One not started yet never starts; one running is thrown away by its worker when it ends.
    if (worker_ && job->ticket) worker_->Drop({job->ticket});
}

void DecodeAhead::Prefetch(const CvImgLib& library, const std::string& fileName, int depth, bool dither,
                           const PhotoOptions& photo) {
    if (!enabled_ || !library.Loaded()) return;
    const FormatEntry* format = FindFormat(fileName);
    if (!format || ReadOrdinal(format->kind) == 0) return;
    for (const auto& job : held_) {
        if (!SameFile(job->fileName, fileName)) continue;
        if (job->depth == depth && job->dither == dither && job->photo == photo) {
            // Held already: it becomes the newest, the last to make room.
            std::shared_ptr<Job> kept = job;
            held_.erase(std::find(held_.begin(), held_.end(), kept));
            held_.push_back(std::move(kept));
            return;
        }
        Release(job);
        break;
    }
    while (held_.size() >= kMaxHeld)
        Release(held_.front());

    auto job = std::make_shared<Job>();
    job->fileName = fileName;
    job->depth = depth;
    job->dither = dither;
    job->photo = photo;
    job->budget = budget_;
    if (!worker_) worker_ = std::make_unique<WorkerPool>(1);
    // The job and its ticket hold each other until the job has run or was dropped.
    job->ticket = worker_->Submit([job, &library, format] { job->Run(library, *format); });
    held_.push_back(std::move(job));
}

bool DecodeAhead::Take(const std::string& fileName, int depth, bool dither, const PhotoOptions& photo,
                       Taken taken) {
    const auto found = std::find_if(held_.begin(), held_.end(), [&](const std::shared_ptr<Job>& job) {
        return SameFile(job->fileName, fileName);
    });
    if (found == held_.end()) return false;
    const std::shared_ptr<Job> job = *found;
    // No longer held: nothing else can take it or drop it now.
    held_.erase(found);
    if (job->depth != depth || job->dither != dither || !(job->photo == photo)) {
        worker_->Drop({job->ticket});
        return false;
    }
    worker_->WhenDone(job->ticket, [job, taken = std::move(taken)] {
        const std::optional<FileStamp> now = job->decoded ? StampOf(job->fileName) : std::nullopt;
        if (!now || !(*now == job->stamp)) {
            taken(std::nullopt);
            return;
        }
        ++job->budget->hits;
        taken(std::move(job->picture));
    });
    return true;
}

std::optional<HeaderInfo> DecodeAhead::HeaderOf(const std::string& fileName,
                                                const PhotoOptions& photo) const {
    for (const auto& job : held_) {
        if (!SameFile(job->fileName, fileName)) continue;
        if (!job->ticket->Finished() || !job->decoded || !(job->photo == photo)) return std::nullopt;
        const std::optional<FileStamp> now = StampOf(fileName);
        if (!now || !(*now == job->stamp)) return std::nullopt;
        return job->header;
    }
    return std::nullopt;
}

int DecodeAhead::Hits() const {
    return budget_->hits;
}

void DecodeAhead::Clear() {
    while (!held_.empty())
        Release(held_.front());
}

bool DecodeAhead::Ready(const std::string& fileName) const {
    for (const auto& job : held_)
        if (SameFile(job->fileName, fileName)) return job->ticket->Finished();
    return false;
}

std::vector<std::string> DecodeAhead::HeldFiles() const {
    std::vector<std::string> files;
    for (const auto& job : held_)
        files.push_back(job->fileName);
    return files;
}

} // namespace corv
