#pragma once
// A line of text sized to fit it. Moving it keeps its size; a new text re-measures it.
#include <string>

#include "ui/ControlBase.h"

class Label : public Korvel::UI::ControlBase {
public:
    void OnPaint(Korvel::UI::CPaintEventArgs& e) override;
    void Layout() override;

    void Create(Korvel::UI::ControlBase* container, const wchar_t* text);
    void SetText(const wchar_t* text);
    const std::wstring& Text() const { return text_; }
    void SetColor(COLORREF color);
    void SetFormat(UINT format) { format_ = format; }

private:
    std::wstring text_;
    COLORREF color_ = RGB(51, 51, 51);
    UINT format_ = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
};
