#include "page/Visitor.h"

#include <cwchar>

#include "panel/PanelMessages.h"
#include "snapferry/Console.h"
#include "support/DataObjects.h"
#include "support/DialogDriver.h"
#include "support/MessagePump.h"
#include "support/PanelActions.h"
#include "ui/BackBuffer.h"
#include "ui/Snapshot.h"

namespace {

enum Member : DISPID {
    kDrop = 1, kPress, kType, kSort, kAnswer, kWaitUntil, kSleep, kShot, kPrint, kArgument, kArgumentCount, kQuit
};

const struct {
    const wchar_t* name;
    DISPID id;
} kMembers[] = {{L"drop", kDrop},         {L"press", kPress},     {L"type", kType},
                {L"sort", kSort},         {L"answer", kAnswer},   {L"waitUntil", kWaitUntil},
                {L"sleep", kSleep},       {L"shot", kShot},       {L"print", kPrint},
                {L"argument", kArgument}, {L"argumentCount", kArgumentCount}, {L"quit", kQuit}};

std::wstring TextOf(VARIANT* v)
{
    VARIANT text;
    ::VariantInit(&text);
    std::wstring out;
    if (SUCCEEDED(::VariantChangeType(&text, v, VARIANT_ALPHABOOL, VT_BSTR)) && V_BSTR(&text))
        out.assign(V_BSTR(&text), ::SysStringLen(V_BSTR(&text)));
    ::VariantClear(&text);
    return out;
}

bool NumberOf(VARIANT* v, int* out)
{
    VARIANT n;
    ::VariantInit(&n);
    if (FAILED(::VariantChangeType(&n, v, 0, VT_I4))) return false;
    *out = V_I4(&n);
    return true;
}

bool Truthy(VARIANT* v)
{
    VARIANT b;
    ::VariantInit(&b);
    const bool yes = SUCCEEDED(::VariantChangeType(&b, v, 0, VT_BOOL)) && V_BOOL(&b) != VARIANT_FALSE;
    ::VariantClear(&b);
    return yes;
}

// A property of a script object by name (an array's "length" or "0").
bool PropertyOf(IDispatch* object, const std::wstring& name, VARIANT* value)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr,
                                    nullptr));
}

// The texts of the arguments, an array's entries counting as arguments of their own.
std::vector<std::wstring> TextsOf(const std::vector<VARIANT*>& args)
{
    std::vector<std::wstring> texts;
    for (VARIANT* a : args) {
        if (V_VT(a) != VT_DISPATCH || !V_DISPATCH(a)) {
            texts.push_back(TextOf(a));
            continue;
        }
        VARIANT length;
        ::VariantInit(&length);
        int n = 0;
        if (PropertyOf(V_DISPATCH(a), L"length", &length)) NumberOf(&length, &n);
        ::VariantClear(&length);
        for (int i = 0; i < n; ++i) {
            VARIANT entry;
            ::VariantInit(&entry);
            if (PropertyOf(V_DISPATCH(a), std::to_wstring(i), &entry)) texts.push_back(TextOf(&entry));
            ::VariantClear(&entry);
        }
    }
    return texts;
}

}  // namespace

const wchar_t Visitor::kQuitMarker[] = L"visitor.quit";

Visitor::Visitor(Setup setup) : setup_(std::move(setup)) { SetAnswering(true); }

Visitor::~Visitor() { SetAnswering(false); }

void Visitor::SetAnswering(bool on)
{
    if (on && !timer_) {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 150, &Visitor::AnswerTimer);
    } else if (!on && timer_) {
        ::KillTimer(nullptr, timer_);
        timer_ = 0;
        if (current_ == this) current_ = nullptr;
    }
}

void CALLBACK Visitor::AnswerTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (current_) current_->AnswerShowingMessage();
}

void Visitor::AnswerShowingMessage()
{
    HWND dialog = test::DialogDriver::FindDialog();
    if (!dialog || dialog == answering_) return;
    answering_ = dialog;
    wchar_t text[512] = {};
    ::GetWindowTextW(dialog, text, 512);
    const bool confirm = answers_.empty() ? true : answers_.front();
    if (!answers_.empty()) answers_.pop_front();
    Tool::Print(std::wstring(L"message: ") + text);
    Shot(L"message-" + std::to_wstring(++messages_));
    Tool::Print(std::wstring(L"answered: ") + (confirm ? L"OK" : L"Cancel"));
    ::PostMessageW(dialog, WM_COMMAND, confirm ? IDOK : IDCANCEL, 0);
}

