// Drag and drop through the real OLE interfaces: drop target, data object, drop source and
// the private format list, fed with real global-memory data.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/DataObject.h"
#include "platform/DragFormats.h"
#include "platform/DropSource.h"
#include "platform/DropTarget.h"
#include "support/DataObjects.h"

namespace {

using Korvel::ComPtr;
using test::Format;

class OleEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_TRUE(DragFormats::Instance().RegisterFormat(kListViewItemFormat));
    }
    void TearDown() override { ::OleUninitialize(); }
};
const auto* const kOle = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

CLIPFORMAT ItemFormat()
{
    return DragFormats::Instance().LookupFormat(kListViewItemFormat).cfFormat;
}

// Records what reached each handler.
class RecordingTarget : public CIDropTargetImpl {
public:
    std::vector<std::wstring> files;
    int fileDrops = 0, bitmapDrops = 0, privateDrops = 0;
    SIZE bitmapSize{};
    int itemId = -1;
    bool throwOnFiles = false;

    void OnDropFiles(HDROP drop) override
    {
        ++fileDrops;
        const UINT n = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < n; ++i) {
            std::wstring name(::DragQueryFileW(drop, i, nullptr, 0), L'\0');
            ::DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size() + 1));
            files.push_back(name);
        }
        if (throwOnFiles) throw std::runtime_error("handler failed");
    }
    void OnDropBitmap(HBITMAP bitmap) override
    {
        ++bitmapDrops;
        BITMAP info{};
        ::GetObjectW(bitmap, sizeof info, &info);
        bitmapSize = {info.bmWidth, info.bmHeight};
    }
    void OnDropPrivate(IDataObject* data, DWORD, POINTL, DWORD*) override
    {
        ++privateDrops;
        ReadItemId(data, &itemId);
    }
    int Drops() const { return fileDrops + bitmapDrops + privateDrops; }
};

struct DragResult {
    DWORD entered, over, dropped;
    HRESULT drop;
};

// One drag over the target and a drop, with the same keys and allowed effects throughout.
DragResult DragAndDrop(CIDropTargetImpl& target, IDataObject* data, DWORD allowed, DWORD keys = 0)
{
    DragResult r{allowed, allowed, allowed, E_FAIL};
    const POINTL pt{10, 10};
    EXPECT_EQ(target.DragEnter(data, keys | MK_LBUTTON, pt, &r.entered), S_OK);
    EXPECT_EQ(target.DragOver(keys | MK_LBUTTON, pt, &r.over), S_OK);
    r.drop = target.Drop(data, keys, pt, &r.dropped);
    return r;
}

const DWORD kCopyMove = DROPEFFECT_COPY | DROPEFFECT_MOVE;

TEST(DragFormats, RegistersOnceAndLooksUpByExactName)
{
    DragFormats& formats = DragFormats::Instance();
    const FORMATETC item = formats.LookupFormat(kListViewItemFormat);
    EXPECT_EQ(item.cfFormat, ::RegisterClipboardFormatW(L"ListViewItem"));
    EXPECT_EQ(item.ptd, nullptr);
    EXPECT_EQ(item.dwAspect, DWORD(DVASPECT_CONTENT));
    EXPECT_EQ(item.lindex, -1);
    EXPECT_EQ(item.tymed, DWORD(TYMED_HGLOBAL));
    EXPECT_TRUE(formats.RegisterFormat(kListViewItemFormat));
    EXPECT_EQ(formats.LookupFormat(kListViewItemFormat).cfFormat, item.cfFormat);

    // The system's names ignore case; ours do not.
    for (const wchar_t* unknown : {L"NoSuchFormat", L"listviewitem", L""}) {
        const FORMATETC f = formats.LookupFormat(unknown);
        EXPECT_EQ(f.cfFormat, 0) << unknown;
        EXPECT_EQ(f.ptd, nullptr);
        EXPECT_EQ(f.dwAspect, DWORD(DVASPECT_CONTENT));
        EXPECT_EQ(f.lindex, -1);
        EXPECT_EQ(f.tymed, DWORD(TYMED_HGLOBAL));
    }
}

