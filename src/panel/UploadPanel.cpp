// The panel's composition: its controls and their places, the background, the window
// messages it answers, the commands behind the controls and its empty and filled looks.
#include "panel/UploadPanel.h"

#include "Biz/AppState.h"
#include "Biz/Flavour.h"
#include "Network/WinINetPoster.h"
#include "panel/PanelMessages.h"
#include "platform/DragFormats.h"
#include "platform/TextConv.h"
#include "ui/Drawing.h"
#include "ui/Reflection.h"
#include "ui/forms/FileAddDialog.h"
#include "ui/forms/MessageDialog.h"
#include "ui/forms/WebImageDialog.h"
#include "ui/listview/ListViewItem.h"

using namespace Korvel::UI;
using Korvel::Text::WideFromText;

namespace {

ControlHost::Options PanelHostOptions()
{
    // Mouse messages go to every control with key flags 1; no control keeps a press and no
    // leave notification is asked for.
    ControlHost::Options options;
    options.captureControl = false;
    options.trackLeave = false;
    options.passKeyFlags = false;
    return options;
}

constexpr int kTopLeft = AnchorLeft | AnchorTop;
constexpr int kTopRight = AnchorTop | AnchorRight;
constexpr int kTopCentred = AnchorTop | CenterHorizontal;

const wchar_t kHint[] = L"单击\"添加照片\"按钮或拖动照片到上传框中";
const wchar_t kStartStatus[] = L"请点击\"添加按钮\"，选择要上传的照片";

}  // namespace

UploadPanel::UploadPanel(PanelCallbacks& callbacks) : callbacks_(callbacks), host_(*this, PanelHostOptions()) {}

UploadPanel::~UploadPanel()
{
    // A host that never let its window be destroyed still gets its run's threads let go of
    // here, before the controls they report to go; nobody is told (the page has gone).
    if (events_) events_->Close();
    running_ = false;
    preparation_.reset();
    RetirePoster(std::move(poster_), std::move(stream_), events_);
}

void UploadPanel::Build(HWND wnd)
{
    if (built_) return;
    built_ = true;
    skins_.emplace(Flavour::SkinStripId());
    window_ = wnd;
    events_ = std::make_shared<RunEvents>(wnd, WM_PANEL_RUN_EVENTS);
    ::GetClientRect(wnd, &bounds_);
    CreateControls();
    ConnectSignals();
    ImageList.SetVisible(0);
    dropRegistered_ = SUCCEEDED(::RegisterDragDrop(wnd, static_cast<IDropTarget*>(this)));
    DragFormats::Instance().RegisterFormat(kListViewItemFormat);
    OnContainerSized();
    ShowLook();
}

