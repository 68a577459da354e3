#include "connections/PemCertificates.h"

#include "base/Base64.h"

std::vector<std::string> PemCertificates(std::string_view text) {
    constexpr std::string_view kBegin = "-----BEGIN CERTIFICATE-----";
    constexpr std::string_view kEnd = "-----END CERTIFICATE-----";
    std::vector<std::string> certificates;
    for (std::size_t at = text.find(kBegin); at != std::string_view::npos; at = text.find(kBegin, at)) {
        const std::size_t body = at + kBegin.size();
        const std::size_t end = text.find(kEnd, body);
        if (end == std::string_view::npos)
            break;
        // A block that is not base64 is not a certificate; the next one may be.
        if (std::optional<std::string> der = Base64Decode(text.substr(body, end - body));
            der && !der->empty())
            certificates.push_back(std::move(*der));
        at = end + kEnd.size();
    }
    return certificates;
}
