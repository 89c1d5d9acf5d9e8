// Numbered in-memory images; the tray icon is made from one.
#pragma once

#include <cstdint>
#include <vector>

namespace quillet {

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;             // bits per pixel: 24 or 32
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, rows top to bottom
};

// Creates image `number` filled with one colour; false for a bad size or depth.
bool CreateImage(int32_t number, int32_t width, int32_t height, int32_t depth, uint32_t color);
const Image* FindImage(int32_t number);
void FreeImage(int32_t number);
void FreeAllImages();

// The icon mask for an image, one bit per pixel, rows padded to 16 bits: a set
// bit is transparent. Only a 32-bit pixel with alpha 0 is transparent.
std::vector<uint8_t> IconMaskBits(const Image& image);

}  // namespace quillet