TEST(DragFormats, OffersOnlyWhatIsRegistered)
{
    DragFormats& formats = DragFormats::Instance();
    EXPECT_TRUE(formats.Offers(MakeItemDataObject(7).Get()));
    EXPECT_FALSE(formats.Offers(test::OneFormat(CF_UNICODETEXT, {'a', 0, 0, 0}).Get()));
    EXPECT_FALSE(formats.Offers(test::OneFormat(CF_HDROP, test::FileListBytes({L"C:\\a.jpg"})).Get()));
    EXPECT_FALSE(formats.Offers(nullptr));
}

TEST(CustomDataObject, GivesACopyOnlyForItsOwnFormatAspectAndMedium)
{
    const std::vector<BYTE> bytes{1, 2, 3, 4, 5};
    ComPtr<IDataObject> data = test::OneFormat(CF_UNICODETEXT, bytes);
    struct Case {
        const char* what;
        FORMATETC format;
        HRESULT expected;
    } cases[] = {
        {"own format", Format(CF_UNICODETEXT), S_OK},
        {"several media asked", Format(CF_UNICODETEXT, TYMED_HGLOBAL | TYMED_ISTREAM), S_OK},
        {"other format", Format(CF_TEXT), DV_E_FORMATETC},
        {"other medium", Format(CF_UNICODETEXT, TYMED_ISTREAM), DV_E_FORMATETC},
        {"no medium", Format(CF_UNICODETEXT, TYMED_NULL), DV_E_FORMATETC},
        {"other aspect", {CF_UNICODETEXT, nullptr, DVASPECT_THUMBNAIL, -1, TYMED_HGLOBAL}, DV_E_FORMATETC},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(data->QueryGetData(&c.format), c.expected);
        Korvel::StgMedium got;
        ASSERT_EQ(data->GetData(&c.format, got.put()), c.expected);
        if (c.expected != S_OK) {
            got.Detach();
            continue;
        }
        EXPECT_EQ(got->tymed, DWORD(TYMED_HGLOBAL));
        EXPECT_EQ(got->pUnkForRelease, nullptr);
        EXPECT_EQ(::GlobalLock(got->hGlobal), static_cast<void*>(got->hGlobal)) << "a fixed block";
        ::GlobalUnlock(got->hGlobal);
        std::vector<BYTE> copy = test::GlobalBytes(got->hGlobal);
        copy.resize(bytes.size());
        EXPECT_EQ(copy, bytes);
    }

    // Each receiver owns and frees its own block; the object's bytes outlive them.
    FORMATETC f = Format(CF_UNICODETEXT);
    STGMEDIUM first{}, second{};
    ASSERT_EQ(data->GetData(&f, &first), S_OK);
    ASSERT_EQ(data->GetData(&f, &second), S_OK);
    EXPECT_NE(first.hGlobal, second.hGlobal);
    ::ReleaseStgMedium(&first);
    ::ReleaseStgMedium(&second);
    Korvel::StgMedium third;
    ASSERT_EQ(data->GetData(&f, third.put()), S_OK);
    std::vector<BYTE> copy = test::GlobalBytes(third->hGlobal);
    copy.resize(bytes.size());
    EXPECT_EQ(copy, bytes);
}

// A two-byte text block whose release is counted in *released.
STGMEDIUM CountedText(BYTE first, int* released)
{
    STGMEDIUM m{};
    m.tymed = TYMED_HGLOBAL;
    m.hGlobal = test::GlobalCopy({first, 0});
    return test::MediumOwner::Attach(m, released);
}

TEST(CustomDataObject, OwnsTheMediumItWasGiven)
{
    int released = 0;
    auto* object = new CustomDataObject;
    FORMATETC f = Format(CF_UNICODETEXT);
    STGMEDIUM owned = CountedText(1, &released);
    ASSERT_EQ(object->SetData(&f, &owned, TRUE), S_OK);

    // Replacing the data lets go of the first medium at once.
    owned = CountedText(2, &released);
    ASSERT_EQ(object->SetData(&f, &owned, TRUE), S_OK);
    EXPECT_EQ(released, 1);

    EXPECT_EQ(object->AddRef(), 2u);
    EXPECT_EQ(object->Release(), 1u);
    EXPECT_EQ(released, 1);
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_EQ(released, 2);
}

