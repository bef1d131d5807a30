#include "gfx2d/image.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

int image_create(Image** out, uint32_t width, uint32_t height)
{
    *out = static_cast<Image*>(std::malloc(sizeof(Image)));
    if (*out == nullptr) return -1;
    Image* img = *out;
    img->pixels = nullptr;
    const size_t count = size_t(width) * height;
    // malloc(0) may answer null; an empty image is still a success.
    img->pixels = static_cast<uint8_t*>(std::malloc(count ? count : 1));
    if (img->pixels == nullptr) return -2;
    img->width = width;
    img->height = height;
    std::memset(img->pixels, 0, count);
    return 0;
}

void image_destroy(Image** handle)
{
    if (handle == nullptr || *handle == nullptr) return;
    std::free((*handle)->pixels);
    std::free(*handle);
}

void image_clear(Image* img, int colour)
{
    std::memset(img->pixels, colour & 0xff, size_t(img->width) * img->height);
}

// Ratios below are 10-bit fixed point: 1024 is one source pixel per destination pixel.
static int64_t blit_ratio(int64_t src_len, int64_t dst_len)
{
    return (src_len * 1024) / dst_len;
}

void image_blit_scaled(Image* dst, int32_t dx_in, int32_t dy_in, int32_t dw_in, int32_t dh_in,
                       const Image* src, int32_t sx_in, int32_t sy_in, int32_t sw_in, int32_t sh_in,
                       int key, int use_key)
{
    // 64-bit throughout so that no size can overflow the fixed-point products.
    int64_t dx = dx_in, dy = dy_in, dw = dw_in, dh = dh_in;
    int64_t sx = sx_in, sy = sy_in, sw = sw_in, sh = sh_in;
    if (sx < 0 || sy < 0 || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;

    // Cut away what lies left of or above the destination, taking it from the source's
    // left or top so that the visible part keeps its unclipped scale.
    if (dx < 0) {
        const int64_t visible = dw + dx;
        if (visible <= 0) return;
        const int64_t vis = (blit_ratio(sw, dw) * visible) >> 10;
        sx += sw - vis;
        sw = vis;
        dw = visible;
        dx = 0;
    }
    if (dy < 0) {
        const int64_t visible = dh + dy;
        if (visible <= 0) return;
        const int64_t vis = (blit_ratio(sh, dh) * visible) >> 10;
        sy += sh - vis;
        sh = vis;
        dh = visible;
        dy = 0;
    }
    if (sx < 0 || sy < 0 || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    if (dx >= dst->width || dy >= dst->height) return;

    if (dx + dw > dst->width) {
        const int64_t ratio = blit_ratio(sw, dw);
        dw = dst->width - dx;
        sw = (dw * ratio) >> 10;
    }
    if (dy + dh > dst->height) {
        const int64_t ratio = blit_ratio(sh, dh);
        dh = dst->height - dy;
        sh = (dh * ratio) >> 10;
    }

    // A source rectangle reaching past the picture: what exists is stretched over the
    // whole destination rectangle.
    if (sx >= src->width || sy >= src->height) return;
    sw = std::min<int64_t>(sw, src->width - sx);
    sh = std::min<int64_t>(sh, src->height - sy);
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;

    const int64_t xstep = blit_ratio(sw, dw);
    const int64_t ystep = blit_ratio(sh, dh);
    const uint8_t k = uint8_t(key);
    int64_t yacc = 0;
    for (int64_t r = 0; r < dh; r++, yacc += ystep) {
        const uint8_t* s = src->pixels + size_t(sy + (yacc >> 10)) * src->width + sx;
        uint8_t* d = dst->pixels + size_t(dy + r) * dst->width + dx;
        int64_t xacc = 0;
        if (use_key & 0xff) {
            for (int64_t c = 0; c < dw; c++, xacc += xstep) {
                const uint8_t v = s[xacc >> 10];
                if (v != k) d[c] = v;
            }
        } else {
            for (int64_t c = 0; c < dw; c++, xacc += xstep) d[c] = s[xacc >> 10];
        }
    }
}

void blur_decay(uint8_t* p, int32_t width, int32_t height, int decay)
{
    // The neighbourhood needs a row above or below every pixel; smaller arrays stay as they are.
    if (width < 2 || height < 2) return;
    const int dec = decay & 0xff;
    const size_t w = size_t(width);
    const size_t n = w * size_t(height);
    auto store = [dec](uint8_t& px, int sum) {
        const int v = (sum >> 3) - dec;
        px = uint8_t(v < 0 ? 0 : v);
    };

    // Left and upper neighbours are already the new values: the walk is in memory order.
    store(p[0], 5 * p[0] + p[1] + 2 * p[w]);
    for (size_t i = 1; i < w; i++) store(p[i], p[i - 1] + 4 * p[i] + p[i + 1] + 2 * p[i + w]);
    for (size_t i = w; i < n - w; i++)
        store(p[i], p[i - 1] + 4 * p[i] + p[i + 1] + p[i + w] + p[i - w]);
    for (size_t i = n - w; i < n - 1; i++)
        store(p[i], p[i - 1] + 4 * p[i] + p[i + 1] + 2 * p[i - w]);
}

void image_line(Image* img, int x0, int y0, int x1, int y1, int colour)
{
    // Liang-Barsky against the pixel centres' box first, so far-away end points cost nothing.
    double t0 = 0.0, t1 = 1.0;
    const double ddx = double(x1) - x0, ddy = double(y1) - y0;
    const double p[4] = {-ddx, ddx, -ddy, ddy};
    const double q[4] = {double(x0), double(img->width) - 1 - x0, double(y0),
                         double(img->height) - 1 - y0};
    if (img->width == 0 || img->height == 0) return;
    for (int i = 0; i < 4; i++) {
        if (p[i] == 0) {
            if (q[i] < 0) return;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return;
    }
    int ax = int(std::lround(x0 + t0 * ddx)), ay = int(std::lround(y0 + t0 * ddy));
    const int bx = int(std::lround(x0 + t1 * ddx)), by = int(std::lround(y0 + t1 * ddy));

    // Bresenham between the clipped ends.
    const int sx = ax < bx ? 1 : -1, sy = ay < by ? 1 : -1;
    const int ex = std::abs(bx - ax), ey = -std::abs(by - ay);
    int err = ex + ey;
    const uint8_t c = uint8_t(colour);
    for (;;) {
        if (ax >= 0 && ay >= 0 && uint32_t(ax) < img->width && uint32_t(ay) < img->height)
            img->pixels[size_t(ay) * img->width + ax] = c;
        if (ax == bx && ay == by) break;
        const int e2 = 2 * err;
        if (e2 >= ey) {
            err += ey;
            ax += sx;
        }
        if (e2 <= ex) {
            err += ex;
            ay += sy;
        }
    }
}

void image_triangle_outline(Image* img, int x0, int y0, int x1, int y1, int x2, int y2, int colour)
{
    image_line(img, x0, y0, x1, y1, colour);
    image_line(img, x1, y1, x2, y2, colour);
    image_line(img, x2, y2, x0, y0, colour);
}
