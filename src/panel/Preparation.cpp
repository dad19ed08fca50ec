#include "panel/Preparation.h"

#include <algorithm>

#include "image/CxFile.h"

Preparation::Preparation(std::vector<RunPhoto> photos, UploadSettings settings, bool ahead,
                         std::function<void()> notify)
    : ahead_(ahead), notify_(std::move(notify)), settings_(std::move(settings))
{
    entries_.reserve(photos.size());
    for (RunPhoto& photo : photos) {
        entries_.emplace_back();
        entries_.back().photo = std::move(photo);
    }
    for (int i = 0; i < 2; ++i) threads_.emplace_back([this] { Work(); });
}

Preparation::~Preparation()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void Preparation::UpdateSettings(const UploadSettings& settings)
{
    std::lock_guard<std::mutex> hold(lock_);
    settings_ = settings;
}

bool Preparation::Take(int id, std::unique_ptr<PreparedPost>& out)
{
    std::unique_lock<std::mutex> hold(lock_);
    auto entry = std::find_if(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.photo.id == id; });
    if (entry == entries_.end() || entry->taken) return false;
    if (!entry->post) {
        entry->wanted = true;
        hold.unlock();
        wake_.notify_all();
        return false;
    }
    out = std::move(entry->post);
    entry->taken = true;
    hold.unlock();
    wake_.notify_all();  // room for the next one ahead
    return true;
}

bool Preparation::Total(std::uint32_t* total) const
{
    std::lock_guard<std::mutex> hold(lock_);
    if (!AllSized()) return false;
    std::uint32_t sum = 0;
    for (const Entry& entry : entries_) sum += entry.size;
    *total = sum;
    return true;
}

bool Preparation::AllSized() const
{
    return std::all_of(entries_.begin(), entries_.end(), [](const Entry& e) { return e.sized; });
}

std::size_t Preparation::HeldBytes() const
{
    std::size_t held = 0;
    for (const Entry& entry : entries_)
        if (entry.post) held += entry.post->bytes.size();
    return held;
}

// Under the lock. First the photo the run waits for, then (ahead) the next pending photos
// in order while little is held, then the sizes still missing for the estimate.
Preparation::Entry* Preparation::NextJob(bool* keep)
{
    auto idle = [](const Entry& e) { return !e.working && !e.taken && !e.post; };
    for (Entry& entry : entries_) {
        if (entry.wanted && idle(entry)) {
            *keep = true;
            return &entry;
        }
    }
    const std::size_t held = HeldBytes();
    if (ahead_ && held < kAheadBytes) {
        std::size_t ready = 0;
        for (Entry& entry : entries_) {
            if (!entry.photo.pending || entry.taken) continue;
            if (entry.post || entry.working) {
                if (++ready >= kAheadPhotos) break;
                continue;
            }
            *keep = true;
            return &entry;
        }
    }
    for (Entry& entry : entries_) {
        if (entry.sized || entry.working) continue;
        // Bytes worth keeping: a photo still to be sent, while there is room for it.
        *keep = ahead_ && entry.photo.pending && !entry.taken && held < kAheadBytes;
        return &entry;
    }
    return nullptr;
}

void Preparation::Work()
{
    try {
        std::unique_lock<std::mutex> hold(lock_);
        for (;;) {
            bool keep = false;
            Entry* job = nullptr;
            wake_.wait(hold, [&] { return stopping_ || (job = NextJob(&keep)) != nullptr; });
            if (stopping_) return;
            job->working = true;
            const RunPhoto photo = job->photo;
            const UploadSettings settings = settings_;
            hold.unlock();
            std::unique_ptr<PreparedPost> post = Prepare(photo, settings);
            hold.lock();
            job->working = false;
            const bool wasSized = AllSized();
            job->size = post->readable ? static_cast<std::uint32_t>(post->bytes.size()) : 0;
            job->sized = true;
            const bool wanted = job->wanted;
            if ((keep || wanted) && !job->taken) job->post = std::move(post);
            const bool tell = wanted || (!wasSized && AllSized());
            if (tell && notify_) {
                hold.unlock();
                notify_();
                hold.lock();
            }
            wake_.notify_all();
        }
    } catch (...) {
        // Out of memory: the run waits on a photo that never comes, and can be cancelled.
    }
}

std::unique_ptr<PreparedPost> Preparation::Prepare(const RunPhoto& photo, const UploadSettings& settings)
{
    auto post = std::make_unique<PreparedPost>();
    if (IsGifPassThrough(photo.extension)) {
        CxIOFile file;
        if (photo.source.path.empty() || !file.Open(photo.source.path.c_str(), SF_T("rb"))) return post;
        const std::int32_t size = file.Size();
        if (size <= 0) return post;
        post->bytes.resize(static_cast<std::size_t>(size));
        if (file.Read(post->bytes.data(), 1, post->bytes.size()) != post->bytes.size()) {
            post->bytes.clear();
            return post;
        }
        post->width = photo.width;
        post->height = photo.height;
        post->readable = true;
        return post;
    }
    PreparedPhoto prepared;
    if (!photo.source.Prepare(settings, prepared) || prepared.bytes.Size() <= 0) return post;
    post->bytes.assign(reinterpret_cast<const char*>(prepared.bytes.GetBuffer()),
                       static_cast<std::size_t>(prepared.bytes.Size()));
    post->width = prepared.width;
    post->height = prepared.height;
    post->readable = true;
    return post;
}
