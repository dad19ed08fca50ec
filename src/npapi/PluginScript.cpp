// The script surface of one instance: a table of property handlers and one of method
// handlers, keyed by the browser's identifiers, and the conversions between the page's
// values and the panel's settings. Texts from the page are UTF-8 and are kept as they come
// (they reach the upload body unchanged), except the folder, which the file system reads in
// the ANSI code page; texts to the page are UTF-8.
#include <boost/bind/bind.hpp>

#include "npapi/Browser.h"
#include "npapi/Plugin.h"
#include "npapi/Variants.h"
#include "platform/TextConv.h"

using namespace boost::placeholders;
namespace Text = Korvel::Text;

namespace {

void __cdecl Retain(void* object) { NPN_RetainObject(static_cast<NPObject*>(object)); }
void __cdecl Release(void* object) { NPN_ReleaseObject(static_cast<NPObject*>(object)); }
const ScriptObjectOps kObjectOps{&Retain, &Release};

// A property handler that only accepts writes (one value) or only reads (a result).
template <class F>
CPlugin::Handler WriteOnly(F put)
{
    return [put](const NPVariant* in, std::uint32_t count, NPVariant*) { return count == 1 && in && put(in); };
}
template <class F>
CPlugin::Handler ReadOnly(F get)
{
    return [get](const NPVariant*, std::uint32_t count, NPVariant* out) { return count == 0 && out && get(out); };
}

}  // namespace

NPIdentifier CPlugin::Identifier(const char* name) { return NPN_GetStringIdentifier(name); }

void CPlugin::AddProperty(const char* name, Handler handler)
{
    if (NPIdentifier id = Identifier(name)) PropertyTable[id] = std::move(handler);
}

void CPlugin::AddMethod(const char* name, Handler handler)
{
    if (NPIdentifier id = Identifier(name)) MethodTable[id] = std::move(handler);
}

void CPlugin::FillTables()
{
    using S = PanelSettings;
    AddProperty("Object", WriteOnly(boost::bind(&CPlugin::PutObjectProperty, this, &S::PutObject, _1)));
    AddProperty("Debug", WriteOnly(boost::bind(&CPlugin::PutBoolean, this, &S::PutDebug, _1)));
    AddProperty("LogFile", WriteOnly(boost::bind(&CPlugin::PutText, this, &S::PutLogFile, _1)));
    AddProperty("Response", ReadOnly(boost::bind(&CPlugin::GetResponse, this, _1)));
    AddProperty("Version", ReadOnly(boost::bind(&CPlugin::GetVersion, this, _1)));
    AddProperty("PostUrl", WriteOnly(boost::bind(&CPlugin::PutText, this, &S::PutPostUrl, _1)));
    AddProperty("EncodeType", WriteOnly(boost::bind(&CPlugin::PutText, this, &S::PutEncodeType, _1)));
    AddProperty("FileSizeLimit", WriteOnly(boost::bind(&CPlugin::PutFileSizeLimit, this, _1)));
    AddProperty("FileFieldName", WriteOnly(boost::bind(&CPlugin::PutText, this, &S::PutFileFieldName, _1)));
    AddProperty("PostFileLimit", WriteOnly(boost::bind(&CPlugin::PutShort, this, &S::PutPostFileLimit, _1)));
    AddProperty("JpegQuality", WriteOnly(boost::bind(&CPlugin::PutShort, this, &S::PutJpegQuality, _1)));
    AddProperty("ThumbnailWidth", WriteOnly(boost::bind(&CPlugin::PutShort, this, &S::PutThumbnailWidth, _1)));
    AddProperty("ThumbnailHeight", WriteOnly(boost::bind(&CPlugin::PutShort, this, &S::PutThumbnailHeight, _1)));
    AddProperty("Watermark", WriteOnly(boost::bind(&CPlugin::PutBoolean, this, &S::PutWatermark, _1)));
    AddProperty("ImageUploadType", WriteOnly(boost::bind(&CPlugin::PutText, this, &S::PutImageUploadType, _1)));
    AddProperty("DefaultFolder", WriteOnly(boost::bind(&CPlugin::PutDefaultFolder, this, _1)));
    AddProperty("OnError", WriteOnly(boost::bind(&CPlugin::PutObjectProperty, this, &S::PutOnError, _1)));
    AddProperty("AfterImagesPosted",
                WriteOnly(boost::bind(&CPlugin::PutObjectProperty, this, &S::PutAfterImagesPosted, _1)));

    // A bound handler ignores the arguments it does not name.
    AddMethod("ClearFields", boost::bind(&CPlugin::ClearFields, this));
    AddMethod("AddField", boost::bind(&CPlugin::AddField, this, _1, _2));
    AddMethod("GetPostedFiles", boost::bind(&CPlugin::GetPostedFiles, this, _3));
}

