#include "ui/image.h"

#include "ui/numbered_table.h"

namespace quillet {

namespace {

NumberedTable<Image>& Images() {
    static NumberedTable<Image> table;
    return table;
}

}  // namespace

bool CreateImage(int32_t number, int32_t width, int32_t height, int32_t depth, uint32_t color) {
    // Keeps a careless size from asking for gigabytes.
    constexpr int32_t MaxSide = 4096;
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide) return false;
    if (depth != 24 && depth != 32) return false;
    Image* image = Images().Create(number);
    if (!image) return false;
    image->width = width;
    image->height = height;
    image->depth = depth;
    image->pixels.assign(static_cast<size_t>(width) * height,
                         depth == 24 ? color | 0xff000000u : color);
    return true;
}

const Image* FindImage(int32_t number) { return Images().Find(number); }

void FreeImage(int32_t number) { Images().Free(number); }

void FreeAllImages() {
    for (int32_t i = 0; i < Images().Capacity(); ++i) Images().Free(i);
}

std::vector<uint8_t> IconMaskBits(const Image& image) {
    const size_t stride = ((static_cast<size_t>(image.width) + 15) / 16) * 2;
    std::vector<uint8_t> bits(stride * image.height, 0);
    if (image.depth != 32) return bits;
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
            if ((image.pixels[static_cast<size_t>(y) * image.width + x] >> 24) == 0) {
                bits[y * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return bits;
}

}  // namespace quillet
