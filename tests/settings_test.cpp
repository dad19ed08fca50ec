// The script surface of one panel: what each assignment stores, where it is stored, and
// what two panels in one process share.
#include <gtest/gtest.h>

#include <vector>

#include "Biz/AppState.h"
#include "Biz/ConfigMgr.h"
#include "Biz/PanelSettings.h"

namespace {

class PanelSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ConfigMgr::Instance()->ResetToDefaults(); }
    void TearDown() override { ConfigMgr::Instance()->ResetToDefaults(); }
};

TEST_F(PanelSettingsTest, NewPanelHasTheDocumentedDefaults)
{
    PanelSettings panel;
    EXPECT_EQ(TString(PanelSettings::Version()), SF_T("2,7,90,31475"));
    EXPECT_TRUE(panel.PostUrl().empty());
#if defined(SF_WIDE)
    EXPECT_EQ(panel.EncodeType(), L"UTF-8");
#else
    EXPECT_EQ(panel.EncodeType(), "utf-8");
#endif
    EXPECT_EQ(panel.FileSizeLimit(), 0);
    EXPECT_EQ(panel.HardSizeLimit(), 10485760);
    EXPECT_FALSE(panel.Debug());
    EXPECT_EQ(panel.Object(), nullptr);
    EXPECT_TRUE(panel.ExtraFields().empty());
    EXPECT_TRUE(panel.PostedFiles().empty());
}

TEST_F(PanelSettingsTest, TwoPanelsShareImageSettingsButNotTheirAddresses)
{
    PanelSettings first, second;
    first.PutJpegQuality(55);
    first.PutPostUrl(SF_T("http://127.0.0.1/a"));
    first.PutEncodeType(SF_T("GB2312"));
    first.PutFileSizeLimit(1000);
    second.PutThumbnailWidth(800);

    EXPECT_EQ(ConfigMgr::Instance()->JpegQuality(), 55);
    EXPECT_EQ(ConfigMgr::Instance()->ThumbnailWidth(), 800);
    EXPECT_TRUE(second.PostUrl().empty());
    EXPECT_EQ(second.FileSizeLimit(), 0);
    EXPECT_NE(second.EncodeType(), first.EncodeType());
}

TEST_F(PanelSettingsTest, AssignmentsConvertAsTheScriptSurfaceSays)
{
    PanelSettings panel;
    ConfigMgr* config = ConfigMgr::Instance();

    panel.PutJpegQuality(300);
    EXPECT_EQ(config->JpegQuality(), 300);
    panel.PutPostFileLimit(65535);
    EXPECT_EQ(config->PostFileLimit(), 65535);
    panel.PutThumbnailHeight(40000);
    EXPECT_EQ(config->ThumbnailHeight(), 40000);
    panel.PutFileSizeLimit(-5);
    EXPECT_EQ(panel.FileSizeLimit(), -5);  // stored as given; the run treats it as no limit

    // Only VARIANT_TRUE counts as true.
    const struct {
        std::int16_t value;
        bool on;
    } booleans[] = {{-1, true}, {1, false}, {0, false}, {2, false}, {-2, false}};
    for (auto b : booleans) {
        panel.PutWatermark(b.value);
        EXPECT_EQ(config->Watermark(), b.on) << b.value;
        panel.PutDebug(b.value);
        EXPECT_EQ(panel.Debug(), b.on) << b.value;
    }
    panel.PutDebug(0);

    panel.PutImageUploadType(SF_T("PNG"));
#if defined(SF_WIDE)
    EXPECT_EQ(config->ImageUploadType(), L"png");
#else
    EXPECT_EQ(config->ImageUploadType(), "PNG");
#endif
    panel.PutEncodeType(SF_T("GB2312"));
#if defined(SF_WIDE)
    EXPECT_EQ(panel.EncodeType(), L"GB2312");
#else
    EXPECT_EQ(panel.EncodeType(), "gb2312");
#endif

    // Null strings arrive as empty text.
    panel.PutPostUrl(nullptr);
    panel.PutFileFieldName(nullptr);
    panel.PutDefaultFolder(nullptr);
    EXPECT_TRUE(panel.PostUrl().empty());
    EXPECT_TRUE(config->FileFieldName().empty());
    EXPECT_TRUE(config->DefaultFolder().empty());
    panel.PutPostUrl(SF_T("http://127.0.0.1:8080/up?x=1&y=%20"));
    EXPECT_EQ(panel.PostUrl(), SF_T("http://127.0.0.1:8080/up?x=1&y=%20"));
}

