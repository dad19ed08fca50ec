// Posting and downloading over HTTPS. tls_test.sh starts a loopback server with one port per
// certificate: one from a test authority this program trusts while it runs, and three that a
// client must refuse (issued for another host name, out of date, self-signed). Only the first
// carries a photo; the others fail the way a refused connection does, with nothing accepted.
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "Biz/ConfigMgr.h"
#include "DownloadSink.h"
#include "Network/Codepage.h"
#include "Network/WinINetDowner.h"
#include "Network/WinINetPoster.h"
#include "TransferSink.h"
#include "platform/Handle.h"

namespace {

#if defined(SF_WIDE)
TString T(const std::wstring& w) { return w; }
#else
TString T(const std::wstring& w) { return Network::Codepage::AnsiFromWide(w); }
#endif

struct CertStoreTraits {
    using Type = HCERTSTORE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::CertCloseStore(h, 0); }
};
using CertStore = Korvel::UniqueHandle<CertStoreTraits>;

// The test authority in the user's trusted roots for the life of the object. The registry
// behind the store is written when the store is committed.
class TrustedAuthority {
public:
    explicit TrustedAuthority(const std::string& derPath)
    {
        std::ifstream file(derPath, std::ios::binary);
        der_.assign(std::istreambuf_iterator<char>(file), {});
        CertStore root = OpenRoot();
        PCCERT_CONTEXT added = nullptr;
        if (!root || der_.empty() ||
            !::CertAddEncodedCertificateToStore(root.Get(), X509_ASN_ENCODING,
                                                reinterpret_cast<const BYTE*>(der_.data()),
                                                static_cast<DWORD>(der_.size()), CERT_STORE_ADD_REPLACE_EXISTING, &added))
            return;
        ::CertFreeCertificateContext(added);
        trusted_ = ::CertControlStore(root.Get(), 0, CERT_STORE_CTRL_COMMIT, nullptr) != FALSE;
    }
    ~TrustedAuthority()
    {
        CertStore root = OpenRoot();
        if (!root || der_.empty()) return;
        CRYPT_DATA_BLOB blob{static_cast<DWORD>(der_.size()), reinterpret_cast<BYTE*>(der_.data())};
        PCCERT_CONTEXT ours = ::CertCreateCertificateContext(X509_ASN_ENCODING, blob.pbData, blob.cbData);
        if (!ours) return;
        PCCERT_CONTEXT found = ::CertFindCertificateInStore(root.Get(), X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, ours, nullptr);
        ::CertFreeCertificateContext(ours);
        if (found && ::CertDeleteCertificateFromStore(found))  // frees found
            ::CertControlStore(root.Get(), 0, CERT_STORE_CTRL_COMMIT, nullptr);
    }
    TrustedAuthority(const TrustedAuthority&) = delete;
    TrustedAuthority& operator=(const TrustedAuthority&) = delete;

    bool Trusted() const { return trusted_; }

private:
    static CertStore OpenRoot()
    {
        return CertStore(::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root"));
    }
    std::string der_;
    bool trusted_ = false;
};

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::wstring Url(const char* portVariable, const wchar_t* path)
{
    const std::string port = Env(portVariable);
    return L"https://127.0.0.1:" + std::wstring(port.begin(), port.end()) + path;
}

class TlsTest : public testing::Test {
protected:
    static void SetUpTestSuite() { authority = std::make_unique<TrustedAuthority>(Env("SF_TLS_AUTHORITY")); }
    static void TearDownTestSuite() { authority.reset(); }
    void SetUp() override
    {
        ASSERT_FALSE(Env("SF_TLS_PORT_TRUSTED").empty()) << "run through tls_test.sh";
        ASSERT_TRUE(authority->Trusted()) << "the test authority could not be trusted";
        ConfigMgr::Instance()->ResetToDefaults();
    }

    // Posts a small photo to the address; the poster's sink holds the outcome.
    void Post(const std::wstring& url)
    {
        poster.reset();  // before the sink it reports to
        sink = std::make_unique<test::TransferSink>();
        poster = std::make_unique<WinINetPoster>();
        poster->SetEventSink(sink.get());
        poster->SetUrl(T(url));
        stream = std::make_unique<Network::MemoryByteStream>(std::string(3000, 'p'));
        ASSERT_TRUE(poster->Post(4, stream.get(), SF_T("photo.jpg")));
        ASSERT_TRUE(sink->WaitFinal());
        ASSERT_EQ(sink->finals, 1);
    }
    void Download(const std::wstring& url)
    {
        downer.reset();
        downSink = std::make_unique<test::DownloadSink>();
        downer = std::make_unique<WinINetDowner>();
        downer->SetEventSink(downSink.get());
        out = std::make_unique<Network::MemoryByteStream>();
        ASSERT_TRUE(downer->Download(T(url), out.get()));
        ASSERT_TRUE(downSink->WaitFinal());
        ASSERT_EQ(downSink->finals, 1);
    }

    static std::unique_ptr<TrustedAuthority> authority;
    std::unique_ptr<test::TransferSink> sink;
    std::unique_ptr<test::DownloadSink> downSink;
    std::unique_ptr<Network::MemoryByteStream> stream, out;
    std::unique_ptr<WinINetPoster> poster;  // declared after what it points at
    std::unique_ptr<WinINetDowner> downer;
};
std::unique_ptr<TrustedAuthority> TlsTest::authority;

// Without this one the failures below could be TLS not working at all.
TEST_F(TlsTest, AValidCertificateCarriesThePhotoAndTheDownload)
{
    Post(Url("SF_TLS_PORT_TRUSTED", L"/up.php"));
    EXPECT_EQ(sink->completes, 1);
    EXPECT_EQ(poster->GetStatusCode(), 200u);
    EXPECT_EQ(poster->GetResponse(), T(L"stored " + std::to_wstring(poster->GetForm().GetContentLength())));

    Download(Url("SF_TLS_PORT_TRUSTED", L"/pictures/dot.png"));
    EXPECT_EQ(downSink->completes, 1);
    EXPECT_EQ(downer->GetImageType(), 4);
    EXPECT_EQ(out->Bytes().substr(0, 4), "\x89PNG");
}

TEST_F(TlsTest, ARefusedCertificateFailsLikeARefusedConnection)
{
    for (const char* port : {"SF_TLS_PORT_OTHERNAME", "SF_TLS_PORT_EXPIRED", "SF_TLS_PORT_SELFSIGNED"}) {
        SCOPED_TRACE(port);
        Post(Url(port, L"/up.php"));
        EXPECT_EQ(sink->completes, 0) << "nothing may be reported as accepted";
        EXPECT_EQ(sink->lastError, HttpPoster::WriteError);
        EXPECT_EQ(poster->GetPostState(), HttpPoster::Failed);
        EXPECT_EQ(poster->GetStatusCode(), 0u);
        EXPECT_EQ(poster->GetResponse(), T(L"向服务器发送请求头失败，请检查URL是否正确。"));

        Download(Url(port, L"/pictures/dot.png"));
        EXPECT_EQ(downSink->completes, 0);
        EXPECT_EQ(downSink->lastError, WinINetDowner::NoRequest);
        EXPECT_TRUE(out->Bytes().empty());
    }
}

}  // namespace
