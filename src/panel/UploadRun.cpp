// The upload run: the checks before it, the photos handed to the poster one at a time with
// their form fields, the transfer events carried to the window thread, and the three ways a
// run ends (all accepted, a failure, a cancel). Preparation happens ahead on other threads.
#include <algorithm>
#include <atomic>
#include <cstdio>

#include "Biz/AppState.h"
#include "Biz/Remark.h"
#include "Network/Speed.h"
#include "Network/WinINetPoster.h"
#include "panel/PanelMessages.h"
#include "panel/UploadPanel.h"
#include "platform/FileInfo.h"
#include "platform/TextConv.h"
#include "ui/listview/ListViewPostItem.h"

using Korvel::Text::TextFromWide;
using Korvel::Text::WideFromText;

namespace {

std::atomic<bool> g_prepareAhead{true};

ListViewPostItem* PostItem(ListView& list, int id) { return dynamic_cast<ListViewPostItem*>(list.ItemById(id)); }

TString Status(int counter, int total)
{
    wchar_t text[64];
    std::swprintf(text, 64, L"正在上传第%d/%d张图片", counter, total);
    return TextFromWide<TChar>(text);
}

// The name the server sees. The ActiveX control sends a web picture under its caption; the
// plug-in names every photo after the file-name part of its path.
TString UploadNameOf(const RunPhoto& photo)
{
#if defined(SF_WIDE)
    if (photo.web) return photo.caption;
#endif
    const std::size_t slash = photo.source.path.find_last_of(SF_T("\\/"));
    return UploadFileName(slash == TString::npos ? photo.source.path : photo.source.path.substr(slash + 1));
}

std::unique_ptr<WinINetPoster> NewPoster(const TString& url, const TString& charset, IFileTransferEvent* sink)
{
    auto poster = std::make_unique<WinINetPoster>();
    poster->SetEventSink(sink);
    poster->SetUrl(url);
    poster->SetCharset(charset);
    return poster;
}

}  // namespace

void UploadPanel::SetPreparationAhead(bool ahead) { g_prepareAhead = ahead; }

TString UploadPanel::Response() const
{
    if (!failure_.empty()) return failure_;
    return poster_ ? poster_->GetResponse() : TString();
}

void UploadPanel::OnPostCommand()
{
    if (running_) {
        // The run may end while the question is open; then there is nothing to cancel.
        if (ShowMessage(Messages::kCancelUpload) == 0 && running_) StopRun();
        return;
    }
    if (ImageList.IsEmpty()) {
        ShowMessage(Messages::kEmptyList);
        return;
    }
    // Only the first photo is measured, as pages have always seen it.
    const auto size = static_cast<std::uint32_t>(ImageList.ItemAt(0)->GetFileSize());
    if ((FileSizeLimit() > 0 && size > static_cast<std::uint32_t>(FileSizeLimit())) ||
        size > static_cast<std::uint32_t>(HardSizeLimit())) {
        ShowMessage(Messages::kFileTooLarge);
        return;
    }
    StartRun();
}

void UploadPanel::StartRun()
{
    // A caption being typed belongs to its photo before anything is read.
    ImageList.CommitCaptionEdit();
    ImageList.SetEditable(0);
    AppState::Instance()->SetPosting();
    running_ = true;
    // A cancelled post that answers from now on may be this run's photo: it no longer counts.
    lingering_ = -1;
    callbacks_.OnRunStarting();
    SetPostSkins(true);
    AddButton.SetDisabled(1);
    AddUrlButton.SetDisabled(1);
    EnableTools(false);
    ImageList.RepaintAll();
    totalCount_ = ImageList.Count();
    counter_ = 1;
    sentThisRun_ = 0;
    SelectAllBox.SetChecked(0);
    SelectAllBox.SetDisabled(1);
    RemainingLabel.SetVisible(1);
    SpeedLabel.SetVisible(1);

    // What the run needs of every photo, copied while the loader cannot change it.
    runPhotos_.clear();
    runQueue_.clear();
    ImageList.VisitItems([this](ListViewItem& item) {
        auto* post = dynamic_cast<ListViewPostItem*>(&item);
        RunPhoto photo;
        photo.id = item.Id();
        photo.source = item.Source();
        photo.extension = item.GetExtension();
        photo.caption = item.GetCaption();
        photo.web = item.IsWeb() != 0;
        photo.width = item.PictureWidth();
        photo.height = item.PictureHeight();
        photo.pending = !post || !post->IsUploaded();
        if (photo.pending) runQueue_.push_back(photo.id);
        runPhotos_.push_back(std::move(photo));
    });
    preparation_.reset();
    HWND wnd = window_;
    preparation_ = std::make_unique<Preparation>(runPhotos_, UploadSettings::Current(), g_prepareAhead.load(),
                                                 [wnd] { ::PostMessageW(wnd, WM_PANEL_RUN_EVENTS, 0, 0); });
    if (runQueue_.empty()) {
        // Everything was accepted already: nothing to send, back to idle at once.
        EndRunIdle();
        return;
    }
    PostNext();
}

