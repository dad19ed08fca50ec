// Address splitting, the speed estimate with a controllable tick counter, and the speed and
// remaining-time texts.
#include <gtest/gtest.h>

#include "Network/Codepage.h"
#include "Network/Speed.h"
#include "Network/Url.h"
#include "Network/WireText.h"

namespace {

std::string Wire(const TString& text) { return Network::AnsiBytes(text); }

TEST(SplitUrlTest, SplitsHostPortAndPath)
{
    using Network::Scheme;
    const struct {
        const TChar* url;
        bool ok;
        Scheme scheme;
        const char* host;
        int port;
        const char* path;
        const char* query;
    } cases[] = {
        {SF_T("https://up.example.com:8443/up.aspx?id=5"), true, Scheme::Https, "up.example.com", 8443, "/up.aspx", "id=5"},
        {SF_T("http://127.0.0.1/a/b.php?x=1#top"), true, Scheme::Http, "127.0.0.1", 80, "/a/b.php", "x=1"},
        {SF_T("HTTPS://h"), true, Scheme::Https, "h", 443, "", ""},
        {SF_T("http://user:pw@h:81#f?x"), true, Scheme::Http, "h", 81, "", ""},
        {SF_T("ftp://h/f"), true, Scheme::Ftp, "h", 21, "/f", ""},
        {SF_T("gopher://h/"), true, Scheme::Gopher, "h", 70, "/", ""},
        {SF_T("socks://h"), true, Scheme::Socks, "h", 1080, "", ""},
        {SF_T("h/up.php"), false, Scheme::Unknown, "", 0, "", ""},
        {SF_T("http:///up.php"), false, Scheme::Http, "", 0, "", ""},
        {SF_T("http://h:99999/"), false, Scheme::Unknown, "", 0, "", ""},
        {SF_T("http://h:8a/"), false, Scheme::Unknown, "", 0, "", ""},
    };
    for (const auto& c : cases) {
        const auto p = Network::SplitUrl(c.url);
        EXPECT_EQ(p.ok, c.ok) << Wire(c.url);
        EXPECT_EQ(Wire(p.host), c.host) << Wire(c.url);
        EXPECT_EQ(Wire(p.path), c.path) << Wire(c.url);
        if (!c.ok) continue;
        EXPECT_EQ(p.scheme, c.scheme) << Wire(c.url);
        EXPECT_EQ(p.port, c.port) << Wire(c.url);
        EXPECT_EQ(Wire(p.query), c.query) << Wire(c.url);
    }
    const auto p = Network::SplitUrl(SF_T("http://user:pw@h:81/p#frag"));
    EXPECT_EQ(Wire(p.user), "user");
    EXPECT_EQ(Wire(p.password), "pw");
    EXPECT_EQ(Wire(p.fragment), "frag");
}

TEST(SplitUrlTest, OverlongHostOrPathFails)
{
    const TString host256(256, SF_T('h')), path2048 = SF_T("/") + TString(2047, SF_T('p'));
    EXPECT_TRUE(Network::SplitUrl(SF_T("http://") + host256 + path2048).ok);
    for (const TString& url : {SF_T("http://") + host256 + SF_T("h/"), SF_T("http://h") + path2048 + SF_T("p")}) {
        const auto p = Network::SplitUrl(url);
        EXPECT_FALSE(p.ok);
        EXPECT_TRUE(p.host.empty());
        EXPECT_TRUE(p.path.empty());
    }
    // The query string does not count towards the path.
    EXPECT_TRUE(Network::SplitUrl(SF_T("http://h") + path2048 + SF_T("?") + TString(3000, SF_T('q'))).ok);
}

TEST(SplitUrlTest, LastPathSegment)
{
    EXPECT_EQ(Wire(Network::LastPathSegment(SF_T("/photos/cat.jpg"))), "cat.jpg");
    EXPECT_EQ(Wire(Network::LastPathSegment(SF_T("/a\\b.png"))), "b.png");
    EXPECT_EQ(Wire(Network::LastPathSegment(SF_T("/dir/"))), "");
    EXPECT_EQ(Wire(Network::LastPathSegment(SF_T(""))), "");
}

std::uint32_t g_now = 0;
std::uint32_t FakeTicks() { return g_now; }

struct Step {
    std::uint32_t advance;
    std::uint64_t total;
    std::uint64_t speed;
};

void Feed(SpeedCalculater& calc, std::initializer_list<Step> steps)
{
    int i = 0;
    for (const Step& s : steps) {
        g_now += s.advance;
        EXPECT_EQ(calc.Sample(s.total), s.speed) << "step " << i;
        ++i;
    }
}

TEST(SpeedCalculaterTest, AveragesTheLastThreeSeconds)
{
    g_now = 5000;
    SpeedCalculater calc(&FakeTicks);
    calc.Start(0);
    Feed(calc, {{999, 500, 0},  // under a second: nothing sampled yet
               {1, 3000, 1000},
               {1000, 6000, 2000},
               {400, 7000, 2000},  // same second: unchanged although the total moved
               {600, 9000, 3000},
               {1000, 12000, 3000},
               // a stall
               {1000, 12000, 2000},
               {1000, 12000, 1000},
               {1000, 12000, 0},
               {1000, 12000, 0}});

    // Start forgets the history and takes a baseline.
    calc.Start(100000);
    EXPECT_EQ(calc.Speed(), 0u);
    Feed(calc, {{1000, 103000, 1000}});
}

TEST(SpeedCalculaterTest, KeepsSamplingAcrossATickWrap)
{
    g_now = 0xFFFFFF00u;
    SpeedCalculater calc(&FakeTicks);
    calc.Start(0);
    Feed(calc, {{500, 1500, 0}, {500, 3000, 1000}, {1000, 6000, 2000}});
}

TEST(SpeedTextTest, RemainingTime)
{
    const struct {
        double seconds;
        const char* text;
    } cases[] = {{0, "00:00:00"},   {-5, "00:00:00"},  {59, "00:00:59"},       {59.9, "00:00:59"},
                 {600, "00:10:00"}, {3725, "01:02:05"}, {90061, "01:01:01"}, {86399, "23:59:59"}};
    for (const auto& c : cases) EXPECT_EQ(Wire(FormatRemainingTime(c.seconds)), c.text) << c.seconds;
    EXPECT_EQ(FormatRemainingTime(1e300).size(), 8u);  // a zero speed upstream must not break it
}

TEST(SpeedTextTest, Speed)
{
#if defined(SF_WIDE)
    // The system's byte-size text, in the system's language.
#if defined(_WIN32)
    const std::string bytes = Network::Codepage::AnsiFromWide(L" 字节");
#else
    const std::string bytes = " bytes";
#endif
    const struct {
        std::uint64_t v;
        std::string text;
    } cases[] = {{0, "0" + bytes},   {500, "500" + bytes},   {1536, "1.50 KB"},
                 {10240, "10.0 KB"}, {1048576, "1.00 MB"}, {1073741824, "1.00 GB"}};
#else
    const struct {
        std::uint64_t v;
        const char* text;
    } cases[] = {{0, "0Bytes"},           {1023, "1023Bytes"},        {1024, "1KB"},
                 {1536, "1.5KB"},         {1048576, "1MB"},           {1234567, "1.17737MB"},
                 {3ull << 29, "1.5GB"},   {1ull << 40, "1TB"},        {5ull << 41, "10TB"}};
#endif
    for (const auto& c : cases) EXPECT_EQ(Wire(FormatSpeed(c.v)), c.text) << c.v;
}

}  // namespace
