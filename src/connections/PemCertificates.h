#pragma once
// The certificates of a PEM file (a CA file): the DER bytes of every "CERTIFICATE" block, in order.
// Other blocks (keys, parameters) and text around the blocks are passed over.
#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> PemCertificates(std::string_view text);
