// How interception.dll is loaded, under Wine: the branch for systems without AddDllDirectory (forced
// by the probe) binds the file beside the program and nothing from the current folder; the search
// flags let a library take its run-time library from System32.
#include "capture/InterceptionDriver.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

bool AddDllDirectoryAbsent() {
    return false;
}

fs::path Samples() {
    wchar_t exe[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return fs::path(std::wstring(exe, n)).parent_path() / "loader-samples";
}

// A program folder and a current folder of their own; whatever was loaded or placed is gone after.
class DriverLoader : public testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("kvloader" + std::to_string(GetCurrentProcessId()));
        std::error_code ignored;
        fs::remove_all(root_, ignored); // left by a run that crashed (Wine gives out the same ids)
        fs::create_directories(root_ / "program");
        fs::create_directories(root_ / "current");
        previousFolder_ = fs::current_path();
    }
    void TearDown() override {
        if (binding_.module)
            FreeLibrary(static_cast<HMODULE>(binding_.module));
        fs::current_path(previousFolder_);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
        if (!placedInSystem_.empty())
            fs::remove(placedInSystem_, ignored);
    }

    const DriverLibraryBinding& Bind(AddDllDirectoryProbe probe) {
        if (binding_.module)
            FreeLibrary(static_cast<HMODULE>(binding_.module));
        binding_ = BindInterceptionLibrary((root_ / "program").wstring(), probe);
        return binding_;
    }
    fs::path Beside() const { return root_ / "program" / "interception.dll"; }
    fs::path LoadedFrom() const {
        wchar_t path[MAX_PATH];
        const DWORD n = GetModuleFileNameW(static_cast<HMODULE>(binding_.module), path, MAX_PATH);
        return std::wstring(path, n);
    }

    fs::path root_, previousFolder_, placedInSystem_;
    DriverLibraryBinding binding_;
};

TEST_F(DriverLoader, WithoutAddDllDirectoryTheLibraryBesideTheProgramIsBoundAndOneInTheCurrentFolderIsNot) {
    fs::copy_file(Samples() / "plain" / "interception.dll", root_ / "current" / "interception.dll");
    fs::current_path(root_ / "current");
    Bind(&AddDllDirectoryAbsent);
    EXPECT_EQ(binding_.status.state, DriverLibraryState::Missing) << "loaded from " << LoadedFrom();
    EXPECT_EQ(binding_.status.path, Beside().string());
    EXPECT_EQ(GetModuleHandleW(L"interception.dll"), nullptr);

    fs::copy_file(Samples() / "plain" / "interception.dll", Beside());
    Bind(&AddDllDirectoryAbsent);
    ASSERT_EQ(binding_.status.state, DriverLibraryState::Bound) << "error " << binding_.status.error;
    EXPECT_EQ(binding_.branch, DriverLoadBranch::AlteredSearchPath);
    EXPECT_TRUE(fs::equivalent(LoadedFrom(), Beside())) << LoadedFrom();
    EXPECT_EQ(binding_.api.is_keyboard(1), 7) << "the stand-in's function of that name";
}

TEST_F(DriverLoader, ALibraryImportingADllFoundOnlyInSystem32IsBoundWithTheSearchFlags) {
    ASSERT_TRUE(KernelHasAddDllDirectory());
    wchar_t system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    placedInSystem_ = fs::path(system) / "kvsysdep.dll";
    fs::remove(placedInSystem_); // left by a run that crashed
    fs::copy_file(Samples() / "kvsysdep.dll", placedInSystem_);
    fs::copy_file(Samples() / "system-dependent" / "interception.dll", Beside());

    Bind(&KernelHasAddDllDirectory);
    EXPECT_EQ(binding_.branch, DriverLoadBranch::SearchFlags);
    ASSERT_EQ(binding_.status.state, DriverLibraryState::Bound) << "error " << binding_.status.error;
    EXPECT_EQ(binding_.api.is_mouse(11), 1) << "the call reaches kvsysdep.dll";
}

} // namespace