void UploadPanel::CreateControls()
{
    ImageList.Attach(this);
    ImageList.SetItemWidth(150);
    ImageList.SetItemHeight(151);
    ImageList.SetAnchor(AnchorLeft | AnchorTop | AnchorRight | AnchorBottom);
    ImageList.SetMargins(1, 57, 1, 1);

    struct ButtonPlace {
        Controls::Button& button;
        const char *normal, *hover, *disabled;
        int width, height, left, top, anchors;
    };
    const ButtonPlace buttons[] = {
        {AddButton, "BtnAdd-Normal", "BtnAdd-Hover", "BtnAdd-Disable", 84, 24, 6, 4, kTopLeft},
        {AddUrlButton, "BtnAddUrl-Normal", "BtnAddUrl-Hover", "BtnAddUrl-Disable", 84, 24, 94, 4, kTopLeft},
        {PostButton, "BtnPost-Normal", "BtnPost-Hover", "BtnPost-Disable", 84, 24, 182, 4, kTopLeft},
        {BigAddButton, "BtnAdd2-Normal", "BtnAdd2-Hover", "", 203, 51, 0, 228, kTopCentred},
    };
    for (const ButtonPlace& b : buttons) {
        b.button.Create(this, L"");
        b.button.SetSkins(b.normal, b.hover, b.hover, b.disabled);
        b.button.SetSize(b.width, b.height);
        b.button.SetMargins(b.left, b.top, 0, 0);
        b.button.SetAnchor(b.anchors);
        b.button.SetDisabled(0);  // a panel built again starts as a fresh one
    }
    PostButton.SetDisabled(1);

    HintLabel.Create(this, kHint);
    HintLabel.SetFormat(DT_SINGLELINE);
    HintLabel.SetAnchor(kTopCentred);
    HintLabel.SetMargins(0, 298, 0, 0);

    SelectAllBox.Create(this, L"全选");
    SelectAllBox.SetDisabled(0);
    SelectAllBox.SetChecked(0);
    SelectAllBox.SetAnchor(kTopRight);
    SelectAllBox.SetMargins(0, 7, 264, 0);

    struct ToolPlace {
        Controls::IconLabel& tool;
        const wchar_t* text;
        const char* icon;
        int right;
    };
    const ToolPlace tools[] = {
        {RotateLeftTool, L"左旋", "RotatioLeft", 206},
        {RotateRightTool, L"右旋", "RotatioRight", 152},
        {DeleteTool, L"删除", "Btn_Delete", 101},
    };
    for (const ToolPlace& t : tools) {
        t.tool.Create(this, t.text, t.icon);
        t.tool.SetAnchor(kTopRight);
        t.tool.SetMargins(0, 7, t.right, 0);
        t.tool.SetDisabled(1);
    }

    SortBox.SetSize(86, 70);
    SortBox.SetAnchor(kTopRight);
    SortBox.SetMargins(0, 4, 10, 0);
    SortBox.Attach(this);
    for (const wchar_t* entry : {L"默认排序", L"按文件名", L"按创建时间", L"按拍摄时间"})
        ::SendMessageW(SortBox.GetWindowHandle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    ::SendMessageW(SortBox.GetWindowHandle(), CB_SETCURSEL, 0, 0);

    struct LabelPlace {
        Label& label;
        const wchar_t* text;
        int left, top;
    };
    const LabelPlace labels[] = {
        {StatusLabel, kStartStatus, 8, 39}, {RemainingLabel, L"", 427, 37}, {SpeedLabel, L"", 585, 37}};
    for (const LabelPlace& l : labels) {
        l.label.Create(this, l.text);
        l.label.SetAnchor(kTopLeft);
        l.label.SetMargins(l.left, l.top, 0, 0);
        l.label.SetVisible(1);
    }
}

void UploadPanel::ConnectSignals()
{
    AddButton.Click.connect(this, &UploadPanel::OnAddCommand);
    BigAddButton.Click.connect(this, &UploadPanel::OnAddCommand);
    AddUrlButton.Click.connect(this, &UploadPanel::OnAddUrlCommand);
    PostButton.Click.connect(this, &UploadPanel::OnPostCommand);
    SelectAllBox.Click.connect(this, &UploadPanel::OnSelectAll);
    RotateLeftTool.Click.connect(this, &UploadPanel::OnRotate);
    RotateRightTool.Click.connect(this, &UploadPanel::OnRotate);
    DeleteTool.Click.connect(this, &UploadPanel::OnDeleteTool);
    SortBox.SelectionChanged.connect(this, &UploadPanel::OnSortChanged);
    ImageList.SelectionChanged.connect(this, &UploadPanel::OnSelectionChanged);
    ImageList.ItemRemoved.connect(this, &UploadPanel::OnItemRemoved);
    ImageList.DropAdded.connect(this, &UploadPanel::OnDropAdded);
    ImageList.ItemActivated.connect(this, &UploadPanel::OnItemActivated);
}

void UploadPanel::TearDown()
{
    if (!built_) return;
    // Nothing may report to controls that are going: the run's threads are let go of first,
    // and a run in progress fails (the process's state must not stay "posting").
    events_->Close();
    CutRunOff();
    RetirePoster(std::move(poster_), std::move(stream_), events_);
    events_.reset();
    unfinished_ = lingering_ = -1;
    ClearFields();
    if (dropRegistered_) ::RevokeDragDrop(window_);
    dropRegistered_ = false;
    skins_.reset();
    // A host may give the panel a window again (a container that deactivates and
    // reactivates the control): it is then built afresh.
    disconnect_all();
    DetachChildren();
    built_ = false;
}

bool UploadPanel::HandleMessage(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    if (ReflectNotification(wnd, message, wParam, lParam, result)) return true;
    switch (message) {
    case WM_CREATE:
        Build(wnd);
        return true;
    case WM_DESTROY:
        TearDown();
        host_.Route(wnd, message, wParam, lParam, result);
        return true;
    case WM_MOUSEWHEEL:
        // The grid scrolls wherever the pointer is over the panel.
        if (HWND list = ImageList.GetWindowHandle()) ::SendMessageW(list, WM_MOUSEWHEEL, wParam, lParam);
        return true;
    case WM_PANEL_STATUS:
    case WM_PANEL_REMAINING:
    case WM_PANEL_SPEED: {
        Label& label = message == WM_PANEL_STATUS ? StatusLabel : message == WM_PANEL_REMAINING ? RemainingLabel
                                                                                               : SpeedLabel;
        const auto* text = reinterpret_cast<const TChar*>(wParam);
        SetText(label, text ? TString(text) : TString());
        return true;
    }
    case WM_PANEL_RUN_EVENTS:
        DrainEvents();
        return true;
    case WM_PANEL_LOCATE:
        *result = Locate(reinterpret_cast<const wchar_t*>(wParam), reinterpret_cast<RECT*>(lParam)) ? 1 : 0;
        return true;
    default:
        return built_ && host_.Route(wnd, message, wParam, lParam, result);
    }
}

void UploadPanel::SetText(Label& label, const TString& text)
{
    label.SetText(WideFromText(text).c_str());
    label.Layout();
    label.Invalidate();
}

void UploadPanel::OnContainerSized()
{
    if (window_) ::GetClientRect(window_, &bounds_);
    for (ControlBase* child : children_) child->Layout();
    // The grid ignores its own size messages: reflow it to its new width here.
    ImageList.Arrange();
    ImageList.UpdateScrollBar();
    if (window_) ::InvalidateRect(window_, nullptr, FALSE);
}

void UploadPanel::OnPaint(CPaintEventArgs& e)
{
    const RECT b = bounds_;
    const COLORREF line = RGB(166, 197, 225);
    DrawBox(e.dc, b, line, RGB(230, 242, 253));
    DrawBox(e.dc, RECT{b.left, b.top, b.right, 32}, line, RGB(230, 242, 253));
    DrawBox(e.dc, RECT{b.left, 31, b.right, 57}, line, RGB(240, 246, 254));
    FillSolid(e.dc, RECT{1, 57, b.right - 1, b.bottom - 1}, RGB(255, 255, 255));
    ControlBase::OnPaint(e);
}

int UploadPanel::ShowMessage(const Messages::Message& message)
{
    CMessageDialog dialog;
    dialog.SetMessage(message);
    HWND owner = ::GetActiveWindow();
    return static_cast<int>(dialog.ShowModal(owner ? owner : window_));
}

void UploadPanel::SetPostSkins(bool cancel)
{
    if (cancel)
        PostButton.SetSkins("BtnPost-Cancel", "BtnPost-Cancel", "BtnPost-Cancel", "BtnPost-Cancel");
    else
        PostButton.SetSkins("BtnPost-Normal", "BtnPost-Hover", "BtnPost-Hover", "BtnPost-Disable");
    PostButton.Invalidate();
}

void UploadPanel::EnableTools(bool enable)
{
    for (ControlBase* tool : {static_cast<ControlBase*>(&RotateLeftTool), static_cast<ControlBase*>(&RotateRightTool),
                              static_cast<ControlBase*>(&DeleteTool)})
        tool->SetDisabled(enable ? 0 : 1);
}

void UploadPanel::ShowLook()
{
    const bool empty = ImageList.IsEmpty();
    ImageList.SetVisible(empty ? 0 : 1);
    BigAddButton.SetVisible(empty ? 1 : 0);
    HintLabel.SetVisible(empty ? 1 : 0);
    if (empty) {
        EnableTools(false);
        PostButton.SetDisabled(1);
    } else if (!running_) {
        PostButton.SetDisabled(0);
        SelectAllBox.SetDisabled(0);
    }
    if (window_) ::InvalidateRect(window_, nullptr, FALSE);
}

// --- commands ---

void UploadPanel::OnAddCommand()
{
    // During a run the list belongs to the run.
    if (running_) return;
    CFileAddDialog dialog(window_);
    dialog.SetTargetList(&ImageList);
    HWND active = ::GetActiveWindow();
    dialog.ShowModal(active ? active : window_);
    AfterAdding();
}

void UploadPanel::OnAddUrlCommand()
{
    if (running_) return;
    WebImageDialog dialog(&ImageList, window_);
    HWND active = ::GetActiveWindow();
    dialog.ShowModal(active ? active : window_);
    AfterAdding();
}

void UploadPanel::AfterAdding()
{
    ImageList.Arrange();
    ImageList.UpdateScrollBar();
    ImageList.RepaintAll();
    if (!ImageList.IsEmpty()) ShowLook();
}

void UploadPanel::OnSelectAll()
{
    if (ImageList.IsEmpty()) return;
    ImageList.SelectAll(SelectAllBox.IsChecked() != 0);
    OnSelectionChanged(static_cast<int>(ImageList.GetSelection().size()));
}

void UploadPanel::OnRotate(ControlBase* tool)
{
    // A turn made now would show but not be sent.
    if (running_) return;
    const bool left = tool == &RotateLeftTool;
    for (ListViewItem* item : ImageList.GetSelection()) {
        if (left)
            item->RotateLeft();
        else
            item->RotateRight();
    }
}

void UploadPanel::OnDelete()
{
    if (running_) return;
    ImageList.RemoveSelected();
    SelectAllBox.SetChecked(0);
}

void UploadPanel::OnSortChanged(int index)
{
    if (ImageList.IsEmpty() || AppState::Instance()->IsPosting()) return;
    ImageList.SortItems(index);
}