void UploadPanel::PostNext()
{
    current_ = runQueue_.front();
    runQueue_.pop_front();
    awaiting_ = true;
    TryPostCurrent();
}

void UploadPanel::TryPostCurrent()
{
    if (!running_ || !awaiting_ || !preparation_) return;
    std::unique_ptr<PreparedPost> post;
    if (!preparation_->Take(current_, post)) return;  // it comes with a later wake-up
    awaiting_ = false;
    PostImage(std::move(post));
}

const RunPhoto* UploadPanel::RunPhotoById(int id) const
{
    auto found = std::find_if(runPhotos_.begin(), runPhotos_.end(), [id](const RunPhoto& p) { return p.id == id; });
    return found == runPhotos_.end() ? nullptr : &*found;
}

void UploadPanel::PostImage(std::unique_ptr<PreparedPost> post)
{
    ListViewPostItem* item = PostItem(ImageList, current_);
    const RunPhoto* photo = RunPhotoById(current_);
    if (!item || !photo) return;
    if (!post->readable) {
        // Never an empty file part reported as success: the run fails at this photo.
        failure_ = TextFromWide<TChar>(L"无法读取图片：") + photo->source.path;
        FailRun(0);
        return;
    }
    item->SetSize(static_cast<int>(post->bytes.size()));
    if (poster_ && unfinished_ != -1) {
        // A cancelled post's worker may still be reading its form and stream, or waiting on
        // a server that answers late: it keeps them, on a thread of its own, and this post
        // gets a poster of its own, made as the first one was.
        auto fresh = NewPoster(poster_->GetUrl(), poster_->GetForm().GetCharset(), events_.get());
        RetirePoster(std::move(poster_), std::move(stream_), events_);
        poster_ = std::move(fresh);
        unfinished_ = -1;
    }
    // The address and charset are read when the first poster is made, and only then.
    if (!poster_) poster_ = NewPoster(PostUrl(), EncodeType(), events_.get());
    stream_ = std::make_unique<Network::MemoryByteStream>(std::move(post->bytes));
    HttpForm& form = poster_->GetForm();
    form.Clear();
    for (const auto& [name, value] : ExtraFields()) form.AddFormField(name, value);
    form.AddFormField(SF_T("lastWriteTime"), TextFromWide<TChar>(Korvel::IO::LastWriteTimeText(WideFromText(photo->source.path))));
    form.AddFormField(SF_T("width"), static_cast<std::int32_t>(post->width));
    form.AddFormField(SF_T("height"), static_cast<std::int32_t>(post->height));
    form.AddFormField(SF_T("remark"), EncodeRemark(photo->caption));
    SetText(StatusLabel, Status(counter_++, totalCount_));
    failure_.clear();
    inFlight_ = ++postSerial_;
    inFlightItem_ = current_;
    if (!poster_->Post(inFlight_, stream_.get(), UploadNameOf(*photo))) {
        inFlight_ = -1;
        FailRun(HttpPoster::ConnectError);
        return;
    }
    unfinished_ = inFlight_;
}

// --- events: from the posters' workers, handled on the window thread ---

void UploadPanel::DrainEvents()
{
    if (!events_) return;
    for (const RunEvent& event : events_->Take()) {
        const bool final = event.kind != RunEvent::Progress;
        if (final && event.postId == unfinished_) unfinished_ = -1;
        if (event.postId == lingering_) {
            // Cancelled, and accepted all the same before another run began: it counts.
            if (event.kind == RunEvent::Complete) OnLateComplete();
            if (final) lingering_ = -1;
            continue;
        }
        // Anything from a post that is no longer ours (cancelled and followed by another).
        if (event.postId != inFlight_) continue;
        switch (event.kind) {
        case RunEvent::Progress:
            OnProgress(event);
            break;
        case RunEvent::Complete:
            OnComplete();
            break;
        case RunEvent::Error:
            inFlight_ = -1;
            FailRun(event.errorCode);
            break;
        }
    }
    if (preparation_ && running_) preparation_->UpdateSettings(UploadSettings::Current());
    TryPostCurrent();
}