bool CPlugin::GetProperty(NPIdentifier name, NPVariant& result)
{
    const auto found = PropertyTable.find(name);
    return found != PropertyTable.end() && found->second(nullptr, 0, &result);
}

bool CPlugin::SetProperty(NPIdentifier name, const NPVariant& value)
{
    const auto found = PropertyTable.find(name);
    return found != PropertyTable.end() && found->second(&value, 1, nullptr);
}

bool CPlugin::Invoke(NPIdentifier name, const NPVariant* args, std::uint32_t count, NPVariant& result)
{
    const auto found = MethodTable.find(name);
    if (found == MethodTable.end()) return false;
    Variants::SetVoid(result);
    return found->second(args, count, &result);
}

// ---- properties ----

bool CPlugin::PutObjectProperty(void (PanelSettings::*put)(void*, const ScriptObjectOps*), const NPVariant* in)
{
    if (in->type != NPVariantType_Object || !in->value.objectValue) return false;
    (panel_.*put)(in->value.objectValue, &kObjectOps);
    return true;
}

bool CPlugin::PutText(void (PanelSettings::*put)(const TChar*), const NPVariant* in)
{
    if (in->type != NPVariantType_String) return false;
    (panel_.*put)(Variants::Bytes(in->value.stringValue).c_str());
    return true;
}

bool CPlugin::PutBoolean(void (PanelSettings::*put)(std::int16_t), const NPVariant* in)
{
    if (in->type != NPVariantType_Bool) return false;
    (panel_.*put)(in->value.boolValue ? -1 : 0);
    return true;
}

bool CPlugin::PutDefaultFolder(const NPVariant* in)
{
    if (in->type != NPVariantType_String) return false;
    const std::string utf8 = Variants::Bytes(in->value.stringValue);
    panel_.PutDefaultFolder(Text::AnsiFromWide(Text::WideFromUtf8(utf8)).c_str());
    return true;
}

bool CPlugin::PutFileSizeLimit(const NPVariant* in)
{
    panel_.PutFileSizeLimit(Variants::ToInteger(*in));
    return true;
}

bool CPlugin::PutShort(void (PanelSettings::*put)(std::uint16_t), const NPVariant* in)
{
    (panel_.*put)(static_cast<std::uint16_t>(Variants::ToInteger(*in)));
    return true;
}

bool CPlugin::GetResponse(NPVariant* out)
{
    return Variants::SetString(*out, Text::Utf8FromWide(Text::WideFromAnsi(panel_.Response())));
}

bool CPlugin::GetVersion(NPVariant* out) { return Variants::SetString(*out, PanelSettings::Version()); }

// ---- methods ----

bool CPlugin::ClearFields()
{
    panel_.ClearFields();
    return true;
}

bool CPlugin::AddField(const NPVariant* args, std::uint32_t count)
{
    if (count < 2 || args[0].type != NPVariantType_String) return false;
    const std::string name = Variants::Bytes(args[0].value.stringValue);
    if (args[1].type == NPVariantType_String) {
        panel_.AddField(name.c_str(), Variants::Bytes(args[1].value.stringValue).c_str());
        return true;
    }
    if (const auto number = Variants::WholeNumber(args[1])) {
        panel_.AddField(name.c_str(), *number);
        return true;
    }
    return false;
}

bool CPlugin::GetPostedFiles(NPVariant* out)
{
    if (!windowObject_) return false;
    NPVariant array;
    Variants::SetVoid(array);
    if (!NPN_Invoke(instance_, windowObject_, Identifier("Array"), nullptr, 0, &array)) return false;
    if (array.type != NPVariantType_Object || !array.value.objectValue) {
        NPN_ReleaseVariantValue(&array);
        return false;
    }
    // An entry leaves the list once the array holds it; what could not be added stays.
    const NPIdentifier push = Identifier("push");
    std::vector<TString> files = panel_.TakePostedFiles();
    std::size_t pushed = 0;
    for (; pushed < files.size(); ++pushed) {
        const std::string utf8 = Text::Utf8FromWide(Text::WideFromAnsi(files[pushed]));
        const NPVariant text = Variants::Borrowed(utf8);
        NPVariant ignored;
        Variants::SetVoid(ignored);
        if (!NPN_Invoke(instance_, array.value.objectValue, push, &text, 1, &ignored)) break;
        NPN_ReleaseVariantValue(&ignored);
    }
    for (std::size_t i = pushed; i < files.size(); ++i) panel_.AppendPostedFile(files[i]);
    if (pushed < files.size()) {
        NPN_ReleaseVariantValue(&array);
        return false;
    }
    *out = array;
    return true;
}
