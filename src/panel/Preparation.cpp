#include "panel/Preparation.h"

#include <algorithm>

#include "platform/Detached.h"

namespace {

std::mutex g_faultLock;
std::function<void(const RunPhoto&)> g_fault;

}  // namespace

void Preparation::SetFaultForTests(std::function<void(const RunPhoto&)> fault)
{
    std::lock_guard<std::mutex> hold(g_faultLock);
    g_fault = std::move(fault);
}

Preparation::Preparation(std::vector<RunPhoto> photos, UploadSettings settings, bool ahead,
                         std::function<void()> notify)
    : state_(std::make_shared<State>(ahead, std::move(notify), std::move(settings)))
{
    state_->entries.reserve(photos.size());
    for (RunPhoto& photo : photos) {
        state_->entries.emplace_back();
        state_->entries.back().photo = std::move(photo);
    }
    // Each thread keeps the state alive for as long as it runs, which may be past us.
    for (int i = 0; i < 2; ++i) Korvel::Threading::RunDetached([state = state_] { state->Work(); });
}

Preparation::~Preparation()
{
    {
        std::lock_guard<std::mutex> hold(state_->lock);
        state_->stopping = true;
        // Nothing prepared is wanted any more: free what is held now, not when the last
        // thread lets go.
        for (State::Entry& entry : state_->entries) entry.post.reset();
    }
    state_->wake.notify_all();
}

void Preparation::UpdateSettings(const UploadSettings& settings)
{
    std::lock_guard<std::mutex> hold(state_->lock);
    state_->settings = settings;
}

bool Preparation::Take(int id, std::unique_ptr<PreparedPost>& out)
{
    State& s = *state_;
    std::unique_lock<std::mutex> hold(s.lock);
    auto entry = std::find_if(s.entries.begin(), s.entries.end(), [id](const State::Entry& e) { return e.photo.id == id; });
    if (entry == s.entries.end() || entry->taken) return false;
    if (!entry->post) {
        entry->wanted = true;
        hold.unlock();
        s.wake.notify_all();
        return false;
    }
    out = std::move(entry->post);
    entry->taken = true;
    hold.unlock();
    s.wake.notify_all();  // room for the next one ahead
    return true;
}

bool Preparation::Total(std::uint32_t* total) const
{
    std::lock_guard<std::mutex> hold(state_->lock);
    if (!state_->AllSized()) return false;
    std::uint32_t sum = 0;
    for (const State::Entry& entry : state_->entries) sum += entry.size;
    *total = sum;
    return true;
}

bool Preparation::State::AllSized() const
{
    return std::all_of(entries.begin(), entries.end(), [](const Entry& e) { return e.sized; });
}

std::size_t Preparation::State::HeldBytes() const
{
    std::size_t held = 0;
    for (const Entry& entry : entries)
        if (entry.post) held += entry.post->bytes.size();
    return held;
}

// Under the lock. First the photo the run waits for, then (ahead) the next pending photos
// in order while little is held, then the sizes still missing for the estimate.
Preparation::State::Entry* Preparation::State::NextJob(bool* keep)
{
    auto idle = [](const Entry& e) { return !e.working && !e.taken && !e.post; };
    for (Entry& entry : entries) {
        if (entry.wanted && idle(entry)) {
            *keep = true;
            return &entry;
        }
    }
    const std::size_t held = HeldBytes();
    if (ahead && held < kAheadBytes) {
        std::size_t ready = 0;
        for (Entry& entry : entries) {
            if (!entry.photo.pending || entry.taken) continue;
            if (entry.post || entry.working) {
                if (++ready >= kAheadPhotos) break;
                continue;
            }
            *keep = true;
            return &entry;
        }
    }
    for (Entry& entry : entries) {
        if (entry.sized || entry.working) continue;
        // Bytes worth keeping: a photo still to be sent, while there is room for it.
        *keep = ahead && entry.photo.pending && !entry.taken && held < kAheadBytes;
        return &entry;
    }
    return nullptr;
}

void Preparation::State::Work()
{
    std::unique_lock<std::mutex> hold(lock);
    for (;;) {
        bool keep = false;
        Entry* job = nullptr;
        wake.wait(hold, [&] { return stopping || (job = NextJob(&keep)) != nullptr; });
        if (stopping) return;
        job->working = true;
        const RunPhoto photo = job->photo;
        const UploadSettings current = settings;
        hold.unlock();
        std::unique_ptr<PreparedPost> post = Prepare(photo, current);
        hold.lock();
        job->working = false;
        if (stopping) return;
        const bool wasSized = AllSized();
        job->size = post->readable ? static_cast<std::uint32_t>(post->bytes.size()) : 0;
        job->sized = true;
        const bool wanted = job->wanted;
        if ((keep || wanted) && !job->taken) job->post = std::move(post);
        // Under the lock, so that nobody is told anything once we are stopped.
        if ((wanted || (!wasSized && AllSized())) && notify) notify();
        wake.notify_all();
    }
}

std::unique_ptr<PreparedPost> Preparation::Prepare(const RunPhoto& photo, const UploadSettings& settings)
{
    auto post = std::make_unique<PreparedPost>();
    try {
        {
            std::lock_guard<std::mutex> hold(g_faultLock);
            if (g_fault) g_fault(photo);
        }
        PrepareInto(photo, settings, *post);
    } catch (...) {
        // Out of memory for this picture (a 32-bit browser has little): the photo fails
        // at its turn like one that cannot be read.
        *post = PreparedPost();
    }
    return post;
}

void Preparation::PrepareInto(const RunPhoto& photo, const UploadSettings& settings, PreparedPost& post)
{
    PreparedPhoto prepared;
    if (IsGifPassThrough(photo.extension)) {
        // Sent as its bytes, but only when they are a picture: the form reports its size,
        // and a file that is none would be taken for a photo of 0 x 0.
        if (photo.source.path.empty() || !ReadGifForPost(photo.source.path, photo.source.turns, prepared) ||
            prepared.width == 0)
            return;
    } else if (!photo.source.Prepare(settings, prepared)) {
        return;
    }
    if (prepared.bytes.Size() <= 0) return;
    post.bytes.assign(reinterpret_cast<const char*>(prepared.bytes.GetBuffer()),
                      static_cast<std::size_t>(prepared.bytes.Size()));
    post.width = prepared.width;
    post.height = prepared.height;
    post.readable = true;
}
