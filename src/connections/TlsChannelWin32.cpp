#include "connections/TlsChannelWin32.h"

#include "res/resource.h"
#include "winfx/StringTable.h"
#include "winfx/WideText.h"

#include <algorithm>

namespace {

constexpr ULONG kRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                           ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION;

std::string StatusHex(SECURITY_STATUS status) {
    char hex[16];
    ::wsprintfA(hex, "0x%08lX", static_cast<unsigned long>(status));
    return hex;
}

// "TLS: WHY", in the system's words where it has them.
std::string TlsFailure(SECURITY_STATUS status) {
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(status), 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string why = length != 0 && buffer ? std::string(buffer, length) : std::string();
    if (buffer)
        ::LocalFree(buffer);
    while (!why.empty() &&
           (why.back() == '\r' || why.back() == '\n' || why.back() == ' ' || why.back() == '.'))
        why.pop_back();
    return StringTableTexts().Format(IDS_TLS_FAILED, {why.empty() ? StatusHex(status) : why});
}

} // namespace

TlsChannelWin32::TlsChannelWin32(std::string serverName, std::string caFile)
    : serverName_(std::move(serverName)), caFile_(std::move(caFile)) {}

TlsChannelWin32::~TlsChannelWin32() {
    if (haveContext_)
        ::DeleteSecurityContext(&context_);
    if (haveCredentials_)
        ::FreeCredentialsHandle(&credentials_);
}

void TlsChannelWin32::Start() {
    SCHANNEL_CRED cred{};
    cred.dwVersion = SCHANNEL_CRED_VERSION;
    // TLS 1.2: what Windows 7 and later offer through this structure.
    cred.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    // The certificate is checked by us (CheckServerCertificateWin32), and no client certificate is
    // offered.
    cred.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    const SECURITY_STATUS status =
        ::AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND,
                                    nullptr, &cred, nullptr, nullptr, &credentials_, nullptr);
    if (status != SEC_E_OK)
        return Fail(TlsFailure(status));
    haveCredentials_ = true;
    Step();
}

void TlsChannelWin32::Received(std::string_view bytes, std::string& plain) {
    if (state_ == State::Failed)
        return;
    in_.append(bytes);
    if (state_ == State::Handshaking)
        Step();
    if (state_ == State::Open)
        Decrypt(plain);
}

// One turn of the handshake with what has come so far.
void TlsChannelWin32::Step() {
    while (state_ == State::Handshaking) {
        if (haveContext_ && in_.empty())
            return;
        SecBuffer inBuffers[2] = {{static_cast<ULONG>(in_.size()), SECBUFFER_TOKEN, in_.data()},
                                  {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inDesc{SECBUFFER_VERSION, 2, inBuffers};
        SecBuffer outBuffer{0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &outBuffer};
        std::wstring target = WideFromAnsi(serverName_);
        ULONG attributes = 0;
        const SECURITY_STATUS status = ::InitializeSecurityContextW(
            &credentials_, haveContext_ ? &context_ : nullptr, haveContext_ ? nullptr : target.data(),
            kRequest, 0, 0, haveContext_ ? &inDesc : nullptr, 0, &context_, &outDesc, &attributes, nullptr);
        if (outBuffer.pvBuffer) {
            out_.append(static_cast<const char*>(outBuffer.pvBuffer), outBuffer.cbBuffer);
            ::FreeContextBuffer(outBuffer.pvBuffer);
        }
        if (!haveContext_ && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED))
            haveContext_ = true;
        if (status == SEC_E_INCOMPLETE_MESSAGE)
            return; // the rest of the record is still on its way
        if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED)
            return Fail(TlsFailure(status));
        // What the server sent beyond this step stays for the next one (or is the first data).
        if (inBuffers[1].BufferType == SECBUFFER_EXTRA && inBuffers[1].cbBuffer <= in_.size())
            in_.erase(0, in_.size() - inBuffers[1].cbBuffer);
        else
            in_.clear();
        if (status == SEC_I_CONTINUE_NEEDED)
            continue;

        PCCERT_CONTEXT certificate = nullptr;
        if (::QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK ||
            !certificate)
            return Fail(LoadResourceString(IDS_TLS_NOT_TRUSTED), true);
        CaFileWin32 ca;
        if (!caFile_.empty() && ca.Load(caFile_) != CaFileWin32::Problem::None) {
            ::CertFreeCertificateContext(certificate);
            return Fail(LoadResourceString(IDS_TLS_CA_FILE_UNREADABLE), true);
        }
        std::string refusal = CheckServerCertificateWin32(certificate, serverName_, ca.Store());
        ::CertFreeCertificateContext(certificate);
        if (!refusal.empty())
            return Fail(std::move(refusal), true);
        if (const SECURITY_STATUS sized =
                ::QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_);
            sized != SEC_E_OK)
            return Fail(TlsFailure(sized));
        state_ = State::Open;
    }
}

void TlsChannelWin32::Decrypt(std::string& plain) {
    while (!in_.empty() && state_ == State::Open) {
        SecBuffer buffers[4] = {{static_cast<ULONG>(in_.size()), SECBUFFER_DATA, in_.data()},
                                {0, SECBUFFER_EMPTY, nullptr},
                                {0, SECBUFFER_EMPTY, nullptr},
                                {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
        const SECURITY_STATUS status = ::DecryptMessage(&context_, &desc, 0, nullptr);
        if (status == SEC_E_INCOMPLETE_MESSAGE)
            return;
        if (status == SEC_I_CONTEXT_EXPIRED) {
            // The server closed TLS: the socket's close follows and is reported as such.
            in_.clear();
            return;
        }
        if (status != SEC_E_OK)
            return Fail(TlsFailure(status));
        // Decrypted in place: the plain bytes are taken before the buffer is trimmed.
        std::size_t extra = 0;
        for (const SecBuffer& buffer : buffers) {
            if (buffer.BufferType == SECBUFFER_DATA && buffer.pvBuffer)
                plain.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
            else if (buffer.BufferType == SECBUFFER_EXTRA)
                extra = buffer.cbBuffer;
        }
        in_.erase(0, in_.size() - std::min(extra, in_.size()));
    }
}

void TlsChannelWin32::Seal(std::string_view plain) {
    if (state_ != State::Open)
        return;
    while (!plain.empty()) {
        const std::size_t length = std::min<std::size_t>(plain.size(), sizes_.cbMaximumMessage);
        std::string record(sizes_.cbHeader + length + sizes_.cbTrailer, '\0');
        std::copy_n(plain.data(), length, record.data() + sizes_.cbHeader);
        SecBuffer buffers[4] = {
            {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
            {static_cast<ULONG>(length), SECBUFFER_DATA, record.data() + sizes_.cbHeader},
            {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes_.cbHeader + length},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
        if (const SECURITY_STATUS status = ::EncryptMessage(&context_, 0, &desc, 0); status != SEC_E_OK)
            return Fail(TlsFailure(status));
        out_.append(record.data(), buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
        plain.remove_prefix(length);
    }
}

void TlsChannelWin32::Fail(std::string reason, bool refused) {
    state_ = State::Failed;
    failure_ = std::move(reason);
    refused_ = refused;
    in_.clear();
}