STDMETHODIMP Visitor::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) Visitor::Release()
{
    // Owned by the page host; the count only tells the script engine's holds apart.
    return ::InterlockedDecrement(&refs_);
}

STDMETHODIMP Visitor::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP Visitor::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Visitor::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (!names || !ids || count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    ids[0] = DISPID_UNKNOWN;
    for (const auto& m : kMembers)
        if (::_wcsicmp(m.name, names[0]) == 0) ids[0] = m.id;
    if (ids[0] == DISPID_UNKNOWN || count > 1) hr = DISP_E_UNKNOWNNAME;
    return hr;
}

STDMETHODIMP Visitor::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT*)
{
    std::vector<VARIANT*> args;
    if (params)
        for (UINT i = 0; i < params->cArgs; ++i) args.push_back(&params->rgvarg[params->cArgs - 1 - i]);
    if (result) ::VariantInit(result);
    std::wstring problem;
    const HRESULT hr = Act(id, args, result, &problem);
    if (hr != DISP_E_EXCEPTION) return hr;
    if (exception) {
        *exception = EXCEPINFO{};
        exception->scode = E_FAIL;
        exception->bstrSource = ::SysAllocString(L"visitor");
        exception->bstrDescription = ::SysAllocString(problem.c_str());
    }
    return DISP_E_EXCEPTION;
}

