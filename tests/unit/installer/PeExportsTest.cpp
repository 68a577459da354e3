// The installer's check of a user's interception.dll, on PE files made by the real linkers: the
// right architecture with every export passes; the other architecture, a missing export, a program
// and files that are not PE files at all are refused with the reason the installer shows.
#include "PeExports.h"
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Sample(const std::string& name) {
    std::ifstream in(std::string(KV_PE_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(PeExports, ReadsMachineKindAndNames) {
    const PeExports pe64 = ReadPeExports(Sample("full64.dll"));
    ASSERT_TRUE(pe64.ok) << pe64.error;
    EXPECT_EQ(pe64.machine, kMachineX64);
    EXPECT_TRUE(pe64.isDll);
    EXPECT_EQ(pe64.names.size(), 10u);
    const PeExports pe32 = ReadPeExports(Sample("full32.dll"));
    ASSERT_TRUE(pe32.ok) << pe32.error;
    EXPECT_EQ(pe32.machine, kMachineX86);
    EXPECT_EQ(pe32.names, pe64.names); // undecorated on both
    const PeExports program = ReadPeExports(Sample("program64.exe"));
    ASSERT_TRUE(program.ok) << program.error;
    EXPECT_FALSE(program.isDll);
}

TEST(PeExports, VerdictsTheInstallerShows) {
    const struct {
        const char* file;
        uint16_t machine;
        const char* message;
    } cases[] = {
        {"full64.dll", kMachineX64, "ok"},
        {"full32.dll", kMachineX86, "ok"},
        {"full64.dll", kMachineX86, "a DLL for x64; this kvRemote is x86 and needs the x86 interception.dll"},
        {"full32.dll", kMachineX64, "a DLL for x86; this kvRemote is x64 and needs the x64 interception.dll"},
        {"missing64.dll", kMachineX64,
         "not the Interception library: it does not export interception_get_hardware_id"},
        {"program64.exe", kMachineX64, "a program, not a DLL"},
    };
    for (const auto& c : cases) {
        const DllVerdict v = CheckInterceptionDll(Sample(c.file), c.machine);
        EXPECT_EQ(v.message, c.message) << c.file << " for " << MachineName(c.machine);
        EXPECT_EQ(v.ok, std::string(c.message) == "ok") << c.file;
    }
}

TEST(PeExports, RefusesDamagedFiles) {
    const std::vector<uint8_t> dll = Sample("full64.dll");
    const std::string text = "interception.dll is not here\n";
    EXPECT_EQ(CheckInterceptionDll(std::vector<uint8_t>(text.begin(), text.end()), kMachineX64).message,
              "not a Windows program file (no MZ header)");
    EXPECT_EQ(
        CheckInterceptionDll(std::vector<uint8_t>(dll.begin(), dll.begin() + 0x40), kMachineX64).message,
        "not a Windows program file (no PE header)");
    // Cut anywhere before its last byte, the file is refused or still fully read, never misread.
    for (size_t size = 0; size < dll.size(); size += 61) {
        const DllVerdict v =
            CheckInterceptionDll(std::vector<uint8_t>(dll.begin(), dll.begin() + size), kMachineX64);
        EXPECT_FALSE(v.message.empty()) << size;
        if (v.ok) {
            EXPECT_EQ(ReadPeExports(std::vector<uint8_t>(dll.begin(), dll.begin() + size)).names.size(), 10u);
        }
    }
    // An export table pointing past the end of the file.
    std::vector<uint8_t> bent = dll;
    const uint32_t pe = bent[0x3C] | bent[0x3D] << 8;
    bent[pe + 24 + 112 + 3] = 0x7F; // export directory RVA far beyond every section
    EXPECT_EQ(CheckInterceptionDll(bent, kMachineX64).message, "a damaged PE file: export table outside the file");
}

} // namespace
