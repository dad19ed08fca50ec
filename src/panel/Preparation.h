#pragma once
// A run's photos prepared on background threads: the bytes of the photos whose turn comes
// next, ahead of time, and the prepared size of every photo in the list for the remaining
// time, computed while the first photos are already on their way. Two threads, so at most
// two full pictures are decoded at once; prepared bytes kept ahead are bounded too. The
// threads are never waited for: a run that ends leaves a picture being decoded to finish on
// its own, and nothing it makes reaches anyone after that.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "image/UploadPreparation.h"
#include "platform/Text.h"
#include "ui/listview/ListViewItem.h"

// One photo of the list as the run found it, copied on the window thread.
struct RunPhoto {
    int id = -1;
    PictureSource source;
    TString extension;        // "gif": sent as the file's own bytes
    TString caption;          // sent as the remark
    bool web = false;
    std::uint32_t width = 0;  // the picture as shown
    std::uint32_t height = 0;
    bool pending = false;     // to be sent in this run
};

// What one photo is posted with.
struct PreparedPost {
    bool readable = false;    // false: the file or picture could not be read at its turn
    std::string bytes;
    std::uint32_t width = 0;  // of the decoded picture, as the form fields say
    std::uint32_t height = 0;
};

class Preparation {
public:
    // Bytes kept ready beyond the photos asked for.
    static constexpr std::size_t kAheadPhotos = 2;
    static constexpr std::size_t kAheadBytes = 64u << 20;

    // notify is called on a preparing thread whenever a photo asked for is ready or the
    // total became known. ahead = false prepares a photo only once it is asked for.
    Preparation(std::vector<RunPhoto> photos, UploadSettings settings, bool ahead, std::function<void()> notify);
    // Tells the threads to stop and returns at once; a photo being prepared is finished and
    // dropped by its thread, and notify is not called again.
    ~Preparation();
    Preparation(const Preparation&) = delete;
    Preparation& operator=(const Preparation&) = delete;

    // Photos prepared from now on use these.
    void UpdateSettings(const UploadSettings& settings);
    // Asks for a photo's upload; true with it once ready. Each photo is handed over once.
    bool Take(int id, std::unique_ptr<PreparedPost>& out);
    // The sum of every photo's prepared size, once all are known.
    bool Total(std::uint32_t* total) const;

    // One photo, with the given settings (also used on its own by tests). Never throws: a
    // photo that cannot be prepared (no memory for it, say) comes back unreadable.
    static std::unique_ptr<PreparedPost> Prepare(const RunPhoto& photo, const UploadSettings& settings);

    // Tests: called before each photo is prepared, on the preparing thread; what it throws
    // counts as the preparation's own failure.
    static void SetFaultForTests(std::function<void(const RunPhoto&)> fault);

private:
    static void PrepareInto(const RunPhoto& photo, const UploadSettings& settings, PreparedPost& post);
    struct State;
    std::shared_ptr<State> state_;
};

struct Preparation::State {
    struct Entry {
        RunPhoto photo;
        bool working = false;
        bool sized = false;
        bool wanted = false;
        bool taken = false;
        std::uint32_t size = 0;
        std::unique_ptr<PreparedPost> post;
    };
    State(bool ahead, std::function<void()> notify, UploadSettings settings)
        : ahead(ahead), notify(std::move(notify)), settings(std::move(settings)) {}
    void Work();
    Entry* NextJob(bool* keep);
    std::size_t HeldBytes() const;
    bool AllSized() const;

    const bool ahead;
    const std::function<void()> notify;
    mutable std::mutex lock;
    std::condition_variable wake;
    std::vector<Entry> entries;
    UploadSettings settings;
    bool stopping = false;
};