HRESULT Visitor::Act(DISPID id, const std::vector<VARIANT*>& args, VARIANT* result, std::wstring* problem)
{
    auto fail = [&](const std::wstring& why) {
        *problem = why;
        return DISP_E_EXCEPTION;
    };
    int number = 0;
    switch (id) {
    case kDrop: {
        std::vector<std::wstring> paths;
        for (const std::wstring& path : TextsOf(args)) paths.push_back(Tool::FullPath(path));
        if (paths.empty()) return fail(L"drop needs at least one file");
        acted_ = true;
        return Drop(paths, problem) ? S_OK : DISP_E_EXCEPTION;
    }
    case kPress:
        if (args.empty()) return fail(L"press needs a control's name");
        acted_ = true;
        return Press(TextOf(args[0]), problem) ? S_OK : DISP_E_EXCEPTION;
    case kType:
        if (args.empty()) return fail(L"type needs a text");
        acted_ = true;
        Type(TextOf(args[0]));
        return S_OK;
    case kSort:
        if (args.empty() || !NumberOf(args[0], &number)) return fail(L"sort needs an entry number (0-3)");
        acted_ = true;
        return Sort(number, problem) ? S_OK : DISP_E_EXCEPTION;
    case kAnswer: {
        const std::wstring answer = args.empty() ? L"ok" : TextOf(args[0]);
        if (::_wcsicmp(answer.c_str(), L"ok") != 0 && ::_wcsicmp(answer.c_str(), L"cancel") != 0)
            return fail(L"answer takes \"ok\" or \"cancel\"");
        answers_.push_back(::_wcsicmp(answer.c_str(), L"ok") == 0);
        return S_OK;
    }
    case kWaitUntil: {
        if (args.empty() || V_VT(args[0]) != VT_DISPATCH || !V_DISPATCH(args[0]))
            return fail(L"waitUntil needs a function");
        int seconds = 30;
        if (args.size() > 1 && !NumberOf(args[1], &seconds)) return fail(L"waitUntil's time is in seconds");
        acted_ = true;
        IDispatch* check = V_DISPATCH(args[0]);
        const bool met = test::PumpUntil(
            [check] {
                DISPPARAMS none{nullptr, nullptr, 0, 0};
                VARIANT answer;
                ::VariantInit(&answer);
                const bool yes = SUCCEEDED(check->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                                         &none, &answer, nullptr, nullptr)) &&
                                 Truthy(&answer);
                ::VariantClear(&answer);
                return yes;
            },
            static_cast<DWORD>(seconds) * 1000);
        if (result) {
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = met ? VARIANT_TRUE : VARIANT_FALSE;
        }
        return S_OK;
    }
    case kSleep:
        if (args.empty() || !NumberOf(args[0], &number) || number < 0) return fail(L"sleep needs milliseconds");
        test::PumpFor(static_cast<DWORD>(number));
        return S_OK;
    case kShot: {
        if (args.empty()) return fail(L"shot needs a name");
        const std::wstring path = Shot(TextOf(args[0]));
        if (result && !path.empty()) {
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = ::SysAllocString(path.c_str());
        }
        return S_OK;
    }
    case kPrint: {
        std::wstring line;
        for (VARIANT* a : args) line += (line.empty() ? L"" : L" ") + TextOf(a);
        Tool::Print(line);
        return S_OK;
    }
    case kArgument:
        if (args.empty() || !NumberOf(args[0], &number)) return fail(L"argument needs a number");
        if (result && number >= 0 && number < static_cast<int>(setup_.arguments.size())) {
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = ::SysAllocString(setup_.arguments[static_cast<std::size_t>(number)].c_str());
        }
        return S_OK;
    case kArgumentCount:
        if (result) {
            V_VT(result) = VT_I4;
            V_I4(result) = static_cast<LONG>(setup_.arguments.size());
        }
        return S_OK;
    case kQuit:
        quit_ = true;
        if (!args.empty()) NumberOf(args[0], &exitCode_);
        return fail(kQuitMarker);
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

bool Visitor::Drop(const std::vector<std::wstring>& paths, std::wstring* problem)
{
    RECT client{};
    ::GetClientRect(setup_.deliverable, &client);
    POINT at{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
    ::ClientToScreen(setup_.deliverable, &at);
    // The window OLE's drag loop would find: the one under the pointer or its nearest parent
    // that registered a drop target.
    IDropTarget* target = nullptr;
    for (HWND wnd = test::DeepestWindowAt(setup_.deliverable, at); wnd && !target; wnd = ::GetParent(wnd))
        target = static_cast<IDropTarget*>(::GetPropW(wnd, L"OleDropTargetInterface"));
    if (!target) {
        *problem = L"nothing on the page takes a drop there";
        return false;
    }
    test::DropFileList(target, paths, POINTL{at.x, at.y});
    test::PumpFor(300);
    return true;
}

bool Visitor::Press(const std::wstring& name, std::wstring* problem)
{
    if (!test::PressNamed(setup_.deliverable, name.c_str())) {
        *problem = L"there is no " + name + L" to press";
        return false;
    }
    test::PumpFor(100);
    return true;
}

void Visitor::Type(const std::wstring& text)
{
    HWND focus = ::GetFocus();
    if (!focus) return;
    for (wchar_t c : text) ::SendMessageW(focus, WM_CHAR, c, 1);
    test::PumpFor(100);
}

bool Visitor::Sort(int index, std::wstring* problem)
{
    RECT where{};
    if (!::SendMessageW(setup_.deliverable, WM_PANEL_LOCATE, reinterpret_cast<WPARAM>(L"sort"),
                        reinterpret_cast<LPARAM>(&where))) {
        *problem = L"there is no sort box";
        return false;
    }
    POINT at{(where.left + where.right) / 2, (where.top + where.bottom) / 2};
    ::ClientToScreen(setup_.deliverable, &at);
    HWND combo = test::DeepestWindowAt(setup_.deliverable, at);
    // A combo box's edit or list is a child of it; the box itself tells its parent.
    wchar_t name[32] = {};
    ::GetClassNameW(combo, name, 32);
    if (::_wcsicmp(name, L"ComboBox") != 0) combo = ::GetParent(combo);
    if (::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == CB_ERR) {
        *problem = L"the sort box has no entry " + std::to_wstring(index);
        return false;
    }
    ::SendMessageW(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    test::PumpFor(100);
    return true;
}

std::wstring Visitor::Shot(const std::wstring& name)
{
    if (setup_.shots.empty()) return std::wstring();
    test::PumpFor(50);
    Korvel::UI::BackBuffer copy;
    const std::wstring path = setup_.shots + L"\\" + name + L".png";
    if (Korvel::UI::CopyFromScreen(setup_.page, copy) && Korvel::UI::SaveBitmapPng(copy.Bitmap(), path.c_str())) {
        Tool::Print(L"shot: " + path);
        return path;
    }
    Tool::Error(L"snapferry: could not write " + path);
    return std::wstring();
}
