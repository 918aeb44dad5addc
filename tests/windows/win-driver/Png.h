// A minimal PNG writer for the driver's screenshots: 24-bit RGB, stored (uncompressed) deflate
// blocks, so it needs no library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lesamo::driver {

/// Writes `rgb` (rows top to bottom, 3 bytes per pixel, no padding) as a PNG file.
/// Returns false when the file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);

}  // namespace lesamo::driver
