#pragma once
// A minimal PNG encoder (stored deflate blocks) for screenshots and test images.
#include <cstdint>
#include <string>
#include <vector>

// Pixels are 0x00RRGGBB, rows from the top. Returns the PNG file's bytes.
std::string EncodePng(const std::vector<uint32_t>& pixels, int width, int height);
