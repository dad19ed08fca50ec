#pragma once
// The multipart/form-data body of one upload: text parts, then the head of the file part.
// The file bytes are never held here; the poster streams them between GetFieldsText() and
// GetEndText(). All text is the product's own string type; lengths are wire bytes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Text.h"

class HttpForm;

// One fixed boundary for every request and every part; servers have long parsed it as is.
extern const TChar* const kHttpBoundary;

// Percent-encodes bytes: letters and digits stay, white space becomes '+', every other byte
// becomes %XX with upper-case hex digits.
std::string UrlEncode(const std::string& bytes);

class HttpField {
public:
    HttpField(const TString& name, const TString& value);
    virtual ~HttpField() = default;
    HttpField(const HttpField&) = delete;
    HttpField& operator=(const HttpField&) = delete;

    virtual TString GetName() const { return name_; }
    virtual TString GetValue() const { return value_; }
    virtual TString GetBoundary() const { return boundary_; }
    virtual TString GetText() const { return TString(); }
    virtual TString GetBoundaryLine() const;
    // Bytes the part occupies in the body.
    virtual std::uint32_t GetLength() const;

protected:
    friend class HttpForm;
    TString name_;
    TString value_;
    TString boundary_;
    const HttpForm* form_ = nullptr;
};

class HttpFormField : public HttpField {
public:
    HttpFormField(const TString& name, const TString& value) : HttpField(name, value) {}
    TString GetText() const override;
};

// The file part. Its name comes from the FileFieldName setting when the text is made; its
// value is the file name the server is told.
class HttpStreamField : public HttpField {
public:
    HttpStreamField(std::int32_t fileSize, const TString& fileName, const TString& charset);
    TString GetText() const override;
    std::uint32_t GetLength() const override;
    // The whole Content-Type line with its CRLF; empty where the flavour sends none.
    TString GetContentType() const;

    std::int32_t FileSize;
    TString Charset;
};

class HttpForm {
public:
    HttpForm();
    virtual ~HttpForm() = default;
    HttpForm(const HttpForm&) = delete;
    HttpForm& operator=(const HttpForm&) = delete;

    void Clear() { parts_.clear(); }
    void AddFormField(const TString& name, const TString& value);
    void AddFormField(const TString& name, std::int32_t value);
    // The file part always goes last; a second one replaces the first.
    void AddStreamField(std::int32_t fileSize, const TString& fileName);

    void SetCharset(const TString& name);
    TString GetCharset() const { return Charset; }

    TString GetFieldsText() const;
    TString GetEndText() const;
    std::uint32_t GetContentLength() const;

    const std::vector<std::unique_ptr<HttpField>>& Parts() const { return parts_; }

private:
    void Add(std::unique_ptr<HttpField> part);

    std::vector<std::unique_ptr<HttpField>> parts_;
    TString boundary_;

public:
    TString Charset;
};

class HttpHeader {
public:
    virtual ~HttpHeader() = default;
    // The request's header lines, each with its CRLF. Host and Content-Length are added by
    // the HTTP layer.
    TString GetText() const;

private:
    TString boundary_ = kHttpBoundary;
};

// Charset names compare without regard to case.
bool SameCharset(const TString& a, const TChar* b);
