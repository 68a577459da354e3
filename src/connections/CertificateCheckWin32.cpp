#include "connections/CertificateCheckWin32.h"

#include "connections/PemCertificates.h"
#include "res/resource.h"
#include "winfx/StringTable.h"
#include "winfx/Trace.h"
#include "winfx/WideText.h"

#include <optional>
#include <vector>

namespace {

// More than any CA file holds; a larger file is not read.
constexpr DWORD kLargestCaFile = 4 << 20;
// SECURITY_FLAG_IGNORE_UNKNOWN_CA of the SSL policy's checks (wininet.h, not wincrypt.h).
constexpr DWORD kIgnoreUnknownCa = 0x00000100;

std::string Words(unsigned id) {
    return LoadResourceString(id);
}

// The words for a refusal of the chain or of the policy.
std::string RefusalWords(DWORD error) {
    switch (static_cast<HRESULT>(error)) {
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_CHAINING:
    case TRUST_E_CERT_SIGNATURE:
    case CERT_E_UNTRUSTEDCA:
        return Words(IDS_TLS_NOT_TRUSTED);
    case CERT_E_CN_NO_MATCH:
        return Words(IDS_TLS_NAME_MISMATCH);
    case CERT_E_EXPIRED:
    case CERT_E_VALIDITYPERIODNESTING:
        return Words(IDS_TLS_EXPIRED);
    default:
        break;
    }
    char hex[16];
    ::wsprintfA(hex, "0x%08lX", static_cast<unsigned long>(error));
    return StringTableTexts().Format(IDS_TLS_CERTIFICATE_REFUSED, {hex});
}

// A chain engine whose only trusted roots are the CA file's.
class ExclusiveEngine {
public:
    explicit ExclusiveEngine(HCERTSTORE roots) {
        CERT_CHAIN_ENGINE_CONFIG config{};
        config.cbSize = sizeof config; // the whole structure: the exclusive root is at its end
        config.hExclusiveRoot = roots;
        config.dwFlags = CERT_CHAIN_CACHE_ONLY_URL_RETRIEVAL;
        if (!::CertCreateCertificateChainEngine(&config, &engine_)) {
            TraceLastError("CertCreateCertificateChainEngine");
            engine_ = nullptr;
        }
    }
    ~ExclusiveEngine() {
        if (engine_)
            ::CertFreeCertificateChainEngine(engine_);
    }
    ExclusiveEngine(const ExclusiveEngine&) = delete;
    ExclusiveEngine& operator=(const ExclusiveEngine&) = delete;
    HCERTCHAINENGINE Get() const { return engine_; }

private:
    HCERTCHAINENGINE engine_ = nullptr;
};

// A store of the server's intermediates and the CA file's certificates, for a chain built by the
// default engine.
HCERTSTORE Together(HCERTSTORE sent, HCERTSTORE ca) {
    HCERTSTORE both = ::CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr);
    if (both &&
        (!::CertAddStoreToCollection(both, sent, 0, 0) || !::CertAddStoreToCollection(both, ca, 0, 0))) {
        ::CertCloseStore(both, 0);
        both = nullptr;
    }
    return both;
}

// The chain's root is one of the CA file's certificates.
bool EndsInStore(PCCERT_CHAIN_CONTEXT chain, HCERTSTORE store) {
    if (chain->cChain == 0 || chain->rgpChain[0]->cElement == 0)
        return false;
    const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
    const PCCERT_CONTEXT root = simple->rgpElement[simple->cElement - 1]->pCertContext;
    const PCCERT_CONTEXT found =
        ::CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, root, nullptr);
    if (found)
        ::CertFreeCertificateContext(found);
    return found != nullptr;
}

} // namespace

CaFileWin32::~CaFileWin32() {
    if (store_)
        ::CertCloseStore(store_, 0);
}

CaFileWin32::Problem CaFileWin32::Load(const std::string& path) {
    // Win32's own file calls: the C++ streams would add their weight to the program.
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Problem::Unreadable;
    LARGE_INTEGER size{};
    std::string text;
    DWORD got = 0;
    bool read = ::GetFileSizeEx(file, &size) && size.QuadPart <= kLargestCaFile;
    if (read) {
        text.resize(static_cast<std::size_t>(size.QuadPart));
        read = ::ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
    }
    ::CloseHandle(file);
    if (!read)
        return Problem::Unreadable;
    text.resize(got);
    store_ = ::CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
    if (!store_) {
        TraceLastError("CertOpenStore");
        return Problem::Unreadable;
    }
    int added = 0;
    for (const std::string& der : PemCertificates(text))
        if (::CertAddEncodedCertificateToStore(
                store_, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                static_cast<DWORD>(der.size()), CERT_STORE_ADD_ALWAYS, nullptr))
            ++added;
    return added == 0 ? Problem::NoCertificate : Problem::None;
}

std::string CheckServerCertificateWin32(PCCERT_CONTEXT certificate, const std::string& serverName,
                                        HCERTSTORE caStore) {
    // With a CA file, an engine whose only roots are the file's. Where the system makes none (Wine,
    // at times), the default engine builds the chain with the file's certificates at hand, and its
    // root must be one of them: the same rule, checked here.
    std::optional<ExclusiveEngine> exclusive;
    HCERTSTORE together = nullptr;
    if (caStore) {
        exclusive.emplace(caStore);
        if (!exclusive->Get() && !(together = Together(certificate->hCertStore, caStore)))
            return Words(IDS_TLS_NOT_TRUSTED);
    }
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = {serverAuth};
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    // What is on this PC only: no certificate, list or root update is fetched, no revocation check.
    const DWORD flags = CERT_CHAIN_CACHE_ONLY_URL_RETRIEVAL | CERT_CHAIN_DISABLE_AUTH_ROOT_AUTO_UPDATE;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    const bool built = ::CertGetCertificateChain(exclusive ? exclusive->Get() : nullptr, certificate, nullptr,
                                                 together ? together : certificate->hCertStore, &para, flags,
                                                 nullptr, &chain);
    if (together)
        ::CertCloseStore(together, 0);
    if (!built) {
        TraceLastError("CertGetCertificateChain");
        return Words(IDS_TLS_NOT_TRUSTED);
    }
    // The chain's own trust first: the SSL policy of some systems (Wine) passes a chain that ends
    // short of any root.
    DWORD untrusted = CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_NOT_SIGNATURE_VALID | CERT_TRUST_IS_CYCLIC;
    if (!together)
        untrusted |= CERT_TRUST_IS_UNTRUSTED_ROOT;
    if ((chain->TrustStatus.dwErrorStatus & untrusted) != 0 || (together && !EndsInStore(chain, caStore))) {
        ::CertFreeCertificateChain(chain);
        return Words(IDS_TLS_NOT_TRUSTED);
    }
    std::wstring name = WideFromAnsi(serverName);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = name.data();
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    if (together) {
        // The root is the CA file's (checked above), which the system does not know.
        ssl.fdwChecks = kIgnoreUnknownCa;
        policy.dwFlags = CERT_CHAIN_POLICY_ALLOW_UNKNOWN_CA_FLAG;
    }
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    const bool checked = ::CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status);
    ::CertFreeCertificateChain(chain);
    if (!checked) {
        TraceLastError("CertVerifyCertificateChainPolicy");
        return Words(IDS_TLS_NOT_TRUSTED);
    }
    return status.dwError == 0 ? std::string() : RefusalWords(status.dwError);
}
