#pragma once
// A counted reference to a script object of the host (an IDispatch in the ActiveX control,
// an NPObject in the plug-in). The host supplies how to take and drop a reference.
#include <utility>

struct ScriptObjectOps {
    void (*retain)(void* object);
    void (*release)(void* object);
};

class ScriptRef {
public:
    ScriptRef() = default;
    ~ScriptRef() { Reset(); }
    ScriptRef(const ScriptRef&) = delete;
    ScriptRef& operator=(const ScriptRef&) = delete;

    // Takes the new reference before dropping the old one, so assigning an object that is
    // only kept alive by the old reference is safe; the object already held is left alone.
    void Assign(void* object, const ScriptObjectOps* ops)
    {
        if (object == object_) return;
        if (object) ops->retain(object);
        void* old = std::exchange(object_, object);
        const ScriptObjectOps* oldOps = std::exchange(ops_, object ? ops : nullptr);
        if (old) oldOps->release(old);
    }
    void Reset() { Assign(nullptr, nullptr); }
    void* Get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    void* object_ = nullptr;
    const ScriptObjectOps* ops_ = nullptr;
};
