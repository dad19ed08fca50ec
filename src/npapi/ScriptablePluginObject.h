#pragma once
// The object a page's script reaches the plug-in through. The browser sees only the NPObject
// part; the class callbacks turn it back into the C++ object and call the hook of the same
// name. The object belongs to one plug-in instance and refuses everything once that instance
// has gone (the browser may hold it longer).
#include <new>

#include "npapi/NpApi.h"

class CPlugin;

class ScriptablePluginObjectBase : public NPObject {
public:
    explicit ScriptablePluginObjectBase(NPP npp);
    virtual ~ScriptablePluginObjectBase() = default;
    ScriptablePluginObjectBase(const ScriptablePluginObjectBase&) = delete;
    ScriptablePluginObjectBase& operator=(const ScriptablePluginObjectBase&) = delete;

    // The instance stops answering through this object (its CPlugin is going).
    void Detach() { plugin_ = nullptr; }

    virtual void Invalidate();
    virtual bool HasMethod(NPIdentifier name);
    virtual bool Invoke(NPIdentifier name, const NPVariant* args, std::uint32_t argCount, NPVariant* result);
    virtual bool InvokeDefault(const NPVariant* args, std::uint32_t argCount, NPVariant* result);
    virtual bool HasProperty(NPIdentifier name);
    virtual bool SetProperty(NPIdentifier name, const NPVariant* value);
    virtual bool GetProperty(NPIdentifier name, NPVariant* result);
    virtual bool RemoveProperty(NPIdentifier name);
    virtual bool Enumerate(NPIdentifier** identifiers, std::uint32_t* count);
    virtual bool Construct(const NPVariant* args, std::uint32_t argCount, NPVariant* result);

protected:
    NPP npp_;
    CPlugin* plugin_;

    // The class table for a derived type T: allocate makes a T for the instance.
    template <class T>
    static NPClass MakeClass()
    {
        return NPClass{NP_CLASS_STRUCT_VERSION, &Allocate<T>, &Deallocate, &InvalidateCallback,
                       &HasMethodCallback, &InvokeCallback, &InvokeDefaultCallback, &HasPropertyCallback,
                       &GetPropertyCallback, &SetPropertyCallback, &RemovePropertyCallback,
                       &EnumerateCallback, &ConstructCallback};
    }

private:
    template <class T>
    static NPObject* __cdecl Allocate(NPP npp, NPClass*)
    {
        return new (std::nothrow) T(npp);
    }
    static void __cdecl Deallocate(NPObject* object);
    static void __cdecl InvalidateCallback(NPObject* object);
    static bool __cdecl HasMethodCallback(NPObject* object, NPIdentifier name);
    static bool __cdecl InvokeCallback(NPObject* object, NPIdentifier name, const NPVariant* args,
                                       std::uint32_t argCount, NPVariant* result);
    static bool __cdecl InvokeDefaultCallback(NPObject* object, const NPVariant* args, std::uint32_t argCount,
                                              NPVariant* result);
    static bool __cdecl HasPropertyCallback(NPObject* object, NPIdentifier name);
    static bool __cdecl GetPropertyCallback(NPObject* object, NPIdentifier name, NPVariant* result);
    static bool __cdecl SetPropertyCallback(NPObject* object, NPIdentifier name, const NPVariant* value);
    static bool __cdecl RemovePropertyCallback(NPObject* object, NPIdentifier name);
    static bool __cdecl EnumerateCallback(NPObject* object, NPIdentifier** identifiers, std::uint32_t* count);
    static bool __cdecl ConstructCallback(NPObject* object, const NPVariant* args, std::uint32_t argCount,
                                          NPVariant* result);
};

class ScriptablePluginObject : public ScriptablePluginObjectBase {
public:
    using ScriptablePluginObjectBase::ScriptablePluginObjectBase;
    static NPClass* Class();

    bool HasMethod(NPIdentifier name) override;
    bool Invoke(NPIdentifier name, const NPVariant* args, std::uint32_t argCount, NPVariant* result) override;
    bool InvokeDefault(const NPVariant* args, std::uint32_t argCount, NPVariant* result) override;
    bool HasProperty(NPIdentifier name) override;
    bool GetProperty(NPIdentifier name, NPVariant* result) override;
};
