#pragma once
// A push button drawn from four skins, with an optional caption over the face.
#include <string>

#include "ui/ControlBase.h"
#include "ui/sigslot.h"

namespace Korvel::UI::Controls {

class Button : public ControlBase {
public:
    sigslot::signal0<sigslot::multi_threaded_local> Click;

    void OnPaint(CPaintEventArgs& e) override;
    void OnMouseDown(CMouseEventArgs& e) override;
    void OnMouseUp(CMouseEventArgs& e) override;
    void OnMouseMove(CMouseEventArgs& e) override;
    virtual void Create(ControlBase* container, const wchar_t* text);
    virtual void DrawFace(CPaintEventArgs& e);

    void SetSkins(const char* normal, const char* hover, const char* pressed, const char* disabled);
    const std::wstring& Text() const { return text_; }

protected:
    // Which of the four skins the current state shows.
    const std::string& FaceSkin() const;

    std::wstring text_;
    std::string normalSkin_ = "BtnNormal";
    std::string hoverSkin_ = "BtnHover";
    std::string disabledSkin_ = "BtnDisable";
    std::string pressedSkin_ = "BtnDown";
};

}  // namespace Korvel::UI::Controls
