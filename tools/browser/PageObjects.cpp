#include "browser/PageObjects.h"

#include <new>

#include "browser/BrowserObjects.h"

namespace PageObjects {

namespace Runtime = TestBrowserRuntime;

namespace {

// One class per kind of page object; the object is its NPObject plus what it holds.
struct ArrayObject : NPObject {
    std::vector<NPVariant> items;
};

NPObject* __cdecl AllocateArray(NPP, NPClass*) { return new (std::nothrow) ArrayObject(); }

void __cdecl DeallocateArray(NPObject* object)
{
    auto* array = static_cast<ArrayObject*>(object);
    for (NPVariant& item : array->items) Runtime::ReleaseVariantValue(&item);
    delete array;
}

bool Is(NPIdentifier name, const char* text) { return Runtime::IdentifierName(name) == text; }

NPVariant Copy(const NPVariant& value)
{
    if (value.type == NPVariantType_String) return Runtime::StringVariant(Runtime::VariantText(value));
    if (value.type == NPVariantType_Object) Runtime::RetainObject(value.value.objectValue);
    return value;
}

bool __cdecl ArrayHasMethod(NPObject*, NPIdentifier name) { return Is(name, "push"); }

bool __cdecl ArrayInvoke(NPObject* object, NPIdentifier name, const NPVariant* args, std::uint32_t count,
                         NPVariant* result)
{
    if (!Is(name, "push")) return false;
    auto* array = static_cast<ArrayObject*>(object);
    for (std::uint32_t i = 0; i < count; ++i) array->items.push_back(Copy(args[i]));
    result->type = NPVariantType_Int32;
    result->value.intValue = static_cast<std::int32_t>(array->items.size());
    return true;
}

bool __cdecl ArrayHasProperty(NPObject* object, NPIdentifier name)
{
    const auto& items = static_cast<ArrayObject*>(object)->items;
    if (Runtime::IdentifierIsString(name)) return Is(name, "length");
    const std::int32_t index = Runtime::IntFromIdentifier(name);
    return index >= 0 && static_cast<std::size_t>(index) < items.size();
}

bool __cdecl ArrayGetProperty(NPObject* object, NPIdentifier name, NPVariant* result)
{
    if (!ArrayHasProperty(object, name)) return false;
    const auto& items = static_cast<ArrayObject*>(object)->items;
    if (Is(name, "length")) {
        result->type = NPVariantType_Int32;
        result->value.intValue = static_cast<std::int32_t>(items.size());
    } else {
        *result = Copy(items[static_cast<std::size_t>(Runtime::IntFromIdentifier(name))]);
    }
    return true;
}

NPClass g_arrayClass{NP_CLASS_STRUCT_VERSION, &AllocateArray, &DeallocateArray, nullptr, &ArrayHasMethod,
                     &ArrayInvoke, nullptr, &ArrayHasProperty, &ArrayGetProperty, nullptr, nullptr, nullptr,
                     nullptr};

bool __cdecl WindowHasMethod(NPObject*, NPIdentifier name) { return Is(name, "Array"); }

bool __cdecl WindowInvoke(NPObject*, NPIdentifier name, const NPVariant* args, std::uint32_t count,
                          NPVariant* result)
{
    if (!Is(name, "Array")) return false;
    NPObject* array = Runtime::CreateObject(nullptr, &g_arrayClass);
    if (!array) return false;
    NPVariant ignored;
    ArrayInvoke(array, Runtime::GetStringIdentifier("push"), args, count, &ignored);
    result->type = NPVariantType_Object;
    result->value.objectValue = array;
    return true;
}

NPClass g_windowClass{NP_CLASS_STRUCT_VERSION, nullptr, nullptr, nullptr, &WindowHasMethod, &WindowInvoke, nullptr,
                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

}  // namespace

NPObject* NewWindow(NPP npp) { return Runtime::CreateObject(npp, &g_windowClass); }

bool IsArray(NPObject* object) { return object && object->_class == &g_arrayClass; }

std::vector<std::string> ArrayTexts(NPObject* array)
{
    std::vector<std::string> texts;
    if (!IsArray(array)) return texts;
    for (const NPVariant& item : static_cast<ArrayObject*>(array)->items) texts.push_back(Runtime::VariantText(item));
    return texts;
}

}  // namespace PageObjects
