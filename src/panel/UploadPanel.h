#pragma once
// One plug-in instance's panel: the tool bar, the status strip and the thumbnail grid drawn
// in the window its host gives it, the upload run with its results and callbacks, and the
// intake of photos. Host-neutral: a host hands it a window, forwards that window's messages
// and the page's script calls, and implements PanelCallbacks.
#include <windows.h>

#include <cstdint>
#include <list>
#include <memory>
#include <optional>

#include "Biz/PanelSettings.h"
#include "Network/HttpPoster.h"
#include "Network/ByteStream.h"
#include "panel/PanelCallbacks.h"
#include "panel/Preparation.h"
#include "panel/RunEvents.h"
#include "platform/DropTarget.h"
#include "ui/ControlBase.h"
#include "ui/ControlHost.h"
#include "ui/SkinLease.h"
#include "ui/controls/Button.h"
#include "ui/controls/CheckBox.h"
#include "ui/controls/ComboBox.h"
#include "ui/controls/IconLabel.h"
#include "ui/controls/Label.h"
#include "ui/forms/Messages.h"
#include "ui/listview/ListView.h"
#include "ui/sigslot.h"

class WinINetPoster;
class ListViewItem;

class UploadPanel : public PanelSettings,
                    public Korvel::UI::ControlBase,
                    public CIDropTargetImpl,
                    public sigslot::has_slots<> {
public:
    explicit UploadPanel(PanelCallbacks& callbacks);
    ~UploadPanel() override;

    // --- the host side ---
    // Builds the panel in the host's window (on its creation, or when the host first has it).
    void Build(HWND wnd);
    // Answers the messages the panel handles; false leaves one to the host's default.
    bool HandleMessage(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // --- the page's side, beyond the settings ---
    // The last server answer (or why the last photo failed); empty before the first post.
    TString Response() const;

    // --- commands (the controls' actions; public for hosts and tools) ---
    void OnPostCommand();
    void OnAddCommand();
    void OnAddUrlCommand();
    // After a dialog that may have added photos.
    void AfterAdding();
    void OnSelectAll();
    void OnRotate(Korvel::UI::ControlBase* tool);
    void OnDelete();
    void OnDeleteTool(Korvel::UI::ControlBase*) { OnDelete(); }
    void OnSortChanged(int index);
    // Restores the empty or the filled look after photos came or went.
    void ShowLook();

    // The controls, for hosts, tools and tests.
    ListView ImageList;
    Korvel::UI::Controls::Button AddButton, AddUrlButton, PostButton, BigAddButton;
    Label HintLabel, StatusLabel, RemainingLabel, SpeedLabel;
    Korvel::UI::Controls::CheckBox SelectAllBox;
    Korvel::UI::Controls::IconLabel RotateLeftTool, RotateRightTool, DeleteTool;
    Korvel::UI::Controls::ComboBox SortBox;

    HWND Window() const { return window_; }
    // Where a named control is (see WM_PANEL_LOCATE); false when it is not there or hidden.
    bool Locate(const wchar_t* name, RECT* rect);
    bool IsRunning() const { return running_; }
    // Shows one of the product's messages over the active window; 0 when confirmed.
    virtual int ShowMessage(const Messages::Message& message);

    // Bench and tests: prepare each photo only when its turn comes.
    static void SetPreparationAhead(bool ahead);

protected:
    // Every text the panel gives one of its labels goes through here.
    virtual void SetText(Label& label, const TString& text);

public:
    // ControlBase
    void OnPaint(Korvel::UI::CPaintEventArgs& e) override;
    void OnContainerSized() override;
    // The panel's own drop target: files dropped on it outside the grid.
    void OnDropFiles(HDROP files) override;

private:
    void CreateControls();
    void ConnectSignals();
    void TearDown();
    void SetPostSkins(bool cancel);
    void EnableTools(bool enable);

    // The run.
    void StartRun();
    void PostNext();
    void TryPostCurrent();
    void PostImage(std::unique_ptr<PreparedPost> post);
    const RunPhoto* RunPhotoById(int id) const;
    void StopRun();
    void EndRunIdle();
    void FailRun(int errorCode);
    void CutRunOff();
    void ForgetRun();
    void DrainEvents();
    void OnComplete();
    void OnLateComplete();
    void OnProgress(const RunEvent& event);
    void ShowEstimate(const TString& speedText);
    std::uint32_t BytesRemaining(bool* known) const;

    // Intake.
    void OnSelectionChanged(int count);
    void OnItemRemoved(int id);
    void OnDropAdded();
    void OnItemActivated(ListViewItem* item);

    PanelCallbacks& callbacks_;
    std::optional<Korvel::UI::SkinLease> skins_;
    Korvel::UI::ControlHost host_;
    bool built_ = false;
    bool dropRegistered_ = false;

    // Run state (window thread).
    std::shared_ptr<RunEvents> events_;  // from the posters' workers, while built
    std::unique_ptr<WinINetPoster> poster_;
    std::unique_ptr<Network::MemoryByteStream> stream_;  // the bytes the poster's worker reads
    std::unique_ptr<Preparation> preparation_;
    std::vector<RunPhoto> runPhotos_;  // every photo of the list at the start
    std::list<int> runQueue_;          // identifiers still to post
    int current_ = -1;                 // the photo whose turn it is
    bool awaiting_ = false;            // current_ waits for its preparation
    // Each post gets a number of its own, so that nothing a cancelled post still reports
    // is taken for a later post of the same photo.
    int postSerial_ = 0;
    int inFlight_ = -1;                // the number of this run's post in flight, until its last event
    int inFlightItem_ = -1;            // and its photo (or the lingering post's)
    int lingering_ = -1;               // a cancelled post that may still be accepted while idle
    int unfinished_ = -1;              // the last post whose final event has not come
    bool running_ = false;
    int totalCount_ = 0;
    int counter_ = 0;
    std::uint32_t sentThisRun_ = 0;  // bytes of the photos completed in this run
    TString failure_;                // why the last photo could not be read, for Response
};
