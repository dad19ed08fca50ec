#pragma once
// The page's side in plug-in tests: a function object that records how it was called, and
// short ways to write, read and call members of the plug-in's scriptable object the way a
// browser does.
#include <windows.h>

#include <new>
#include <string>
#include <vector>

#include "browser/BrowserObjects.h"
#include "browser/TestBrowser.h"
#include "npapi/NpApi.h"
#include "support/MessagePump.h"

namespace test {

namespace Runtime = TestBrowserRuntime;

// A page function: each call's arguments (types, integers, objects) are kept.
struct RecordingFunction : NPObject {
    struct Call {
        std::vector<NPVariantType> types;
        std::vector<std::int32_t> integers;
        std::vector<NPObject*> objects;
        DWORD thread;
    };
    std::vector<Call> calls;

    static NPClass* Class()
    {
        static NPClass theClass{NP_CLASS_STRUCT_VERSION, &Allocate, &Deallocate, nullptr, nullptr, nullptr,
                                &InvokeDefault, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
        return &theClass;
    }
    static RecordingFunction* New() { return static_cast<RecordingFunction*>(Runtime::CreateObject(nullptr, Class())); }

private:
    static NPObject* __cdecl Allocate(NPP, NPClass*) { return new (std::nothrow) RecordingFunction(); }
    static void __cdecl Deallocate(NPObject* object) { delete static_cast<RecordingFunction*>(object); }
    static bool __cdecl InvokeDefault(NPObject* object, const NPVariant* args, std::uint32_t count, NPVariant* result)
    {
        Call call{{}, {}, {}, ::GetCurrentThreadId()};
        for (std::uint32_t i = 0; i < count; ++i) {
            call.types.push_back(args[i].type);
            call.integers.push_back(args[i].type == NPVariantType_Int32 ? args[i].value.intValue : 0);
            call.objects.push_back(args[i].type == NPVariantType_Object ? args[i].value.objectValue : nullptr);
        }
        static_cast<RecordingFunction*>(object)->calls.push_back(call);
        result->type = NPVariantType_Void;
        return true;
    }
};

inline NPVariant Int(std::int32_t n)
{
    NPVariant v;
    v.type = NPVariantType_Int32;
    v.value.intValue = n;
    return v;
}
inline NPVariant Dbl(double d)
{
    NPVariant v;
    v.type = NPVariantType_Double;
    v.value.doubleValue = d;
    return v;
}
inline NPVariant Bool(bool b)
{
    NPVariant v;
    v.type = NPVariantType_Bool;
    v.value.boolValue = b;
    return v;
}
inline NPVariant Obj(NPObject* object)
{
    NPVariant v;
    v.type = NPVariantType_Object;
    v.value.objectValue = object;
    return v;
}
inline NPVariant Null()
{
    NPVariant v;
    v.type = NPVariantType_Null;
    v.value.objectValue = nullptr;
    return v;
}
// A string over a literal the test keeps (a browser passes its own memory in).
inline NPVariant Str(const char* text)
{
    NPVariant v;
    v.type = NPVariantType_String;
    v.value.stringValue = NPString{text, static_cast<std::uint32_t>(std::char_traits<char>::length(text))};
    return v;
}

inline NPIdentifier Id(const char* name) { return Runtime::GetStringIdentifier(name); }

inline bool Put(NPObject* object, const char* name, const NPVariant& value)
{
    return Runtime::SetProperty(nullptr, object, Id(name), &value);
}

// A property's value when it can be read; the text of a string.
struct Read {
    bool ok;
    NPVariant value;
    std::string text;
};
inline Read Get(NPObject* object, const char* name)
{
    Read read{};
    read.value.type = NPVariantType_Void;
    read.ok = Runtime::GetProperty(nullptr, object, Id(name), &read.value);
    read.text = Runtime::VariantText(read.value);
    return read;
}

inline bool Call(NPObject* object, const char* name, const std::vector<NPVariant>& args, NPVariant* result)
{
    result->type = NPVariantType_Void;
    return Runtime::Invoke(nullptr, object, Id(name), args.data(), static_cast<std::uint32_t>(args.size()), result);
}

// A browser with one instance of the plug-in in a page window of its own, given its window.
struct Embedded {
    explicit Embedded(TestBrowser& browser, int width = 760, int height = 520)
        : instance(browser, nullptr, RECT{0, 0, width, height})
    {
        created = instance.New();
        windowed = instance.SetWindow();
        script = instance.ScriptableObject();
        PumpFor(20);
    }
    ~Embedded()
    {
        Runtime::ReleaseObject(script);
        instance.Destroy();
        PumpFor(10);
    }
    PluginInstance instance;
    NPError created, windowed;
    NPObject* script = nullptr;
};

}  // namespace test
