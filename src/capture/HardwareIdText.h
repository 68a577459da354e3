#pragma once
// Conversion of the driver's UTF-16 hardware id to the 8-bit text kept in the device table and the
// configuration file. The registry takes it as a function pointer: WideCharToMultiByte with the
// thread's ANSI code page on Windows, Latin-1 narrowing elsewhere.
#include <cstddef>
#include <string>

using WideToAnsi = void (*)(const char16_t* text, std::size_t length, std::string& out);

// Code units up to 0xFF become that byte, others '?'.
void NarrowLatin1(const char16_t* text, std::size_t length, std::string& out);

// The first zero-terminated string of a hardware-id buffer of which the driver wrote byteCount bytes
// (clamped to the buffer), converted with narrow. Empty when byteCount is 0.
std::string HardwareIdFromBuffer(const unsigned char* buffer, std::size_t bufferSize, std::size_t byteCount,
                                 WideToAnsi narrow);
