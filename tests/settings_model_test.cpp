// Settings pieces that need no Windows: the process-wide store, the flavour rules, field
// ordering, counted script references and the zero-terminated buffer.
#include <gtest/gtest.h>

#include "Biz/ConfigMgr.h"
#include "Biz/Flavour.h"
#include "Biz/PanelSettings.h"
#include "platform/Memory.h"

namespace {

TEST(ConfigMgr, StartsWithTheProductDefaultsAndIsOnePerProcess)
{
    ConfigMgr* config = ConfigMgr::Instance();
    config->ResetToDefaults();
    EXPECT_EQ(config, ConfigMgr::Instance());
    EXPECT_FALSE(config->Watermark());
    EXPECT_EQ(config->JpegQuality(), 80);
    EXPECT_EQ(config->PostFileLimit(), 0);
    EXPECT_EQ(config->MaxImageCount(), 100);
    EXPECT_EQ(config->ThumbnailWidth(), 0);
    EXPECT_EQ(config->ThumbnailHeight(), 0);
    EXPECT_EQ(config->FileFieldName(), SF_T("img"));
    EXPECT_TRUE(config->ImageUploadType().empty());
    EXPECT_TRUE(config->DefaultFolder().empty());
}

TEST(ConfigMgr, KeepsSixteenBitValuesWhole)
{
    ConfigMgr* config = ConfigMgr::Instance();
    config->SetJpegQuality(300);  // the encoder later takes the low 8 bits; storage keeps 300
    config->SetThumbnailWidth(65535);
    EXPECT_EQ(config->JpegQuality(), 300);
    EXPECT_EQ(config->ThumbnailWidth(), 65535);  // widened, not sign-extended
    config->ResetToDefaults();
}

TEST(Flavour, StoresTypeAndCharsetAsEachDeliverableDoes)
{
#if defined(SF_WIDE)
    EXPECT_EQ(Flavour::StoredImageUploadType(L"PNG"), L"png");
    EXPECT_EQ(Flavour::StoredEncodeType(L"GB2312"), L"GB2312");
    EXPECT_EQ(Flavour::InitialEncodeType(), L"UTF-8");
#else
    EXPECT_EQ(Flavour::StoredImageUploadType("PNG"), "PNG");
    EXPECT_EQ(Flavour::StoredEncodeType("GB2312"), "gb2312");
    EXPECT_EQ(Flavour::InitialEncodeType(), "utf-8");
    // Script text arrives as UTF-8: its multi-byte sequences keep their bytes ("ÉZ").
    EXPECT_EQ(Flavour::Lower("\xC3\x89Z"), "\xC3\x89z");
#endif
}

TEST(ExtraFieldOrder, ComparesCodeUnitsAsUnsignedValues)
{
    CodeUnitLess less;
    struct Case {
        TString a, b;
        bool aFirst;
    } cases[] = {
        {SF_T("B"), SF_T("a"), true},        // upper case before lower case
        {SF_T("a"), SF_T("ab"), true},       // a prefix sorts first
        {SF_T("ab"), SF_T("a"), false},
        {SF_T("a"), SF_T("a"), false},
        {SF_T("z"), TString(1, static_cast<TChar>(0xC0)), true},  // unsigned: 0xC0 after 'z'
    };
    for (const Case& c : cases) EXPECT_EQ(less(c.a, c.b), c.aFirst);
}

struct CountedObject {
    int refs = 1;
    std::vector<std::string>* journal;
};
void Retain(void* p)
{
    auto* o = static_cast<CountedObject*>(p);
    ++o->refs;
    o->journal->push_back("retain");
}
void Release(void* p)
{
    auto* o = static_cast<CountedObject*>(p);
    --o->refs;
    o->journal->push_back("release");
}
const ScriptObjectOps kOps{&Retain, &Release};

TEST(ScriptRef, TakesTheNewReferenceBeforeDroppingTheOld)
{
    std::vector<std::string> journal;
    CountedObject first{1, &journal}, second{1, &journal};
    {
        ScriptRef ref;
        ref.Assign(&first, &kOps);
        ref.Assign(&first, &kOps);  // the same object: nothing happens
        EXPECT_EQ(first.refs, 2);
        ref.Assign(&second, &kOps);
        EXPECT_EQ(first.refs, 1);
        EXPECT_EQ(second.refs, 2);
        EXPECT_EQ(ref.Get(), &second);
    }
    EXPECT_EQ(second.refs, 1);  // released with the holder
    EXPECT_EQ(journal, (std::vector<std::string>{"retain", "retain", "release", "release"}));
}

TEST(Memory, AlwaysEndsInAZeroByte)
{
    Korvel::System::Memory empty;
    EXPECT_EQ(empty.Size(), 0);
    EXPECT_EQ(empty.Data(), nullptr);

    Korvel::System::Memory zero(0);
    ASSERT_NE(zero.Data(), nullptr);
    EXPECT_EQ(zero.Data()[0], 0);

    Korvel::System::Memory m(4);
    std::memcpy(m.Data(), "abcd", 4);
    EXPECT_STREQ(reinterpret_cast<const char*>(m.Data()), "abcd");
    EXPECT_EQ(*m.At(2), 'c');
    m.Clear();
    EXPECT_EQ(m.Data()[3], 0);
    m.Allocate(2);
    EXPECT_EQ(m.Size(), 2);
    EXPECT_EQ(m.Data()[2], 0);
}

}  // namespace
