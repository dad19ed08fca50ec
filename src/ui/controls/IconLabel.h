#pragma once
// A clickable text with an optional icon skin before it (greyed when disabled). Its click
// carries the label itself, so one receiver can serve several labels.
#include <string>

#include "ui/ControlBase.h"
#include "ui/sigslot.h"

namespace Korvel::UI::Controls {

class IconLabel : public ControlBase {
public:
    sigslot::signal1<ControlBase*, sigslot::multi_threaded_local> Click;

    void OnPaint(CPaintEventArgs& e) override;
    void OnMouseDown(CMouseEventArgs& e) override;
    void OnMouseUp(CMouseEventArgs& e) override;
    void OnMouseMove(CMouseEventArgs& e) override;
    virtual void Create(ControlBase* container, const wchar_t* text, const char* iconName);
    virtual void DrawIcon(CPaintEventArgs& e);

    void SetText(const wchar_t* text);
    const std::wstring& Text() const { return text_; }

private:
    int gap_ = 5;
    std::string icon_;
    std::wstring text_;
};

}  // namespace Korvel::UI::Controls
