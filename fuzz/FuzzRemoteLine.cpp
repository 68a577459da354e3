// Fuzzes the REMOTE line parser both ways: an accepted datagram must format back to exactly the
// same bytes (nothing misread), and a line composed from any quote-free fields must be accepted
// with those fields.
#include "remote/RemoteLine.h"
#include "remote/RemoteLineParser.h"
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

std::string CommandOf(const RemoteLineFields& f) {
    return std::string(f.textCmd) + "/" + std::to_string(f.code) + "/" + std::to_string(f.value) + "/" +
           std::to_string(f.index);
}

bool Quotable(std::string_view field) {
    return field.find('"') == std::string_view::npos && field.find('\0') == std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const RemoteLineParse parsed = ParseRemoteLine(bytes);
    if (parsed.ok) {
        const RemoteLineFields& f = parsed.fields;
        if (FormatRemoteLine(f.applicationId, f.destination, CommandOf(f)) != bytes)
            std::abort();
    } else if (parsed.error.empty()) {
        std::abort();
    }

    // The same bytes as fields: 10 bytes of numbers, then three texts split at two bytes' offsets.
    if (size < 12)
        return 0;
    RemoteLineFields f;
    std::memcpy(&f.code, data, 4);
    std::memcpy(&f.value, data + 4, 2);
    std::memcpy(&f.index, data + 6, 4);
    const std::string_view texts = bytes.substr(12);
    const size_t a = texts.empty() ? 0 : data[10] % (texts.size() + 1);
    const size_t b = texts.empty() ? 0 : a + data[11] % (texts.size() - a + 1);
    f.applicationId = texts.substr(0, a);
    f.destination = texts.substr(a, b - a);
    f.textCmd = texts.substr(b);
    if (f.applicationId.empty() || f.textCmd.empty() || !Quotable(texts))
        return 0;
    const std::string line = FormatRemoteLine(f.applicationId, f.destination, CommandOf(f));
    const RemoteLineParse back = ParseRemoteLine(line);
    if (!back.ok || back.fields.applicationId != f.applicationId ||
        back.fields.destination != f.destination || back.fields.textCmd != f.textCmd ||
        back.fields.code != f.code || back.fields.value != f.value || back.fields.index != f.index)
        std::abort();
    return 0;
}
