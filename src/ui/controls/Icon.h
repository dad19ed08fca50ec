#pragma once
// A skin drawn at its natural size at the control's top-left; it has no mouse behaviour.
#include <string>

#include "ui/ControlBase.h"

namespace Korvel::UI::Controls {

class Icon : public ControlBase {
public:
    void OnPaint(CPaintEventArgs& e) override;
    virtual void Create(ControlBase* container) { Attach(container); }

    void SetSkin(const char* name);

private:
    std::string skin_;
};

}  // namespace Korvel::UI::Controls