TEST(CustomDataObject, CopiesAMediumTheCallerKeeps)
{
    ComPtr<IDataObject> data(new CustomDataObject, false);
    FORMATETC f = Format(CF_UNICODETEXT);
    STGMEDIUM mine{};
    mine.tymed = TYMED_HGLOBAL;
    mine.hGlobal = test::GlobalCopy({'k', 0, 0, 0});
    ASSERT_EQ(data->SetData(&f, &mine, FALSE), S_OK);
    ::ReleaseStgMedium(&mine);

    Korvel::StgMedium got;
    ASSERT_EQ(data->GetData(&f, got.put()), S_OK);
    EXPECT_EQ(test::GlobalBytes(got->hGlobal).at(0), 'k');
}

TEST(CustomDataObject, CountsReferencesAcrossThreads)
{
    int released = 0;
    auto* object = new CustomDataObject;
    FORMATETC f = Format(CF_UNICODETEXT);
    STGMEDIUM m{};
    m.tymed = TYMED_HGLOBAL;
    m.hGlobal = test::GlobalCopy({1, 0});
    STGMEDIUM owned = test::MediumOwner::Attach(m, &released);
    ASSERT_EQ(object->SetData(&f, &owned, TRUE), S_OK);

    IDataObject* as = nullptr;
    EXPECT_EQ(object->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&as)), E_NOINTERFACE);
    EXPECT_EQ(as, nullptr);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    ASSERT_EQ(object->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&as)), S_OK);
    EXPECT_EQ(static_cast<IUnknown*>(as), unknown);

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                object->AddRef();
                object->Release();
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(released, 0);
    unknown->Release();
    as->Release();
    EXPECT_EQ(released, 0);
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_EQ(released, 1);
}

