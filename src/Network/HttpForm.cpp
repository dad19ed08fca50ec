#include "Network/HttpForm.h"

#include <algorithm>

#include "Biz/ConfigMgr.h"
#include "Biz/Flavour.h"
#include "Network/WireText.h"

const TChar* const kHttpBoundary = SF_T("---------------------------7da1d41060a1a");

namespace {

#if defined(SF_WIDE)
TString Decimal(std::int32_t v) { return std::to_wstring(v); }
// Older IE servers' checks expect image/jpeg from the control and image/pjpeg from the plug-in.
const TChar* JpegContentType() { return L"Content-Type: image/jpeg\r\n"; }
// The control always declares a type; the plug-in leaves it out for names without a dot.
bool DeclaresTypeWithoutDot() { return true; }
// The control percent-encodes values in UTF-8 mode; the plug-in sends them as it holds them.
bool EncodesValues() { return true; }
#else
TString Decimal(std::int32_t v) { return std::to_string(v); }
const TChar* JpegContentType() { return "Content-Type: image/pjpeg\r\n"; }
bool DeclaresTypeWithoutDot() { return false; }
bool EncodesValues() { return false; }
#endif

TString EncodedUtf8(const TString& text) { return Network::FromAscii(UrlEncode(Network::Utf8Bytes(text))); }

}  // namespace

bool SameCharset(const TString& a, const TChar* b) { return Flavour::Lower(a) == Flavour::Lower(b); }

std::string UrlEncode(const std::string& bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (unsigned char c : bytes) {
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            out += static_cast<char>(c);
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r') {
            out += '+';
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

HttpField::HttpField(const TString& name, const TString& value) : name_(name), value_(value), boundary_(kHttpBoundary)
{
}

TString HttpField::GetBoundaryLine() const { return SF_T("--") + boundary_ + SF_T("\r\n"); }

std::uint32_t HttpField::GetLength() const { return static_cast<std::uint32_t>(Network::AnsiBytes(GetText()).size()); }

TString HttpFormField::GetText() const
{
    const bool utf8 = form_ && SameCharset(form_->Charset, SF_T("UTF-8"));
    const TString value = utf8 && EncodesValues() ? EncodedUtf8(value_) : value_;
    return SF_T("--") + boundary_ + SF_T("\r\nContent-Disposition: form-data; name=\"") + name_ +
           SF_T("\"\r\n\r\n") + value + SF_T("\r\n");
}

HttpStreamField::HttpStreamField(std::int32_t fileSize, const TString& fileName, const TString& charset)
    : HttpField(TString(), fileName), FileSize(fileSize), Charset(charset)
{
}

TString HttpStreamField::GetContentType() const
{
    const auto dot = value_.rfind(SF_T('.'));
    if (dot == TString::npos && !DeclaresTypeWithoutDot()) return TString();
    const TString ext = dot == TString::npos ? TString() : Flavour::Lower(value_.substr(dot + 1));
    if (ext == SF_T("jpg")) return JpegContentType();
    static const struct {
        const TChar* ext;
        const TChar* line;
    } table[] = {
        {SF_T("txt"), SF_T("Content-Type: text/plain\r\n")}, {SF_T("bmp"), SF_T("Content-Type: image/bmp\r\n")},
        {SF_T("gif"), SF_T("Content-Type: image/gif\r\n")},  {SF_T("png"), SF_T("Content-Type: image/x-png\r\n")},
        {SF_T("tif"), SF_T("Content-Type: image/tiff\r\n")}, {SF_T("icon"), SF_T("Content-Type: image/x-icon\r\n")},
    };
    for (const auto& row : table)
        if (ext == row.ext) return row.line;
    return SF_T("Content-Type: application/octet-stream\r\n");
}

TString HttpStreamField::GetText() const
{
    TString fileName;
    if (SameCharset(Charset, SF_T("UTF-8")))
        fileName = EncodedUtf8(value_);
    else if (SameCharset(Charset, SF_T("GB2312")))
        fileName = value_;
    return SF_T("--") + boundary_ + SF_T("\r\nContent-Disposition: form-data; name=\"") +
           ConfigMgr::Instance()->FileFieldName() + SF_T("\"; filename=\"") + fileName + SF_T("\"\r\n") +
           GetContentType() + SF_T("Content-Transfer-Encoding: binary\r\n\r\n");
}

std::uint32_t HttpStreamField::GetLength() const
{
    // The head, the data, and the CRLF that closes the data.
    return HttpField::GetLength() + static_cast<std::uint32_t>(FileSize) + 2;
}

HttpForm::HttpForm() : boundary_(kHttpBoundary), Charset(Flavour::InitialEncodeType()) {}

void HttpForm::Add(std::unique_ptr<HttpField> part)
{
    part->form_ = this;
    parts_.push_back(std::move(part));
}

void HttpForm::AddFormField(const TString& name, const TString& value)
{
    auto part = std::make_unique<HttpFormField>(name, value);
    // Text parts go before the file part, whatever order the caller uses.
    const auto at = std::find_if(parts_.begin(), parts_.end(), [](const auto& p) {
        return dynamic_cast<const HttpStreamField*>(p.get()) != nullptr;
    });
    part->form_ = this;
    parts_.insert(at, std::move(part));
}

void HttpForm::AddFormField(const TString& name, std::int32_t value) { AddFormField(name, Decimal(value)); }

void HttpForm::AddStreamField(std::int32_t fileSize, const TString& fileName)
{
    std::erase_if(parts_, [](const auto& p) { return dynamic_cast<const HttpStreamField*>(p.get()) != nullptr; });
    Add(std::make_unique<HttpStreamField>(fileSize, fileName, Charset));
}

void HttpForm::SetCharset(const TString& name) { Charset = Flavour::Lower(name); }

TString HttpForm::GetFieldsText() const
{
    TString text;
    for (const auto& part : parts_) text += part->GetText();
    return text;
}

TString HttpForm::GetEndText() const { return SF_T("--") + boundary_ + SF_T("--\r\n"); }

std::uint32_t HttpForm::GetContentLength() const
{
    std::uint32_t total = static_cast<std::uint32_t>(Network::AnsiBytes(GetEndText()).size());
    for (const auto& part : parts_) total += part->GetLength();
    return total;
}

TString HttpHeader::GetText() const
{
    return SF_T("Accept: application/xml,application/xhtml+xml,text/html;q=0.9,text/plain;q=0.8,image/png,*/*;q=0.5\r\n")
           SF_T("Content-Type:multipart/form-data;boundary=") + boundary_ + SF_T("\r\n")
           SF_T("Accept-Language: zh-cn\r\n")
           SF_T("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\r\n")
           SF_T("Cache-Control: no-cache\r\n")
           SF_T("Connection: Keep-Alive\r\n");
}
