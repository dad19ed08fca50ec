#include "browser/BrowserObjects.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace TestBrowserRuntime {

namespace {

// Identifiers live for the process; each is the address of its record.
struct IdentifierRecord {
    bool isString;
    std::string name;
    std::int32_t number;
};

struct Identifiers {
    std::mutex lock;
    std::map<std::string, std::unique_ptr<IdentifierRecord>> strings;
    std::map<std::int32_t, std::unique_ptr<IdentifierRecord>> numbers;
};

Identifiers& Table()
{
    static Identifiers table;
    return table;
}

const IdentifierRecord* Record(NPIdentifier identifier) { return static_cast<const IdentifierRecord*>(identifier); }

std::string g_exception;

// The class's callback when the object's class has that member, else null.
template <class F>
F Callback(NPObject* object, F NPClass::*member, std::uint32_t sinceVersion = 1)
{
    if (!object || !object->_class || object->_class->structVersion < sinceVersion) return nullptr;
    return object->_class->*member;
}

}  // namespace

NPIdentifier GetStringIdentifier(const NPUTF8* name)
{
    if (!name) return nullptr;
    std::lock_guard<std::mutex> hold(Table().lock);
    auto& slot = Table().strings[name];
    if (!slot) slot.reset(new IdentifierRecord{true, name, 0});
    return slot.get();
}

void GetStringIdentifiers(const NPUTF8** names, std::int32_t count, NPIdentifier* identifiers)
{
    for (std::int32_t i = 0; i < count; ++i) identifiers[i] = GetStringIdentifier(names[i]);
}

NPIdentifier GetIntIdentifier(std::int32_t value)
{
    std::lock_guard<std::mutex> hold(Table().lock);
    auto& slot = Table().numbers[value];
    if (!slot) slot.reset(new IdentifierRecord{false, std::string(), value});
    return slot.get();
}

bool IdentifierIsString(NPIdentifier identifier) { return identifier && Record(identifier)->isString; }

NPUTF8* UTF8FromIdentifier(NPIdentifier identifier)
{
    if (!IdentifierIsString(identifier)) return nullptr;
    const std::string& name = Record(identifier)->name;
    auto* copy = static_cast<NPUTF8*>(MemAlloc(static_cast<std::uint32_t>(name.size() + 1)));
    if (copy) std::memcpy(copy, name.c_str(), name.size() + 1);
    return copy;
}

std::int32_t IntFromIdentifier(NPIdentifier identifier)
{
    return identifier && !Record(identifier)->isString ? Record(identifier)->number : 0;
}

std::string IdentifierName(NPIdentifier identifier)
{
    return IdentifierIsString(identifier) ? Record(identifier)->name : std::string();
}

void* MemAlloc(std::uint32_t size) { return std::malloc(size ? size : 1); }
void MemFree(void* pointer) { std::free(pointer); }

NPObject* CreateObject(NPP npp, NPClass* aClass)
{
    if (!aClass) return nullptr;
    NPObject* object = aClass->allocate ? aClass->allocate(npp, aClass)
                                        : static_cast<NPObject*>(std::calloc(1, sizeof(NPObject)));
    if (!object) return nullptr;
    object->_class = aClass;
    object->referenceCount = 1;
    return object;
}

NPObject* RetainObject(NPObject* object)
{
    if (object) ++object->referenceCount;
    return object;
}

void ReleaseObject(NPObject* object)
{
    if (!object || --object->referenceCount != 0) return;
    if (object->_class && object->_class->deallocate)
        object->_class->deallocate(object);
    else
        std::free(object);
}

void ReleaseVariantValue(NPVariant* variant)
{
    if (!variant) return;
    if (variant->type == NPVariantType_String)
        MemFree(const_cast<NPUTF8*>(variant->value.stringValue.UTF8Characters));
    else if (variant->type == NPVariantType_Object)
        ReleaseObject(variant->value.objectValue);
    variant->type = NPVariantType_Void;
    variant->value.objectValue = nullptr;
}

bool Invoke(NPP, NPObject* object, NPIdentifier name, const NPVariant* args, std::uint32_t count, NPVariant* result)
{
    auto f = Callback(object, &NPClass::invoke);
    return f && f(object, name, args, count, result);
}

bool InvokeDefault(NPP, NPObject* object, const NPVariant* args, std::uint32_t count, NPVariant* result)
{
    auto f = Callback(object, &NPClass::invokeDefault);
    return f && f(object, args, count, result);
}

bool GetProperty(NPP, NPObject* object, NPIdentifier name, NPVariant* result)
{
    auto f = Callback(object, &NPClass::getProperty);
    return f && f(object, name, result);
}

bool SetProperty(NPP, NPObject* object, NPIdentifier name, const NPVariant* value)
{
    auto f = Callback(object, &NPClass::setProperty);
    return f && f(object, name, value);
}

bool RemoveProperty(NPP, NPObject* object, NPIdentifier name)
{
    auto f = Callback(object, &NPClass::removeProperty);
    return f && f(object, name);
}

bool HasProperty(NPP, NPObject* object, NPIdentifier name)
{
    auto f = Callback(object, &NPClass::hasProperty);
    return f && f(object, name);
}

bool HasMethod(NPP, NPObject* object, NPIdentifier name)
{
    auto f = Callback(object, &NPClass::hasMethod);
    return f && f(object, name);
}

bool Enumerate(NPP, NPObject* object, NPIdentifier** identifiers, std::uint32_t* count)
{
    auto f = Callback(object, &NPClass::enumerate, NP_CLASS_STRUCT_VERSION_ENUM);
    return f && f(object, identifiers, count);
}

bool Construct(NPP, NPObject* object, const NPVariant* args, std::uint32_t count, NPVariant* result)
{
    auto f = Callback(object, &NPClass::construct, NP_CLASS_STRUCT_VERSION_CTOR);
    return f && f(object, args, count, result);
}

void SetException(NPObject*, const NPUTF8* message) { g_exception = message ? message : ""; }

std::string TakeException()
{
    std::string taken;
    taken.swap(g_exception);
    return taken;
}

NPVariant StringVariant(const std::string& text)
{
    NPVariant v;
    auto* chars = static_cast<char*>(MemAlloc(static_cast<std::uint32_t>(text.size() + 1)));
    std::memcpy(chars, text.c_str(), text.size() + 1);
    v.type = NPVariantType_String;
    v.value.stringValue = NPString{chars, static_cast<std::uint32_t>(text.size())};
    return v;
}

std::string VariantText(const NPVariant& value)
{
    if (value.type != NPVariantType_String || !value.value.stringValue.UTF8Characters) return std::string();
    return std::string(value.value.stringValue.UTF8Characters, value.value.stringValue.UTF8Length);
}

}  // namespace TestBrowserRuntime