TEST(DropTarget, AnswersItsInterfacesAndOutlivesItsCount)
{
    RecordingTarget target;
    IUnknown* unknown = nullptr;
    IDropTarget* as = nullptr;
    ASSERT_EQ(target.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    ASSERT_EQ(target.QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&as)), S_OK);
    EXPECT_EQ(static_cast<IUnknown*>(as), unknown);
    void* other = &target;
    EXPECT_EQ(target.QueryInterface(IID_IDataObject, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(unknown->Release(), 2u);
    EXPECT_EQ(as->Release(), 1u);
    // The owner's own reference going too frees nothing: the owner decides.
    EXPECT_EQ(target.Release(), 0u);
    EXPECT_EQ(DragAndDrop(target, MakeItemDataObject(3).Get(), DROPEFFECT_COPY).drop, S_OK);
    EXPECT_EQ(target.itemId, 3);
}

TEST(DropTarget, DeliversADroppedFileList)
{
    const std::vector<std::wstring> names{L"C:\\照片\\家 人.JPG", L"D:\\b.png"};
    struct Case {
        const char* what;
        bool wide;
        std::vector<std::wstring> names;
    } cases[] = {
        {"wide names", true, names},
        {"ANSI names", false, {L"C:\\a.gif", L"C:\\b.bmp"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingTarget target;
        const DragResult r = DragAndDrop(target, test::OneFormat(CF_HDROP, test::FileListBytes(c.names, c.wide)).Get(), kCopyMove);
        EXPECT_EQ(r.entered, DWORD(DROPEFFECT_MOVE));
        EXPECT_EQ(r.drop, S_OK);
        EXPECT_EQ(target.fileDrops, 1);
        EXPECT_EQ(target.files, c.names);
        EXPECT_EQ(target.Drops(), 1);
    }
}

TEST(DropTarget, RefusesFileListsThatAreEmptyOrRunPastTheirBlock)
{
    const std::vector<BYTE> good = test::FileListBytes({L"C:\\a.jpg"});
    auto withFilesAt = [&](DWORD offset) {
        std::vector<BYTE> b = good;
        std::memcpy(b.data(), &offset, sizeof offset);
        return b;
    };
    struct Case {
        const char* what;
        std::vector<BYTE> block;
    } cases[] = {
        {"names start past the end", withFilesAt(0x7FFFFFF0)},
        {"names start at the very end", withFilesAt(static_cast<DWORD>(good.size()))},
        {"list not closed", std::vector<BYTE>(good.begin(), good.end() - 2)},
        {"name not closed", std::vector<BYTE>(good.begin(), good.end() - 4)},
        {"header cut short", std::vector<BYTE>(good.begin(), good.begin() + 8)},
        {"no names at all", test::FileListBytes({})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingTarget target;
        test::MultiFormatSource source;
        source.AddGlobal(CF_HDROP, c.block);
        const DragResult r = DragAndDrop(target, &source, kCopyMove);
        EXPECT_EQ(r.drop, S_OK);
        EXPECT_EQ(target.Drops(), 0);
        EXPECT_EQ(source.released, 1);
    }
}

TEST(DropTarget, ChoosesTheEffectFromKeysAndWhatTheSourceAllows)
{
    struct Case {
        DWORD keys, allowed, expected;
    } cases[] = {
        {0, kCopyMove, DROPEFFECT_MOVE},
        {0, DROPEFFECT_COPY, DROPEFFECT_COPY},
        {0, DROPEFFECT_MOVE, DROPEFFECT_MOVE},
        {0, DROPEFFECT_LINK, DROPEFFECT_NONE},
        {0, DROPEFFECT_NONE, DROPEFFECT_NONE},
        {MK_CONTROL, kCopyMove, DROPEFFECT_COPY},
        {MK_CONTROL, DROPEFFECT_MOVE, DROPEFFECT_MOVE},
        {MK_CONTROL, DROPEFFECT_LINK, DROPEFFECT_NONE},
        {MK_SHIFT, kCopyMove, DROPEFFECT_MOVE},
        {MK_SHIFT, DROPEFFECT_COPY | DROPEFFECT_LINK, DROPEFFECT_COPY},
        {MK_CONTROL | MK_SHIFT, kCopyMove | DROPEFFECT_LINK, DROPEFFECT_COPY},
        {MK_CONTROL | MK_SHIFT, DROPEFFECT_MOVE, DROPEFFECT_MOVE},
    };
    ComPtr<IDataObject> files = test::OneFormat(CF_HDROP, test::FileListBytes({L"C:\\a.jpg"}));
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "keys " << c.keys << " allowed " << c.allowed);
        RecordingTarget target;
        const DragResult r = DragAndDrop(target, files.Get(), c.allowed, c.keys);
        EXPECT_EQ(r.entered, c.expected);
        EXPECT_EQ(r.over, c.expected);
    }
}

TEST(DropTarget, ReportsACopyBackToTheSourceWhateverItShowed)
{
    // A move reported to the shell would have it delete the files just dropped.
    struct Case {
        DWORD keys, allowed, shown, reported;
    } cases[] = {
        {0, kCopyMove, DROPEFFECT_MOVE, DROPEFFECT_COPY},
        {MK_SHIFT, kCopyMove | DROPEFFECT_LINK, DROPEFFECT_MOVE, DROPEFFECT_COPY},
        {0, DROPEFFECT_MOVE, DROPEFFECT_MOVE, DROPEFFECT_NONE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "keys " << c.keys << " allowed " << c.allowed);
        RecordingTarget target;
        const DragResult r = DragAndDrop(target, test::OneFormat(CF_HDROP, test::FileListBytes({L"C:\\a.jpg"})).Get(), c.allowed, c.keys);
        EXPECT_EQ(r.over, c.shown);
        EXPECT_EQ(r.dropped, c.reported);
        EXPECT_EQ(target.fileDrops, 1);
    }
}

TEST(DropTarget, RefusesWhatItCannotTakeAndEverythingWhenDisabled)
{
    ComPtr<IDataObject> files = test::OneFormat(CF_HDROP, test::FileListBytes({L"C:\\a.jpg"}));
    ComPtr<IDataObject> text = test::OneFormat(CF_UNICODETEXT, {'h', 0, 'i', 0, 0, 0});
    ComPtr<IDataObject> item = MakeItemDataObject(1);
    test::MultiFormatSource bitmapOnly;
    bitmapOnly.AddBitmap(4, 4);
    struct Case {
        const char* what;
        IDataObject* data;
        bool enabled;
    } cases[] = {
        {"text", text.Get(), true},
        {"a bare bitmap", &bitmapOnly, true},
        {"no data", nullptr, true},
        {"files, target disabled", files.Get(), false},
        {"item, target disabled", item.Get(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingTarget target;
        target.SetEnabled(c.enabled);
        const DragResult r = DragAndDrop(target, c.data, kCopyMove | DROPEFFECT_LINK);
        EXPECT_EQ(r.entered, DWORD(DROPEFFECT_NONE));
        EXPECT_EQ(r.over, DWORD(DROPEFFECT_NONE));
        EXPECT_EQ(r.dropped, DWORD(DROPEFFECT_NONE));
        EXPECT_EQ(r.drop, S_FALSE);
        EXPECT_EQ(target.Drops(), 0);
    }
    EXPECT_TRUE(bitmapOnly.asked.empty());

    // Enabling again takes effect from the next drag.
    RecordingTarget target;
    target.SetEnabled(false);
    target.SetEnabled(true);
    EXPECT_EQ(DragAndDrop(target, files.Get(), kCopyMove).drop, S_OK);
    EXPECT_EQ(target.fileDrops, 1);
}

TEST(DropTarget, DropWithoutAnAcceptedEnterDoesNothing)
{
    RecordingTarget target;
    DWORD effect = kCopyMove;
    ComPtr<IDataObject> files = test::OneFormat(CF_HDROP, test::FileListBytes({L"C:\\a.jpg"}));
    EXPECT_EQ(target.Drop(files.Get(), 0, POINTL{}, &effect), S_FALSE);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(target.Drops(), 0);
    EXPECT_EQ(target.DragLeave(), S_OK);
}

TEST(DropTarget, DeliversAPrivateItemWithItsIdentifier)
{
    RecordingTarget target;
    const DragResult r = DragAndDrop(target, MakeItemDataObject(0x12345678).Get(), DROPEFFECT_COPY);
    EXPECT_EQ(r.entered, DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(r.drop, S_OK);
    EXPECT_EQ(r.dropped, DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(target.privateDrops, 1);
    EXPECT_EQ(target.itemId, 0x12345678);
    EXPECT_EQ(target.Drops(), 1);
}

TEST(ItemDataObject, CarriesFourBytesAndReadsBackOnlyFromThem)
{
    ComPtr<IDataObject> item = MakeItemDataObject(-5);
    ASSERT_TRUE(item);
    FORMATETC f = Format(ItemFormat());
    Korvel::StgMedium m;
    ASSERT_EQ(item->GetData(&f, m.put()), S_OK);
    EXPECT_GE(::GlobalSize(m->hGlobal), 4u);
    int id = 0;
    std::memcpy(&id, test::GlobalBytes(m->hGlobal).data(), sizeof id);
    EXPECT_EQ(id, -5);

    int read = 99;
    EXPECT_TRUE(ReadItemId(item.Get(), &read));
    EXPECT_EQ(read, -5);
    read = 99;
    EXPECT_FALSE(ReadItemId(test::OneFormat(ItemFormat(), {1, 2}).Get(), &read)) << "short block";
    EXPECT_FALSE(ReadItemId(test::OneFormat(CF_UNICODETEXT, {1, 2, 3, 4}).Get(), &read));
    EXPECT_FALSE(ReadItemId(nullptr, &read));
    EXPECT_EQ(read, 99);
}

TEST(DropTarget, TakesFilesFirstThenABitmapThenThePrivateFormat)
{
    {
        SCOPED_TRACE("files and bitmap");
        test::MultiFormatSource source;
        source.AddBitmap(3, 2);
        source.AddGlobal(CF_HDROP, test::FileListBytes({L"C:\\a.jpg"}));
        RecordingTarget target;
        EXPECT_EQ(DragAndDrop(target, &source, DROPEFFECT_COPY).drop, S_OK);
        EXPECT_EQ(target.fileDrops, 1);
        EXPECT_EQ(target.Drops(), 1);
        EXPECT_EQ(source.asked, std::vector<CLIPFORMAT>{CF_HDROP});
        EXPECT_EQ(source.released, 1);
    }
    {
        SCOPED_TRACE("item and bitmap");
        test::MultiFormatSource source;
        source.AddGlobal(ItemFormat(), {9, 0, 0, 0});
        source.AddBitmap(3, 2);
        RecordingTarget target;
        EXPECT_EQ(DragAndDrop(target, &source, DROPEFFECT_COPY).drop, S_OK);
        EXPECT_EQ(target.bitmapDrops, 1);
        EXPECT_EQ(target.bitmapSize.cx, 3);
        EXPECT_EQ(target.bitmapSize.cy, 2);
        EXPECT_EQ(target.Drops(), 1);
        EXPECT_EQ(source.released, 1);
    }
    {
        SCOPED_TRACE("item alone");
        test::MultiFormatSource source;
        source.AddGlobal(ItemFormat(), {9, 0, 0, 0});
        RecordingTarget target;
        EXPECT_EQ(DragAndDrop(target, &source, DROPEFFECT_COPY).drop, S_OK);
        EXPECT_EQ(target.privateDrops, 1);
        EXPECT_EQ(target.itemId, 9);
        EXPECT_EQ(source.released, 1) << "the handler's own read";
    }
}

TEST(DropTarget, AFailingHandlerStaysInsideTheDropAndTheMediumIsReleased)
{
    test::MultiFormatSource source;
    source.AddGlobal(CF_HDROP, test::FileListBytes({L"C:\\a.jpg"}));
    RecordingTarget target;
    target.throwOnFiles = true;
    const DragResult r = DragAndDrop(target, &source, DROPEFFECT_COPY);
    EXPECT_TRUE(FAILED(r.drop));
    EXPECT_EQ(target.fileDrops, 1);
    EXPECT_EQ(source.released, 1);
}

TEST(DropSource, ContinuesUntilTheButtonIsReleasedOrEscapeIsPressed)
{
    ComPtr<IDropSource> source(new IDropSourceImpl, false);
    struct Case {
        BOOL escape;
        DWORD keys;
        HRESULT expected;
    } cases[] = {
        {FALSE, MK_LBUTTON, S_OK},
        {FALSE, MK_LBUTTON | MK_CONTROL, S_OK},
        {FALSE, 0, DRAGDROP_S_DROP},
        {FALSE, MK_RBUTTON, DRAGDROP_S_DROP},
        {TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
        {TRUE, 0, DRAGDROP_S_CANCEL},
    };
    for (const Case& c : cases)
        EXPECT_EQ(source->QueryContinueDrag(c.escape, c.keys), c.expected) << c.escape << " " << c.keys;
    EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(source->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    unknown->Release();
    void* other = source.Get();
    EXPECT_EQ(source->QueryInterface(IID_IDropTarget, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
}

TEST(OleDrager, KeepsTheArmedDataUntilDisarmed)
{
    int released = 0;
    auto* object = new CustomDataObject;
    FORMATETC f = Format(CF_UNICODETEXT);
    STGMEDIUM owned = CountedText(1, &released);
    ASSERT_EQ(object->SetData(&f, &owned, TRUE), S_OK);

    OleDrager drager;
    EXPECT_FALSE(drager.IsArmed());
    drager.Arm(nullptr);
    EXPECT_FALSE(drager.IsArmed());
    DWORD effect = DROPEFFECT_MOVE;
    EXPECT_EQ(drager.StartDrag(nullptr, &effect), S_FALSE) << "nothing armed, no drag loop";
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));

    drager.Arm(object);
    object->Release();
    EXPECT_TRUE(drager.IsArmed());
    EXPECT_EQ(released, 0);
    drager.Disarm();
    EXPECT_FALSE(drager.IsArmed());
    EXPECT_EQ(released, 1);
}

}  // namespace
