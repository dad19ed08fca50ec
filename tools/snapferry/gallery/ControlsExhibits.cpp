// Every skinned control in each of its states.
#include "gallery/Exhibits.h"

#include "gallery/Exhibit.h"
#include "ui/CombinBitmap.h"
#include "ui/Drawing.h"
#include "ui/controls/Button.h"
#include "ui/controls/CheckBox.h"
#include "ui/controls/Icon.h"
#include "ui/controls/IconLabel.h"
#include "ui/controls/Label.h"
#include "ui/controls/ProgressBar.h"

namespace Gallery {

using namespace Korvel::UI;
using namespace Korvel::UI::Controls;

namespace {

enum class State { Normal, Hover, Pressed, Disabled };
struct StateName {
    State state;
    const wchar_t *caption, *file;
};
const StateName kStates[] = {
    {State::Normal, L"normal", L"normal"},
    {State::Hover, L"hover", L"hover"},
    {State::Pressed, L"pressed", L"pressed"},
    {State::Disabled, L"disabled+hover", L"disabled"},
};

void Put(Exhibit& ex, ControlBase& control, State state)
{
    if (state == State::Disabled) control.SetDisabled(1);
    if (state == State::Hover || state == State::Disabled) ex.Hover(control);
    if (state == State::Pressed) ex.Press(control);
}

struct SkinSet {
    const wchar_t* name;
    const char *normal, *hover, *pressed, *disabled;
    int width, height;
    const wchar_t* caption;
    COLORREF background;
};

void Buttons(Sheet& sheet)
{
    const COLORREF panel = RGB(240, 246, 254);
    const SkinSet sets[] = {
        {L"button", "BtnNormal", "BtnHover", "BtnDown", "BtnDisable", 72, 25, L"按钮", RGB(255, 255, 255)},
        {L"post", "BtnPost-Normal", "BtnPost-Hover", "BtnPost-Hover", "BtnPost-Disable", 84, 24, L"", panel},
        {L"post-cancel", "BtnPost-Cancel", "BtnPost-Cancel", "BtnPost-Cancel", "BtnPost-Disable", 84, 24, L"", panel},
        {L"add", "BtnAdd-Normal", "BtnAdd-Hover", "BtnAdd-Hover", "BtnAdd-Disable", 84, 24, L"", panel},
        {L"addurl", "BtnAddUrl-Normal", "BtnAddUrl-Hover", "BtnAddUrl-Hover", "BtnAddUrl-Disable", 84, 24, L"", panel},
        {L"ok", "BtnOk", "BtnOk", "BtnOk", "BtnOk", 55, 24, L"", RGB(243, 243, 243)},
        {L"cancel", "BtnCancel", "BtnCancel", "BtnCancel", "BtnCancel", 51, 24, L"", RGB(243, 243, 243)},
        {L"close", "BtnCloseNormal", "BtnCloseHover", "BtnCloseHover", "", 15, 15, L"", RGB(255, 255, 255)},
        {L"choose", "BtnAdd2-Normal", "BtnAdd2-Hover", "BtnAdd2-Hover", "BtnAdd2-Normal", 203, 51, L"", RGB(255, 255, 255)},
    };
    for (const SkinSet& set : sets) {
        for (const StateName& s : kStates) {
            Exhibit ex(set.width + 12, set.height + 12, set.background);
            Button& button = ex.Make<Button>();
            button.Create(&ex.Root(), set.caption);
            button.SetSkins(set.normal, set.hover, set.pressed, set.disabled);
            Exhibit::Place(button, 6, 6, set.width, set.height);
            Put(ex, button, s.state);
            ex.Snap(sheet, std::wstring(set.name) + L" " + s.caption, std::wstring(L"button-") + set.name + L"-" + s.file);
        }
        sheet.NewRow();
    }
}

void CheckBoxes(Sheet& sheet)
{
    struct Case {
        const wchar_t *caption, *file;
        int checked;
        State state;
    };
    const Case cases[] = {
        {L"unchecked", L"unchecked", 0, State::Normal},      {L"unchecked, hover", L"unchecked-hover", 0, State::Hover},
        {L"checked", L"checked", 1, State::Normal},          {L"checked, hover", L"checked-hover", 1, State::Hover},
        {L"checked, disabled", L"checked-disabled", 1, State::Disabled},
    };
    for (const Case& c : cases) {
        Exhibit ex(70, 27, RGB(240, 246, 254));
        CheckBox& box = ex.Make<CheckBox>();
        box.Create(&ex.Root(), L"全选");
        box.SetMargins(6, 6, 0, 0);
        box.Layout();
        box.SetChecked(c.checked);
        Put(ex, box, c.state);
        ex.Snap(sheet, c.caption, std::wstring(L"checkbox-") + c.file);
    }
    sheet.NewRow();
}

void LabelsAndIcons(Sheet& sheet)
{
    struct Case {
        const wchar_t *text, *file;
        const char* icon;
        bool disabled;
    };
    const Case cases[] = {
        {L"左旋", L"rotate-left", "RotatioLeft", false}, {L"右旋", L"rotate-right", "RotatioRight", false},
        {L"删除", L"delete", "Btn_Delete", false},       {L"删除", L"delete-disabled", "Btn_Delete", true},
        {L"没有图标", L"no-icon", "NoSuchSkin", false},
    };
    for (const Case& c : cases) {
        Exhibit ex(90, 28, RGB(240, 246, 254));
        IconLabel& label = ex.Make<IconLabel>();
        label.Create(&ex.Root(), c.text, c.icon);
        label.SetMargins(6, 6, 0, 0);
        label.SetAnchor(AnchorLeft | AnchorTop);
        label.Layout();
        label.SetDisabled(c.disabled);
        ex.Snap(sheet, std::wstring(L"icon label ") + (c.disabled ? L"disabled" : L""), std::wstring(L"iconlabel-") + c.file);
    }
    for (const char* name : {"IcoAdd", "IcoInfo"}) {
        Exhibit ex(44, 44);
        Icon& icon = ex.Make<Icon>();
        icon.Create(&ex.Root());
        icon.SetSkin(name);
        Exhibit::Place(icon, 6, 6, 32, 32);
        const std::wstring wide(name, name + strlen(name));
        ex.Snap(sheet, wide, L"icon-" + wide);
    }
    {
        Exhibit ex(260, 26, RGB(240, 246, 254));
        Label& status = ex.Make<Label>();
        status.Create(&ex.Root(), L"请点击\"添加照片\"，选择要上传的照片");
        status.SetMargins(6, 6, 0, 0);
        status.Layout();
        ex.Snap(sheet, L"label", L"label");
    }
    sheet.NewRow();
}

void ProgressBars(Sheet& sheet)
{
    for (int value : {0, 37, 100}) {
        Exhibit ex(172, 22);
        ProgressBar& bar = ex.Make<ProgressBar>();
        bar.Attach(&ex.Root());
        Exhibit::Place(bar, 6, 6, 160, 10);
        bar.SetValue(value);
        const std::wstring percent = std::to_wstring(value);
        ex.Snap(sheet, L"progress " + percent + L"%", L"progress-" + percent);
    }
    sheet.NewRow();
}

void StripCells(Sheet& sheet)
{
    for (const CombinBitmap::Cell& cell : kStripCells) {
        Exhibit ex(40, 30, RGB(60, 60, 60));
        Painted& picture = ex.Make<Painted>();
        picture.Attach(&ex.Root());
        Exhibit::Place(picture, 4, 4, 32, 22);
        const std::wstring name = cell.name;
        picture.paint = [name](HDC dc, const RECT& b) {
            CombinBitmap::Instance().DrawCellAt(dc, name.c_str(), b.left, b.top);
            FillSolid(dc, RECT{b.left + 20, b.top, b.right, b.bottom}, RGB(255, 255, 255));
            CombinBitmap::Instance().DrawCellAt(dc, name.c_str(), b.left + 20, b.top);
        };
        ex.Snap(sheet, name, L"cell-" + name);
    }
    sheet.NewRow();
}

}  // namespace

void ControlsExhibits(Sheet& sheet)
{
    Buttons(sheet);
    CheckBoxes(sheet);
    LabelsAndIcons(sheet);
    ProgressBars(sheet);
    StripCells(sheet);
}

}  // namespace Gallery
