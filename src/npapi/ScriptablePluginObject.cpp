#include "npapi/ScriptablePluginObject.h"

#include <cstdio>
#include <new>

#include "npapi/Plugin.h"
#include "npapi/Variants.h"

namespace {

// NPObject is the non-polymorphic base: static_cast moves between it and the C++ object.
ScriptablePluginObjectBase* Self(NPObject* object) { return static_cast<ScriptablePluginObjectBase*>(object); }

}  // namespace

ScriptablePluginObjectBase::ScriptablePluginObjectBase(NPP npp)
    : NPObject{}, npp_(npp), plugin_(npp ? static_cast<CPlugin*>(npp->pdata) : nullptr)
{
}

void ScriptablePluginObjectBase::Invalidate() { Detach(); }
bool ScriptablePluginObjectBase::HasMethod(NPIdentifier) { return false; }
bool ScriptablePluginObjectBase::Invoke(NPIdentifier, const NPVariant*, std::uint32_t, NPVariant*) { return false; }
bool ScriptablePluginObjectBase::InvokeDefault(const NPVariant*, std::uint32_t, NPVariant*) { return false; }
bool ScriptablePluginObjectBase::HasProperty(NPIdentifier) { return false; }
bool ScriptablePluginObjectBase::GetProperty(NPIdentifier, NPVariant*) { return false; }
bool ScriptablePluginObjectBase::RemoveProperty(NPIdentifier) { return false; }
bool ScriptablePluginObjectBase::Enumerate(NPIdentifier**, std::uint32_t*) { return false; }
bool ScriptablePluginObjectBase::Construct(const NPVariant*, std::uint32_t, NPVariant*) { return false; }

bool ScriptablePluginObjectBase::SetProperty(NPIdentifier name, const NPVariant* value)
{
    return plugin_ && value && plugin_->SetProperty(name, *value);
}

// No exception may reach the browser: each callback answers "failed" instead.
void ScriptablePluginObjectBase::Deallocate(NPObject* object) { delete Self(object); }

void ScriptablePluginObjectBase::InvalidateCallback(NPObject* object) { Self(object)->Invalidate(); }

bool ScriptablePluginObjectBase::HasMethodCallback(NPObject* object, NPIdentifier name)
{
    return Self(object)->HasMethod(name);
}

bool ScriptablePluginObjectBase::InvokeCallback(NPObject* object, NPIdentifier name, const NPVariant* args,
                                                std::uint32_t argCount, NPVariant* result)
{
    try {
        return Self(object)->Invoke(name, args, argCount, result);
    } catch (...) {
        return false;
    }
}

bool ScriptablePluginObjectBase::InvokeDefaultCallback(NPObject* object, const NPVariant* args,
                                                       std::uint32_t argCount, NPVariant* result)
{
    try {
        return Self(object)->InvokeDefault(args, argCount, result);
    } catch (...) {
        return false;
    }
}

bool ScriptablePluginObjectBase::HasPropertyCallback(NPObject* object, NPIdentifier name)
{
    return Self(object)->HasProperty(name);
}

bool ScriptablePluginObjectBase::GetPropertyCallback(NPObject* object, NPIdentifier name, NPVariant* result)
{
    try {
        return Self(object)->GetProperty(name, result);
    } catch (...) {
        return false;
    }
}

bool ScriptablePluginObjectBase::SetPropertyCallback(NPObject* object, NPIdentifier name, const NPVariant* value)
{
    try {
        return Self(object)->SetProperty(name, value);
    } catch (...) {
        return false;
    }
}

bool ScriptablePluginObjectBase::RemovePropertyCallback(NPObject* object, NPIdentifier name)
{
    return Self(object)->RemoveProperty(name);
}

bool ScriptablePluginObjectBase::EnumerateCallback(NPObject* object, NPIdentifier** identifiers,
                                                   std::uint32_t* count)
{
    return Self(object)->Enumerate(identifiers, count);
}

bool ScriptablePluginObjectBase::ConstructCallback(NPObject* object, const NPVariant* args, std::uint32_t argCount,
                                                   NPVariant* result)
{
    return Self(object)->Construct(args, argCount, result);
}

NPClass* ScriptablePluginObject::Class()
{
    static NPClass theClass = MakeClass<ScriptablePluginObject>();
    return &theClass;
}

bool ScriptablePluginObject::HasMethod(NPIdentifier name) { return plugin_ && plugin_->HasMethod(name); }

bool ScriptablePluginObject::Invoke(NPIdentifier name, const NPVariant* args, std::uint32_t argCount,
                                    NPVariant* result)
{
    return plugin_ && result && (args || argCount == 0) && plugin_->Invoke(name, args, argCount, *result);
}

bool ScriptablePluginObject::InvokeDefault(const NPVariant*, std::uint32_t, NPVariant* result)
{
    std::printf("ScriptablePluginObject default method called!\n");
    std::fflush(stdout);
    return result && Variants::SetString(*result, "default method return val");
}

bool ScriptablePluginObject::HasProperty(NPIdentifier name) { return plugin_ && plugin_->HasProperty(name); }

bool ScriptablePluginObject::GetProperty(NPIdentifier name, NPVariant* result)
{
    return plugin_ && result && plugin_->GetProperty(name, *result);
}