std::uint32_t UploadPanel::BytesRemaining(bool* known) const
{
    std::uint32_t total = 0;
    *known = preparation_ && preparation_->Total(&total);
    return *known && total > sentThisRun_ ? total - sentThisRun_ : 0;
}

void UploadPanel::ShowEstimate(const TString& speedText)
{
    // Until every photo's size is known there is no honest estimate.
    bool known = false;
    const std::uint32_t remaining = BytesRemaining(&known);
    const std::uint32_t speed = poster_ ? poster_->GetSpeed() : 0;
    const TString time = known ? TextFromWide<TChar>(L"剩余时间：") + FormatRemainingTime(speed ? remaining / speed : 0)
                               : TString();
    SetText(RemainingLabel, time);
    SetText(SpeedLabel, TextFromWide<TChar>(L"速度：") + speedText);
}

void UploadPanel::OnProgress(const RunEvent& event)
{
    if (ListViewPostItem* item = PostItem(ImageList, inFlightItem_)) {
        item->SetSent(static_cast<int>(event.bytesSent));
        ImageList.RefreshItem(inFlightItem_);
    }
    ShowEstimate(event.speedText);
}

void UploadPanel::OnLateComplete()
{
    if (ListViewPostItem* item = PostItem(ImageList, inFlightItem_)) item->MarkUploaded();
    AppendPostedFile(poster_->GetResponse());
    ShowLook();
}

void UploadPanel::OnComplete()
{
    const int id = inFlightItem_;
    inFlight_ = -1;
    sentThisRun_ += static_cast<std::uint32_t>(poster_->GetFileSize());
    if (ListViewPostItem* item = PostItem(ImageList, id)) item->MarkUploaded();
    AppendPostedFile(poster_->GetResponse());
    if (!runQueue_.empty()) {
        ShowEstimate(FormatSpeed(poster_->GetSpeed()));
        PostNext();
        return;
    }
    // The run is complete.
    SetText(StatusLabel, TextFromWide<TChar>(L"所有图片已上传完毕"));
    SetText(RemainingLabel, TString());
    SetText(SpeedLabel, TString());
    ImageList.SetEditable(1);
    ImageList.SetVisible(0);
    ImageList.Clear();
    ForgetRun();
    AddButton.SetDisabled(0);
    AddUrlButton.SetDisabled(0);
    SetPostSkins(false);
    ShowLook();
    SelectAllBox.SetDisabled(1);
    callbacks_.OnImagesPosted();
}

void UploadPanel::FailRun(int errorCode)
{
    SetText(StatusLabel, TextFromWide<TChar>(L"上传错误"));
    StopRun();
    callbacks_.FireOnError(errorCode);
}

void UploadPanel::StopRun()
{
    if (poster_) poster_->Cancel();
    lingering_ = inFlight_;
    inFlight_ = -1;
    if (ListViewPostItem* item = PostItem(ImageList, current_)) item->ResetSent();
    EndRunIdle();
}

// The panel's window is going in the middle of a run: the run fails, and the page hears of
// it while it still listens.
void UploadPanel::CutRunOff()
{
    if (!running_) return;
    if (poster_) poster_->Cancel();
    inFlight_ = lingering_ = -1;
    ForgetRun();
    if (callbacks_.PageListens()) callbacks_.FireOnError(0);
}

// The run's own state goes, its photos' copies (web pictures' bytes among them) too.
void UploadPanel::ForgetRun()
{
    AppState::Instance()->SetStopped();
    running_ = false;
    current_ = -1;
    runQueue_.clear();
    awaiting_ = false;
    preparation_.reset();
    runPhotos_ = {};
}

void UploadPanel::EndRunIdle()
{
    ImageList.SetEditable(1);
    AddButton.SetDisabled(0);
    AddUrlButton.SetDisabled(0);
    SetPostSkins(false);
    PostButton.SetDisabled(0);
    SelectAllBox.SetDisabled(0);
    RemainingLabel.SetVisible(0);
    SpeedLabel.SetVisible(0);
    EnableTools(!ImageList.GetSelection().empty());
    ForgetRun();
    ImageList.RepaintAll();
    if (window_) ::InvalidateRect(window_, nullptr, FALSE);
}
