#include "PeExports.h"

#include <algorithm>
#include <cstdio>

namespace {

// The functions kvRemote.exe imports from interception.dll (kDriverFunctionNames in
// src/capture/DriverBinding.h).
constexpr const char* kImported[] = {
    "interception_create_context",    "interception_destroy_context", "interception_set_filter",
    "interception_wait_with_timeout", "interception_receive",         "interception_send",
    "interception_is_keyboard",       "interception_is_mouse",        "interception_get_hardware_id",
};

constexpr size_t kMaxNames = 65536;
constexpr size_t kMaxNameLength = 1024;

// Bounds-checked little-endian reads over the file.
class Bytes {
public:
    explicit Bytes(std::span<const uint8_t> file) : file_(file) {}
    bool Has(uint64_t offset, uint64_t length) const {
        return offset <= file_.size() && length <= file_.size() - offset;
    }
    uint16_t U16(uint64_t o) const { return static_cast<uint16_t>(file_[o] | file_[o + 1] << 8); }
    uint32_t U32(uint64_t o) const { return U16(o) | static_cast<uint32_t>(U16(o + 2)) << 16; }
    // The NUL-terminated text at offset, or false when it runs off the file or is too long.
    bool Text(uint64_t offset, std::string& out) const {
        for (uint64_t i = offset; i < file_.size() && i - offset <= kMaxNameLength; ++i) {
            if (file_[i] == 0) {
                out.assign(reinterpret_cast<const char*>(file_.data() + offset), i - offset);
                return true;
            }
        }
        return false;
    }

private:
    std::span<const uint8_t> file_;
};

struct Section {
    uint32_t virtualAddress, rawSize, rawOffset;
};

// The file offset of `length` bytes at a relative virtual address, when a section holds them.
bool RvaToOffset(const Bytes& b, const std::vector<Section>& sections, uint32_t rva, uint64_t length,
                 uint64_t& offset) {
    for (const Section& s : sections) {
        if (rva < s.virtualAddress)
            continue;
        const uint64_t into = rva - s.virtualAddress;
        if (into > s.rawSize || length > s.rawSize - into)
            continue;
        offset = static_cast<uint64_t>(s.rawOffset) + into;
        return b.Has(offset, length);
    }
    return false;
}

PeExports Fail(const char* why) {
    PeExports p;
    p.error = why;
    return p;
}

} // namespace

std::string MachineName(uint16_t machine) {
    if (machine == kMachineX64)
        return "x64";
    if (machine == kMachineX86)
        return "x86";
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", machine);
    return text;
}

PeExports ReadPeExports(std::span<const uint8_t> file) {
    const Bytes b(file);
    if (!b.Has(0, 0x40) || file[0] != 'M' || file[1] != 'Z')
        return Fail("not a Windows program file (no MZ header)");
    const uint64_t pe = b.U32(0x3C);
    if (!b.Has(pe, 24) || b.U32(pe) != 0x00004550)
        return Fail("not a Windows program file (no PE header)");
    PeExports out;
    out.machine = b.U16(pe + 4);
    const uint16_t sectionCount = b.U16(pe + 6);
    const uint16_t optionalSize = b.U16(pe + 20);
    out.isDll = (b.U16(pe + 22) & 0x2000) != 0;
    const uint64_t optional = pe + 24;
    if (!b.Has(optional, optionalSize) || optionalSize < 2)
        return Fail("a damaged PE file: optional header cut short");
    const uint16_t magic = b.U16(optional);
    uint64_t countAt = 0;
    if (magic == 0x10B)
        countAt = optional + 92;
    else if (magic == 0x20B)
        countAt = optional + 108;
    else
        return Fail("a PE file of an unknown kind");
    if (countAt + 4 > optional + optionalSize)
        return Fail("a damaged PE file: optional header cut short");
    const uint32_t dirCount = b.U32(countAt);
    const uint64_t exportDir = countAt + 4;

    std::vector<Section> sections;
    const uint64_t table = optional + optionalSize;
    if (!b.Has(table, uint64_t{sectionCount} * 40))
        return Fail("a damaged PE file: section table cut short");
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const uint64_t s = table + uint64_t{i} * 40;
        sections.push_back({b.U32(s + 12), b.U32(s + 16), b.U32(s + 20)});
    }

    out.ok = true;
    if (dirCount < 1 || exportDir + 8 > optional + optionalSize || b.U32(exportDir) == 0)
        return out; // no export table: no names
    uint64_t directory = 0;
    if (!RvaToOffset(b, sections, b.U32(exportDir), 40, directory))
        return Fail("a damaged PE file: export table outside the file");
    const uint32_t nameCount = b.U32(directory + 24);
    if (nameCount > kMaxNames)
        return Fail("a damaged PE file: too many export names");
    uint64_t nameTable = 0;
    if (nameCount > 0 && !RvaToOffset(b, sections, b.U32(directory + 32), uint64_t{nameCount} * 4, nameTable))
        return Fail("a damaged PE file: export name table outside the file");
    for (uint32_t i = 0; i < nameCount; ++i) {
        uint64_t at = 0;
        std::string name;
        if (!RvaToOffset(b, sections, b.U32(nameTable + uint64_t{i} * 4), 1, at) || !b.Text(at, name))
            return Fail("a damaged PE file: export name outside the file");
        out.names.push_back(std::move(name));
    }
    return out;
}

DllVerdict CheckInterceptionDll(std::span<const uint8_t> file, uint16_t machine) {
    const PeExports pe = ReadPeExports(file);
    if (!pe.ok)
        return {false, pe.error};
    if (!pe.isDll)
        return {false, "a program, not a DLL"};
    if (pe.machine != machine)
        return {false, "a DLL for " + MachineName(pe.machine) + "; this kvRemote is " + MachineName(machine) +
                           " and needs the " + MachineName(machine) + " interception.dll"};
    std::string missing;
    for (const char* name : kImported) {
        if (std::find(pe.names.begin(), pe.names.end(), name) == pe.names.end())
            missing += missing.empty() ? name : std::string(", ") + name;
    }
    if (!missing.empty())
        return {false, "not the Interception library: it does not export " + missing};
    return {true, "ok"};
}
