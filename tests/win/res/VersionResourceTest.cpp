// Every binary we ship carries the one version of the top-level CMakeLists.txt and the one
// publisher and copyright, read from the built files as Windows' file properties read them; the
// program's manifest and About box say the same version.
#include "res/resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct Shipped {
    const char* path;
    const char* fileName;
    DWORD fileType;
};
const Shipped kShipped[] = {
    {KV_TEST_KVREMOTE_EXE, "kvRemote.exe", VFT_APP},
    {KV_TEST_KVCOM_DLL, "KvCom.dll", VFT_DLL},
    {KV_TEST_KVLISTEN_EXE, "kvlisten.exe", VFT_APP},
    {KV_TEST_KVDLLCHECK_EXE, "kvdllcheck.exe", VFT_APP},
};

// A build path (a Unix path) as Wine names that file.
std::string WinePath(const char* path) {
    return path[0] == '/' ? std::string("Z:") + path : path;
}

std::vector<unsigned> Parts(const std::string& version) {
    std::vector<unsigned> parts;
    std::istringstream in(version);
    std::string part;
    while (std::getline(in, part, '.'))
        parts.push_back(static_cast<unsigned>(std::stoul(part)));
    parts.resize(4, 0);
    return parts;
}

std::string Quad(const std::vector<unsigned>& p) {
    return std::to_string(p[0]) + "." + std::to_string(p[1]) + "." + std::to_string(p[2]) + "." +
           std::to_string(p[3]);
}

class VersionInfo {
public:
    explicit VersionInfo(const char* path) {
        DWORD ignored = 0;
        data_.resize(::GetFileVersionInfoSizeA(path, &ignored));
        ok_ =
            !data_.empty() && ::GetFileVersionInfoA(path, 0, static_cast<DWORD>(data_.size()), data_.data());
    }
    bool Ok() const { return ok_; }
    const VS_FIXEDFILEINFO* Fixed() {
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        return ::VerQueryValueA(data_.data(), "\\", reinterpret_cast<void**>(&info), &length) ? info
                                                                                              : nullptr;
    }
    std::string Text(const std::string& name) {
        char* text = nullptr;
        UINT length = 0;
        const std::string key = "\\StringFileInfo\\040904b0\\" + name;
        return ::VerQueryValueA(data_.data(), key.c_str(), reinterpret_cast<void**>(&text), &length) && text
                   ? std::string(text)
                   : "<none>";
    }

private:
    std::vector<char> data_;
    bool ok_ = false;
};

TEST(ShippedVersion, EveryBinaryCarriesTheProjectVersionPublisherAndCopyright) {
    const std::vector<unsigned> parts = Parts(KV_TEST_PROJECT_VERSION);
    for (const Shipped& file : kShipped) {
        SCOPED_TRACE(file.fileName);
        VersionInfo info(WinePath(file.path).c_str());
        ASSERT_TRUE(info.Ok()) << "no version resource in " << file.path;
        const VS_FIXEDFILEINFO* fixed = info.Fixed();
        ASSERT_NE(fixed, nullptr);
        EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(parts[1], parts[0])));
        EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(parts[3], parts[2])));
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
        EXPECT_EQ(fixed->dwFileType, file.fileType);
        EXPECT_EQ(info.Text("FileVersion"), KV_TEST_PROJECT_VERSION);
        EXPECT_EQ(info.Text("ProductVersion"), KV_TEST_PROJECT_VERSION);
        EXPECT_EQ(info.Text("ProductName"), "kvRemote");
        EXPECT_EQ(info.Text("CompanyName"), "Korvane");
        EXPECT_EQ(info.Text("LegalCopyright"), KV_TEST_COPYRIGHT);
        EXPECT_EQ(info.Text("OriginalFilename"), file.fileName);
        EXPECT_NE(info.Text("FileDescription"), "<none>");
    }
    EXPECT_NE(std::string(KV_TEST_COPYRIGHT).find("Korvane"), std::string::npos);
}

TEST(ShippedVersion, TheProgramsManifestAndAboutBoxSayTheSameVersion) {
    HMODULE program =
        ::LoadLibraryExA(WinePath(KV_TEST_KVREMOTE_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HRSRC res = ::FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    ASSERT_NE(res, nullptr);
    const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(program, res))),
                               ::SizeofResource(program, res));
    const std::string identity = "name=\"kvRemote\" version=\"" + Quad(Parts(KV_TEST_PROJECT_VERSION)) + "\"";
    EXPECT_NE(manifest.find(identity), std::string::npos) << manifest.substr(0, 300);

    char text[64] = {};
    ::LoadStringA(program, IDS_VERSION, text, sizeof text);
    EXPECT_STREQ(text, KV_TEST_PROJECT_VERSION);
    ::FreeLibrary(program);
}

} // namespace
