#pragma once
// The picker and the web image dialog run as a user would run them, with real messages
// from inside their modal loops: for the tool's scripted sessions and for tests.
#include <windows.h>

#include <string>
#include <vector>

#include "support/MessageWatcher.h"

class ListView;

namespace test {

struct DialogRun {
    // What ShowModal gave; -2 when the deadline closed the dialog.
    INT_PTR result = -1;
    // Every message the user saw, in order; each was confirmed.
    std::vector<MessageWatcher::Seen> messages;
    // What the run could not do as asked (a picture index the folder does not have).
    std::wstring problem;
};

// Which pictures to check: all of them (with the select-all box) or these display indexes.
struct PickChoice {
    bool all = false;
    std::vector<int> indexes;
};

// A folder as the shell's tree names it: absolute (a relative one is taken from the current
// folder), without a closing separator.
std::wstring FullFolderPath(const std::wstring& folder);

// Opens the picker on folder (through DefaultFolder, which it sets to the folder's full
// path first), checks the chosen pictures by clicking them and presses OK.
DialogRun RunPicker(ListView& target, HWND centre, const std::wstring& folder, const PickChoice& choice,
                    UINT deadlineMs = 60000);

// Opens the web image dialog, types the address, presses OK and waits for the end. When a
// message leaves the dialog open (a failed download, an empty address), presses Cancel.
DialogRun RunWebImage(ListView& target, HWND centre, const std::wstring& address, UINT deadlineMs = 60000);

// A press and release in the middle of a rectangle of a window's client area.
void PostClick(HWND window, const RECT& where);
void SendClick(HWND window, const RECT& where);

}  // namespace test
