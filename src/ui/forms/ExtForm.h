#pragma once
// A form in the product's dialog look: white body, skinned title bar with an optional icon
// and the title, a grey button band and a thin frame.
#include <string>

#include "ui/forms/FormBase.h"

namespace Korvel::UI {

class ExtForm : public FormBase {
public:
    void OnPaint(CPaintEventArgs& e) override;
    virtual void PaintFrame(CPaintEventArgs& e);
    virtual void PaintTitle(CPaintEventArgs& e);

    void SetTitle(const wchar_t* title) { title_ = title ? title : L""; }
    const std::wstring& Title() const { return title_; }

protected:
    std::wstring title_;
    std::string iconSkin_;
};

}  // namespace Korvel::UI
