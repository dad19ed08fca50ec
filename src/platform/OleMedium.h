#pragma once
// Owners for what OLE data transfer hands around: a storage medium, and a lock on a global
// block for as long as a scope reads it.
#include <windows.h>
#include <ole2.h>

#include <utility>

namespace Korvel {

// Releases the medium it holds with the system's rule for its kind (which honours a
// release object, so a medium someone else still owns is only unreferenced).
class StgMedium {
public:
    StgMedium() = default;
    explicit StgMedium(const STGMEDIUM& m) : m_(m) {}
    ~StgMedium() { Reset(); }
    StgMedium(StgMedium&& o) noexcept : m_(o.Detach()) {}
    StgMedium& operator=(StgMedium&& o) noexcept
    {
        if (this != &o) Reset(o.Detach());
        return *this;
    }
    StgMedium(const StgMedium&) = delete;
    StgMedium& operator=(const StgMedium&) = delete;

    const STGMEDIUM& Get() const { return m_; }
    const STGMEDIUM* operator->() const { return &m_; }
    bool Empty() const { return m_.tymed == TYMED_NULL; }

    // For a GetData call: whatever was held is released first.
    STGMEDIUM* put()
    {
        Reset();
        return &m_;
    }
    STGMEDIUM Detach() { return std::exchange(m_, STGMEDIUM{}); }
    void Reset(const STGMEDIUM& m = STGMEDIUM{})
    {
        STGMEDIUM old = std::exchange(m_, m);
        if (old.tymed != TYMED_NULL) ::ReleaseStgMedium(&old);
    }

private:
    STGMEDIUM m_{};
};

// GlobalLock for one scope; Data() is null when the lock failed.
class GlobalLocked {
public:
    explicit GlobalLocked(HGLOBAL h) : h_(h), p_(h ? ::GlobalLock(h) : nullptr) {}
    ~GlobalLocked()
    {
        if (p_) ::GlobalUnlock(h_);
    }
    GlobalLocked(const GlobalLocked&) = delete;
    GlobalLocked& operator=(const GlobalLocked&) = delete;

    void* Data() const { return p_; }
    SIZE_T Size() const { return p_ ? ::GlobalSize(h_) : 0; }

private:
    HGLOBAL h_;
    void* p_;
};

}  // namespace Korvel
