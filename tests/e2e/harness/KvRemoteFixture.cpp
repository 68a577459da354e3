#include "KvRemoteFixture.h"

#include "BuildPath.h"
#include "UdpReceiver.h"

// The build passes these when the targets exist; empty means "not built (yet)".
#ifndef KV_E2E_KVREMOTE_EXE
#define KV_E2E_KVREMOTE_EXE ""
#endif
#ifndef KV_E2E_KVCOM_DLL
#define KV_E2E_KVCOM_DLL ""
#endif
#ifndef KV_E2E_SIMDRIVER_DLL
#define KV_E2E_SIMDRIVER_DLL ""
#endif

namespace kve2e {

namespace {

struct Product {
    const char* built;
    const char* name; // as the program loads it
};

const Product kProducts[] = {
    {KV_E2E_KVREMOTE_EXE, "kvRemote.exe"},
    {KV_E2E_KVCOM_DLL, "KvCom.dll"},
    {KV_E2E_SIMDRIVER_DLL, "interception.dll"},
};

} // namespace

void KvRemoteFixture::SetUp() {
    for (const auto& product : kProducts) {
        if (*product.built == '\0') {
            GTEST_SKIP() << product.name << " is not built in this tree yet";
        }
    }
    folder_.emplace();
    for (const auto& product : kProducts) {
        folder_->Copy(BuildPath(product.built), product.name);
    }
}

void KvRemoteFixture::TearDown() {
    Stop();
    folder_.reset();
}

std::filesystem::path KvRemoteFixture::ProgramPath() const {
    return folder_->Path() / programFolder_ / "kvRemote.exe";
}

void KvRemoteFixture::PlaceProgramIn(const std::filesystem::path& subfolder) {
    const std::filesystem::path from = ProgramPath().parent_path();
    std::filesystem::create_directories(folder_->Path() / subfolder);
    programFolder_ = subfolder;
    for (const auto& product : kProducts) {
        std::filesystem::rename(from / product.name, ProgramPath().parent_path() / product.name);
    }
}

std::filesystem::path KvRemoteFixture::IniPath() const {
    return folder_->Path() / "kvRemote.ini";
}

std::filesystem::path KvRemoteFixture::WriteIni(std::string_view text) {
    return folder_->Write("kvRemote.ini", text);
}

std::filesystem::path KvRemoteFixture::WriteDevices(std::string_view text) {
    auto path = folder_->Write("kvsim-devices.txt", text);
    SetEnv("KVSIM_DEVICES", path.string());
    return path;
}

uint16_t KvRemoteFixture::SimPort() {
    if (!simPort_) {
        // A port that was free a moment ago; the driver binds it when the program starts.
        simPort_ = UdpReceiver(0).Port();
        SetEnv("KVSIM_PORT", std::to_string(*simPort_));
    }
    return *simPort_;
}

std::filesystem::path KvRemoteFixture::SimLog() {
    auto path = folder_->Path() / "kvsim.log";
    SetEnv("KVSIM_LOG", path.string());
    return path;
}

void KvRemoteFixture::SetEnv(const std::string& name, std::optional<std::string> value) {
    env_[name] = std::move(value);
}

Process& KvRemoteFixture::Start(const std::vector<std::string>& args) {
    Stop();
    StartOptions options;
    options.args = args;
    options.workingDir = folder_->Path();
    options.env = env_;
    program_.emplace(Process::Start(ProgramPath(), options));
    return *program_;
}

void KvRemoteFixture::Stop() {
    program_.reset();
}

} // namespace kve2e
