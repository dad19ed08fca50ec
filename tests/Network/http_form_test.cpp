// The multipart body byte for byte, in both flavours: part layout, value and file-name
// encoding per charset, Content-Type lines, and lengths counted in wire bytes.
#include <gtest/gtest.h>

#include "Biz/ConfigMgr.h"
#include "Biz/Remark.h"
#include "Network/HttpForm.h"
#include "Network/WireText.h"

namespace {

#if defined(SF_WIDE)
constexpr bool kWide = true;
#else
constexpr bool kWide = false;
#endif

const std::string B = "---------------------------7da1d41060a1a";

std::string Wire(const TString& text) { return Network::AnsiBytes(text); }

std::string TextPart(const std::string& name, const std::string& value)
{
    return "--" + B + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
}

class HttpFormTest : public testing::Test {
protected:
    void SetUp() override { ConfigMgr::Instance()->ResetToDefaults(); }
    void TearDown() override { ConfigMgr::Instance()->ResetToDefaults(); }
    HttpForm form;
};

TEST_F(HttpFormTest, ReproducesTheReferenceUploadByteForByte)
{
    form.SetCharset(SF_T("UTF-8"));
    form.AddFormField(SF_T("uid"), SF_T("7"));
    form.AddFormField(SF_T("lastWriteTime"), SF_T("2015-06-01 10:20:30"));
    form.AddFormField(SF_T("width"), 800);
    form.AddFormField(SF_T("height"), 600);
    form.AddFormField(SF_T("remark"), EncodeRemark(SF_T("")));
    const std::int32_t n = 12345;
    form.AddStreamField(n, SF_T("IMG_0001.jpg"));

    // The plug-in sends values as it holds them and declares jpg as image/pjpeg.
    const std::string expected =
        TextPart("uid", "7") +
        TextPart("lastWriteTime", kWide ? "2015%2D06%2D01+10%3A20%3A30" : "2015-06-01 10:20:30") +
        TextPart("width", "800") + TextPart("height", "600") + TextPart("remark", kWide ? "+" : "\n") + "--" + B +
        "\r\nContent-Disposition: form-data; name=\"img\"; filename=\"IMG%5F0001%2Ejpg\"\r\n" +
        (kWide ? "Content-Type: image/jpeg\r\n" : "Content-Type: image/pjpeg\r\n") +
        "Content-Transfer-Encoding: binary\r\n\r\n";
    const std::string text = Wire(form.GetFieldsText());
    EXPECT_EQ(text, expected);
    if (kWide) {
        EXPECT_EQ(text.size(), 693u);
    }
    EXPECT_EQ(form.GetContentLength(), text.size() + n + 2 + 46);
    EXPECT_EQ(Wire(form.GetEndText()), "--" + B + "--\r\n");
}

TEST_F(HttpFormTest, UsesOneFixedBoundaryEverywhere)
{
    EXPECT_EQ(B.size(), 40u);
    EXPECT_EQ(Wire(kHttpBoundary), B);
    HttpForm other;
    form.AddFormField(SF_T("a"), SF_T("1"));
    form.AddStreamField(1, SF_T("x.png"));
    other.AddStreamField(2, SF_T("y.png"));
    for (const HttpForm* f : {&form, &other}) {
        for (const auto& part : f->Parts()) {
            EXPECT_EQ(Wire(part->GetBoundary()), B);
            EXPECT_EQ(Wire(part->GetBoundaryLine()), "--" + B + "\r\n");
            EXPECT_EQ(Wire(part->GetText()).rfind("--" + B + "\r\n", 0), 0u);
        }
        EXPECT_EQ(Wire(f->GetEndText()), "--" + B + "--\r\n");
    }
    EXPECT_EQ(Wire(HttpHeader().GetText()).find("boundary=" + B + "\r\n") != std::string::npos, true);
}

TEST_F(HttpFormTest, HeaderBlockIsFixed)
{
    EXPECT_EQ(Wire(HttpHeader().GetText()),
              "Accept: application/xml,application/xhtml+xml,text/html;q=0.9,text/plain;q=0.8,image/png,*/*;q=0.5\r\n"
              "Content-Type:multipart/form-data;boundary=" + B + "\r\n"
              "Accept-Language: zh-cn\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\r\n"
              "Cache-Control: no-cache\r\n"
              "Connection: Keep-Alive\r\n");
}

TEST_F(HttpFormTest, ContentTypeFollowsTheExtension)
{
    const std::string octet = "Content-Type: application/octet-stream\r\n";
    const struct {
        const TChar* name;
        std::string wide, narrow;
    } cases[] = {
        {SF_T("a.jpg"), "Content-Type: image/jpeg\r\n", "Content-Type: image/pjpeg\r\n"},
        {SF_T("a.JPG"), "Content-Type: image/jpeg\r\n", "Content-Type: image/pjpeg\r\n"},
        {SF_T("a.Jpg"), "Content-Type: image/jpeg\r\n", "Content-Type: image/pjpeg\r\n"},
        {SF_T("a.jpeg"), octet, octet},
        {SF_T("a.tiff"), octet, octet},
        {SF_T("a.ico"), octet, octet},
        {SF_T("a."), octet, octet},
        {SF_T("noext"), octet, ""},
        {SF_T("a.icon"), "Content-Type: image/x-icon\r\n", "Content-Type: image/x-icon\r\n"},
        {SF_T("a.png"), "Content-Type: image/x-png\r\n", "Content-Type: image/x-png\r\n"},
        {SF_T("a.b.GIF"), "Content-Type: image/gif\r\n", "Content-Type: image/gif\r\n"},
        {SF_T("a.bmp"), "Content-Type: image/bmp\r\n", "Content-Type: image/bmp\r\n"},
        {SF_T("a.tif"), "Content-Type: image/tiff\r\n", "Content-Type: image/tiff\r\n"},
        {SF_T("a.TXT"), "Content-Type: text/plain\r\n", "Content-Type: text/plain\r\n"},
    };
    for (const auto& c : cases) {
        HttpStreamField part(0, c.name, SF_T("utf-8"));
        const std::string& line = kWide ? c.wide : c.narrow;
        EXPECT_EQ(Wire(part.GetContentType()), line) << Wire(c.name);
        const std::string head = Wire(part.GetText());
        const auto disposition = head.find("\"\r\n") + 3;
        EXPECT_EQ(head.substr(disposition), line + "Content-Transfer-Encoding: binary\r\n\r\n") << Wire(c.name);
    }
}

TEST_F(HttpFormTest, EmptyValueGivesTwoEmptyLines)
{
    form.AddFormField(SF_T("e"), SF_T(""));
    EXPECT_EQ(Wire(form.GetFieldsText()), "--" + B + "\r\nContent-Disposition: form-data; name=\"e\"\r\n\r\n\r\n");
}

TEST_F(HttpFormTest, EncodesValuesAndFileNamesByCharset)
{
    const TChar* value = SF_T("a b-c 中");
    const TChar* file = SF_T("照片_1.jpg");
    const std::string gbkValue = Wire(value), gbkFile = Wire(file);
    const struct {
        const TChar* charset;
        std::string value, fileName;
    } cases[] = {
        {SF_T("UTF-8"), kWide ? "a+b%2Dc+%E4%B8%AD" : gbkValue, "%E7%85%A7%E7%89%87%5F1%2Ejpg"},
        {SF_T("utf-8"), kWide ? "a+b%2Dc+%E4%B8%AD" : gbkValue, "%E7%85%A7%E7%89%87%5F1%2Ejpg"},
        {SF_T("GB2312"), gbkValue, gbkFile},
        {SF_T("gb2312"), gbkValue, gbkFile},
        {SF_T("big5"), gbkValue, ""},
    };
    for (const auto& c : cases) {
        HttpForm f;
        f.SetCharset(c.charset);
        f.AddFormField(SF_T("v"), value);
        f.AddStreamField(0, file);
        const std::string text = Wire(f.GetFieldsText());
        EXPECT_EQ(text.substr(0, text.find("--" + B, 2)), TextPart("v", c.value)) << Wire(c.charset);
        EXPECT_NE(text.find("name=\"img\"; filename=\"" + c.fileName + "\"\r\n"), std::string::npos)
            << Wire(c.charset) << "\n" << text;
    }
    form.SetCharset(SF_T("GB2312"));
    EXPECT_EQ(Wire(form.GetCharset()), "gb2312");
}

TEST_F(HttpFormTest, FormWithoutTextFieldsIsTheFileAlone)
{
    ConfigMgr::Instance()->SetFileFieldName(SF_T("photo"));
    form.AddStreamField(3, SF_T("p.gif"));
    const std::string head = "--" + B +
                             "\r\nContent-Disposition: form-data; name=\"photo\"; filename=\"p%2Egif\"\r\n"
                             "Content-Type: image/gif\r\nContent-Transfer-Encoding: binary\r\n\r\n";
    EXPECT_EQ(Wire(form.GetFieldsText()), head);
    EXPECT_EQ(form.GetContentLength(), head.size() + 3 + 2 + 46);
}

TEST_F(HttpFormTest, ContentLengthCountsWireBytesOfNonAsciiText)
{
    form.SetCharset(SF_T("GB2312"));
    form.AddFormField(SF_T("名字"), SF_T("中文的值"));
    form.AddFormField(SF_T("n"), -12);
    form.AddStreamField(0, SF_T("照片.png"));
    const std::string body = Wire(form.GetFieldsText()) + "\r\n" + Wire(form.GetEndText());
    EXPECT_EQ(form.GetContentLength(), body.size());
    EXPECT_NE(body.find("\r\n\r\n-12\r\n"), std::string::npos);

    // Text parts added after the file part still go before it.
    form.AddFormField(SF_T("late"), SF_T("1"));
    EXPECT_NE(Wire(form.Parts().back()->GetText()).find("filename="), std::string::npos);
    form.Clear();
    EXPECT_TRUE(form.Parts().empty());
    EXPECT_EQ(form.GetContentLength(), 46u);
}

TEST(UrlEncodeTest, KeepsOnlyLettersAndDigits)
{
    EXPECT_EQ(UrlEncode("AZaz09"), "AZaz09");
    EXPECT_EQ(UrlEncode(" \t\n\v\f\r"), "++++++");
    EXPECT_EQ(UrlEncode("-_.~/+=%"), "%2D%5F%2E%7E%2F%2B%3D%25");
    EXPECT_EQ(UrlEncode(std::string("\x00\x7f\x80\xff", 4)), "%00%7F%80%FF");
    EXPECT_EQ(UrlEncode(""), "");
}

TEST(RemarkTest, IsBase64OfTheAnsiCaptionInLinesOf72)
{
    std::string full;  // 54 bytes of 'A' fill exactly one 72-character line
    for (int i = 0; i < 18; ++i) full += "QUFB";
    const struct {
        TString caption;
        std::string encoded;
    } cases[] = {
        {SF_T(""), "\n"},
        {SF_T("abc"), "YWJj\n"},
        {SF_T("ab"), "YWI=\n"},
        {SF_T("中"), "1tA=\n"},  // GBK bytes D6 D0
        {TString(54, SF_T('A')), full + "\n"},
        {TString(55, SF_T('A')), full + "\nQQ==\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Wire(EncodeRemark(c.caption)), c.encoded) << c.caption.size();
}

}  // namespace
