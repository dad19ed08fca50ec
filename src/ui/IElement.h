#pragma once
// Base of the elements a list view lays out: an identifier, a place and state bits.
#include <windows.h>

namespace Korvel::UI {

class IElement {
public:
    virtual ~IElement() = default;
    virtual void SetBounds(const RECT& bounds) { bounds_ = bounds; }
    virtual void GetBounds(RECT* bounds) const { *bounds = bounds_; }
    virtual int& GetState() { return state_; }

    int Id() const { return id_; }
    void SetId(int id) { id_ = id; }

protected:
    int id_ = 0;
    RECT bounds_{};
    int state_ = 0;
};

}  // namespace Korvel::UI
