#include "Biz/Remark.h"

#include <cryptopp/base64.h>
#include <cryptopp/filters.h>

#include "Network/WireText.h"

TString EncodeRemark(const TString& caption)
{
    const std::string bytes = Network::AnsiBytes(caption);
    std::string encoded;
    CryptoPP::StringSource source(reinterpret_cast<const CryptoPP::byte*>(bytes.data()), bytes.size(), true,
                                  new CryptoPP::Base64Encoder(new CryptoPP::StringSink(encoded), true, 72));
    return Network::FromAscii(encoded);
}