TEST_F(PanelSettingsTest, ExtraFieldsAreOrderedByNameAndReplaced)
{
    PanelSettings panel;
    panel.AddField(SF_T("a"), SF_T("1"));
    panel.AddField(SF_T("B"), SF_T("2"));
    panel.AddField(SF_T("a"), SF_T("3"));
    panel.AddField(SF_T("ab"), nullptr);
    panel.AddField(SF_T("uid"), 5);
    std::vector<std::pair<TString, TString>> fields(panel.ExtraFields().begin(), panel.ExtraFields().end());
    EXPECT_EQ(fields, (std::vector<std::pair<TString, TString>>{
                          {SF_T("B"), SF_T("2")}, {SF_T("a"), SF_T("3")}, {SF_T("ab"), SF_T("")}, {SF_T("uid"), SF_T("5")}}));
    panel.AddField(SF_T("uid"), SF_T("x"));
    EXPECT_EQ(panel.ExtraFields().at(SF_T("uid")), SF_T("x"));
    panel.AddField(SF_T("n"), -12);
    EXPECT_EQ(panel.ExtraFields().at(SF_T("n")), SF_T("-12"));

    panel.ClearFields();
    EXPECT_TRUE(panel.ExtraFields().empty());
}

TEST_F(PanelSettingsTest, PostedFilesKeepArrivalOrderAndCanBeTakenOnce)
{
    PanelSettings panel;
    panel.AppendPostedFile(SF_T("ok 2"));
    panel.AppendPostedFile(SF_T("ok 1"));
    EXPECT_EQ(panel.PostedFiles(), (std::vector<TString>{SF_T("ok 2"), SF_T("ok 1")}));
    EXPECT_EQ(panel.TakePostedFiles().size(), 2u);
    EXPECT_TRUE(panel.TakePostedFiles().empty());
}

int g_refs = 0;
const ScriptObjectOps kCounting{[](void*) { ++g_refs; }, [](void*) { --g_refs; }};

TEST_F(PanelSettingsTest, ScriptObjectsAreHeldUntilThePanelGoes)
{
    int object = 0, onError = 0, after = 0;
    {
        PanelSettings panel;
        panel.PutObject(&object, &kCounting);
        panel.PutOnError(&onError, &kCounting);
        panel.PutAfterImagesPosted(&after, &kCounting);
        panel.PutAfterImagesPosted(&after, &kCounting);
        EXPECT_EQ(g_refs, 3);
        EXPECT_EQ(panel.OnError(), &onError);
        panel.PutObject(nullptr, nullptr);
        EXPECT_EQ(g_refs, 2);
        EXPECT_EQ(panel.Object(), nullptr);
    }
    EXPECT_EQ(g_refs, 0);
}

TEST(AppStateTest, MovesBetweenPostingAndStoppedButNeverBackToIdle)
{
    AppState* state = AppState::Instance();
    EXPECT_EQ(state, AppState::Instance());
    EXPECT_EQ(state->State(), Idle);
    EXPECT_FALSE(state->IsPosting());
    EXPECT_FALSE(state->IsStopped());
    state->SetPosting();
    EXPECT_TRUE(state->IsPosting());
    state->SetStopped();
    EXPECT_TRUE(state->IsStopped());
    EXPECT_FALSE(state->IsPosting());
}

}  // namespace
