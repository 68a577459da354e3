// Paths from the build system (Unix paths, passed as compile definitions) as the Windows paths
// the same files have under Wine.
#pragma once

#include <filesystem>
#include <string_view>

namespace kve2e {

// "/work/build/x.exe" -> the path Wine gives that file (normally "Z:\work\build\x.exe"); a path
// that is already a Windows path, or any path on Windows itself, is returned as it is.
std::filesystem::path BuildPath(std::string_view path);

} // namespace kve2e
