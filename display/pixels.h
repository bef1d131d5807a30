// How the real back-ends turn the frame's palette indices into a screen's pixels: the channel
// layout of a true-colour screen (an X visual's masks, a framebuffer's bit fields), the
// 256-entry lookup table of ready pixel values, and the per-frame conversion, each frame pixel
// repeated into a block where the screen shows it larger. Free of Xlib and of the device, so
// that it can be tested alone.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

// Where one colour channel sits in a pixel value: its lowest bit and its width.
struct PixelChannel {
    int shift = 0;
    int bits = 0;
};

struct PixelChannels {
    PixelChannel red, green, blue;
};

constexpr PixelChannel pixels_channel_from_mask(unsigned long mask)
{
    PixelChannel c;
    if (mask == 0) return c;
    for (; (mask & 1) == 0; mask >>= 1) c.shift++;
    for (; (mask & 1) != 0; mask >>= 1) c.bits++;
    return c;
}

// Keeps the top bits of each 0-255 component that fit its channel (all of them, scaled up,
// where a channel is wider than 8 bits).
constexpr uint32_t pixels_value(uint32_t r, uint32_t g, uint32_t b, const PixelChannels& c)
{
    return ((r << c.red.bits) >> 8) << c.red.shift | ((g << c.green.bits) >> 8) << c.green.shift |
           ((b << c.blue.bits) >> 8) << c.blue.shift;
}

// One entry per palette index, 1, 2 or 4 bytes wide like the screen's pixels. With swap set
// the entries are stored in the opposite byte order, for an X server of the other endianness.
template <typename T>
void pixels_table_fill(std::array<T, 256>& table, const uint8_t* palette, const PixelChannels& c,
                       bool swap)
{
    for (size_t i = 0; i < table.size(); i++) {
        const uint8_t* rgb = palette + 3 * i;
        const uint32_t value = pixels_value(rgb[0], rgb[1], rgb[2], c);
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
void pixels_convert(std::span<const uint8_t> frame, uint32_t width, uint32_t height,
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

// Index i stays i: an 8-bit pseudo-colour screen shows palette indices as they are.
constexpr std::array<uint8_t, 256> pixels_identity_table = [] {
    std::array<uint8_t, 256> t{};
    for (size_t i = 0; i < t.size(); i++) t[i] = uint8_t(i);
    return t;
}();

// A screen's way from palette indices to pixels: the lookup table of its pixel width, or none
// where the screen takes the indices themselves and the palette is its colour map.
struct PixelTables {
    int bytes = 0; // 1, 2 or 4: the width of the screen's pixels; 0: indices as they are
    std::array<uint8_t, 256> lookup8{};
    std::array<uint16_t, 256> lookup16{};
    std::array<uint32_t, 256> lookup32{};
};

// Fills the table that the screen uses from the palette (768 bytes); nothing for indices.
inline void pixels_tables_fill(PixelTables* t, const uint8_t* palette, const PixelChannels& c,
                               bool swap)
{
    if (t->bytes == 1)
        pixels_table_fill(t->lookup8, palette, c, swap);
    else if (t->bytes == 2)
        pixels_table_fill(t->lookup16, palette, c, swap);
    else if (t->bytes == 4)
        pixels_table_fill(t->lookup32, palette, c, swap);
}

// pixels_convert through the screen's table; indices at pixel size 1 are copied row by row.
inline void pixels_put(const PixelTables& t, std::span<const uint8_t> frame, uint32_t width,
                       uint32_t height, uint8_t* dst, size_t stride, int pixel_size)
{
    if (t.bytes == 0 && pixel_size == 1) {
        for (uint32_t y = 0; y < height; y++)
            std::memcpy(dst + y * stride, &frame[size_t(y) * width], width);
    } else if (t.bytes == 0) {
        pixels_convert(frame, width, height, pixels_identity_table, dst, stride, pixel_size);
    } else if (t.bytes == 1) {
        pixels_convert(frame, width, height, t.lookup8, dst, stride, pixel_size);
    } else if (t.bytes == 2) {
        pixels_convert(frame, width, height, t.lookup16, dst, stride, pixel_size);
    } else {
        pixels_convert(frame, width, height, t.lookup32, dst, stride, pixel_size);
    }
}
