// Pixel formats of the X11 back-end: the channel layout of a TrueColor visual, the 256-entry
// lookup table that turns palette indices into ready pixel values, and the per-frame conversion.
// Kept free of Xlib so that it can be tested without a server.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

// Where one colour channel sits in a pixel value: its lowest bit and its width.
struct X11Channel {
    int shift = 0;
    int bits = 0;
};

struct X11Channels {
    X11Channel red, green, blue;
};

constexpr X11Channel x11_channel_from_mask(unsigned long mask)
{
    X11Channel c;
    if (mask == 0) return c;
    for (; (mask & 1) == 0; mask >>= 1) c.shift++;
    for (; (mask & 1) != 0; mask >>= 1) c.bits++;
    return c;
}

// Keeps the top bits of each 0-255 component that fit its channel (all of them, scaled up,
// where a channel is wider than 8 bits).
constexpr uint32_t x11_pixel_value(uint32_t r, uint32_t g, uint32_t b, const X11Channels& c)
{
    return ((r << c.red.bits) >> 8) << c.red.shift | ((g << c.green.bits) >> 8) << c.green.shift |
           ((b << c.blue.bits) >> 8) << c.blue.shift;
}

// One entry per palette index, 1, 2 or 4 bytes wide like the image's pixels. With swap set
// the entries are stored in the opposite byte order, for a server of the other endianness.
template <typename T>
void x11_table_fill(std::array<T, 256>& table, const uint8_t* palette, const X11Channels& c,
                    bool swap)
{
    for (size_t i = 0; i < table.size(); i++) {
        const uint8_t* rgb = palette + 3 * i;
        const uint32_t value = x11_pixel_value(rgb[0], rgb[1], rgb[2], c);
        if constexpr (sizeof(T) == 2)
            table[i] = swap ? __builtin_bswap16(uint16_t(value)) : uint16_t(value);
        else if constexpr (sizeof(T) == 4)
            table[i] = swap ? __builtin_bswap32(value) : value;
        else
            table[i] = T(value);
    }
}

// Converts a width x height frame of palette indices into the image at dst, whose rows are
// stride bytes apart: one table look-up per frame pixel. With a pixel size above 1 each
// converted pixel is written that many times and the finished row is copied to the rows below.
template <typename T>
void x11_convert(std::span<const uint8_t> frame, uint32_t width, uint32_t height,
                 const std::array<T, 256>& table, uint8_t* dst, size_t stride, int pixel_size)
{
    const size_t row_bytes = size_t(width) * pixel_size * sizeof(T);
    for (uint32_t y = 0; y < height; y++) {
        const auto src = frame.subspan(size_t(y) * width, width);
        uint8_t* row = dst + size_t(y) * pixel_size * stride;
        T* out = reinterpret_cast<T*>(row);
        if (pixel_size == 1) {
            for (const uint8_t index : src) *out++ = table[index];
            continue;
        }
        if (pixel_size == 2) {
            for (const uint8_t index : src) {
                const T value = table[index];
                *out++ = value;
                *out++ = value;
            }
        } else {
            for (const uint8_t index : src) out = std::fill_n(out, pixel_size, table[index]);
        }
        for (int k = 1; k < pixel_size; k++) std::memcpy(row + k * stride, row, row_bytes);
    }
}

// Index i stays i: an 8-bit PseudoColor display shows palette indices as they are.
constexpr std::array<uint8_t, 256> x11_identity_table = [] {
    std::array<uint8_t, 256> t{};
    for (size_t i = 0; i < t.size(); i++) t[i] = uint8_t(i);
    return t;
}();
