// snapferry gallery DIR: pictures of every control and dialog, drawn by the real windows.
#include <windows.h>
#include <ole2.h>

#include <filesystem>

#include "Biz/Flavour.h"
#include "gallery/Exhibits.h"
#include "snapferry/Commands.h"
#include "snapferry/Console.h"
#include "ui/SkinLease.h"

using namespace Korvel::UI;

int RunGalleryCommand(const std::vector<std::wstring>& args)
{
    if (args.size() != 1) return Tool::UsageError(L"gallery needs one folder");
    const std::wstring dir = args[0];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        Tool::Error(L"snapferry: cannot make folder " + dir);
        return Tool::kFailed;
    }

    // The skins as a panel takes them when it starts.
    ::OleInitialize(nullptr);  // the lists are drop targets
    SkinLease skins(Flavour::SkinStripId());

    Gallery::Sheet controls(dir, L"controls", 1000, 1400);
    Gallery::ControlsExhibits(controls);
    Gallery::NativeExhibits(controls);
    Gallery::Sheet dialogs(dir, L"dialogs", 810, 700);
    Gallery::DialogExhibits(dialogs);
    Gallery::Sheet lists(dir, L"lists", 1500, 1000);
    Gallery::ListExhibits(lists, dir + L"\\photos");
    Gallery::Sheet pickers(dir, L"pickers", 1060, 800);
    Gallery::PickerExhibits(pickers, dir + L"\\photos");
    Gallery::Sheet panel(dir, L"panel", 1560, 1700);
    Gallery::PanelExhibits(panel, dir + L"\\photos");

    const bool saved = controls.Save() && dialogs.Save() && lists.Save() && pickers.Save() && panel.Save();
    if (!saved || controls.Failures() || dialogs.Failures() || lists.Failures() || pickers.Failures() ||
        panel.Failures()) {
        Tool::Error(L"snapferry: some pictures could not be written to " + dir);
        return Tool::kFailed;
    }
    Tool::Print(L"gallery written to " + dir);
    return Tool::kOk;
}
