// The land's painted pictures: the house walls with their doors and windows, the church's
// wall and tower, and the closing billboard, the show's end card.
#include "content/land/land.h"
#include "content/tools/coverage.h"
#include "content/tools/font.h"
#include "content/tools/random.h"

#include <cmath>

namespace {

// A rectangle in the unit square (x right, y down).
struct Box {
    double x0, y0, x1, y1;
    bool holds(double x, double y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

double pic_grain(double x, double y, int size)
{
    ContentRandom r{uint32_t(int(x * size) * 7919 + int(y * size) * 104729) | 1u};
    r.next_bits();
    return r.unit();
}

// A window: white frame and cross bars round dark glass that catches the sky at its top.
Vec3 pic_window(const Box& b, double x, double y)
{
    const double fx = (x - b.x0) / (b.x1 - b.x0), fy = (y - b.y0) / (b.y1 - b.y0);
    if (fx < 0.1 || fx > 0.9 || fy < 0.08 || fy > 0.92 || std::fabs(fx - 0.5) < 0.05 ||
        std::fabs(fy - 0.45) < 0.04)
        return {0.8, 0.78, 0.7};
    return mix(Vec3{0.25, 0.4, 0.6}, Vec3{0.03, 0.05, 0.1}, smoothstep(0.1, 0.7, fy + 0.2 * fx));
}

Vec3 pic_door(const Box& b, double x, double y)
{
    const double fx = (x - b.x0) / (b.x1 - b.x0), fy = (y - b.y0) / (b.y1 - b.y0);
    if (fx < 0.08 || fx > 0.92 || fy < 0.05) return {0.08, 0.05, 0.03};
    const double plank = std::fmod(fx * 4, 1.0);
    Vec3 c = Vec3{0.25, 0.1, 0.04} * (plank < 0.08 ? 0.5 : 0.9 + 0.2 * pic_grain(x, y * 0.2, 256));
    if (std::hypot(fx - 0.78, fy - 0.55) < 0.05) c = {0.7, 0.6, 0.2}; // the handle
    return c;
}

// Where a point lies in an opening under a round arch, in a stone surround: fx 0..1 across,
// fy 0..1 down, the arch's half circle over the top quarter.
enum ArchPart { ARCH_OUTSIDE, ARCH_FRAME, ARCH_INSIDE };
ArchPart pic_arch(double fx, double fy)
{
    constexpr double ARCH = 0.25, FRAME = 0.72;
    const double ax = (fx - 0.5) * 2, ay = (fy - ARCH) / ARCH;
    const double round = fy >= ARCH ? std::fabs(ax) : std::hypot(ax, ay);
    if (round >= 1 || fy < 0 || fy > 1) return ARCH_OUTSIDE;
    return round > FRAME || fy > 0.94 ? ARCH_FRAME : ARCH_INSIDE;
}

// Leaded glass catching the sky at its top.
Vec3 pic_lead_glass(double fx, double fy)
{
    const double lead = std::min(std::fabs(std::fmod(fx * 4 + fy * 3, 1.0) - 0.5),
                                 std::fabs(std::fmod(fx * 4 - fy * 3 + 8, 1.0) - 0.5));
    if (lead < 0.06) return {0.06, 0.06, 0.07};
    return mix(Vec3{0.3, 0.42, 0.55}, Vec3{0.05, 0.07, 0.12}, smoothstep(0.1, 0.8, fy));
}

// An arched opening at (x0, y0), w by h, filled by fill(fx, fy); c unchanged outside it.
template <class Fill>
void pic_arched(Vec3& c, double x, double y, double x0, double y0, double w, double h, Fill fill)
{
    const double fx = (x - x0) / w, fy = (y - y0) / h;
    const ArchPart part = pic_arch(fx, fy);
    if (part == ARCH_FRAME) c = {0.55, 0.52, 0.45};
    if (part == ARCH_INSIDE) c = fill(fx, fy);
}

// The church: whitewashed, on a stone plinth. Its nave's side (the left four fifths) has two
// tall windows under a dark cornice; the last fifth is the tower's face, its belfry's open
// arch at the top, a clock below it and a round-arched door at its foot.
Vec3 pic_church(double x, double y, double grain)
{
    Vec3 c = Vec3{0.74, 0.71, 0.63} * (0.93 + 0.1 * grain);
    if (y > 0.9) c = Vec3{0.3, 0.29, 0.26} * (0.75 + 0.45 * grain);
    if (x < 0.8) {
        if (y < 0.06) c = Vec3{0.28, 0.26, 0.23} * (0.8 + 0.3 * grain);
        for (double wx : {0.16, 0.52}) pic_arched(c, x, y, wx, 0.2, 0.12, 0.58, pic_lead_glass);
        return c;
    }
    const double tx = (x - 0.8) / 0.2;
    if (std::fabs(tx - 0.5) > 0.44) c = c * 0.82; // the tower's corners, in shade
    pic_arched(c, tx, y, 0.3, 0.05, 0.4, 0.2, [](double, double) {
        return Vec3{0.03, 0.025, 0.02};
    });
    const double r = std::hypot((tx - 0.5) * 0.5, y - 0.36);
    if (r < 0.075) c = r > 0.065 ? Vec3{0.2, 0.18, 0.12} : Vec3{0.85, 0.83, 0.75};
    const bool hour = std::fabs(tx - 0.5) * 0.5 < 0.006 && y < 0.36;
    const bool minute = std::fabs(y - 0.36) < 0.006 && tx > 0.5;
    if (r < 0.05 && (hour || minute)) c = {0.05, 0.05, 0.05};
    pic_arched(c, tx, y, 0.3, 0.72, 0.4, 0.3, [&](double fx, double) {
        const double plank = std::fmod(fx * 4, 1.0);
        return Vec3{0.22, 0.09, 0.035} * (plank < 0.1 ? 0.55 : 0.8 + 0.3 * grain);
    });
    return c;
}

} // namespace

RgbImage land_wall_texture(int kind)
{
    // Front: door between two shuttered windows; back: one small window and bare brick where
    // the plaster fell; side: one window under a timber beam.
    const Box door{0.43, 0.38, 0.57, 0.92};
    const Box front_windows[2] = {{0.14, 0.32, 0.3, 0.64}, {0.7, 0.32, 0.86, 0.64}};
    const Box back_window{0.6, 0.35, 0.74, 0.6};
    const Box side_window{0.4, 0.3, 0.6, 0.62};
    RgbImage img(256, 128);
    for (int py = 0; py < 128; py++)
        for (int px = 0; px < 256; px++) {
            const double x = (px + 0.5) / 256, y = (py + 0.5) / 128;
            const double grain = pic_grain(x, y, 256);
            if (kind == 3) {
                img.at(px, py) = pic_church(x, y, grain);
                continue;
            }
            Vec3 c = Vec3{0.62, 0.55, 0.4} * (0.9 + 0.15 * grain); // plaster
            const double stain = std::sin(x * 17 + 3 * std::sin(y * 11)) * std::sin(y * 7 + x * 3);
            c = c * (0.92 + 0.08 * stain);
            if (y > 0.9) c = Vec3{0.25, 0.24, 0.22} * (0.7 + 0.5 * grain);  // stone plinth
            if (y < 0.06) c = Vec3{0.16, 0.09, 0.04} * (0.8 + 0.3 * grain); // timber under eaves
            if (kind == 0) {
                if (door.holds(x, y)) c = pic_door(door, x, y);
                for (const Box& w : front_windows) {
                    if (w.holds(x, y)) c = pic_window(w, x, y);
                    const Box left{w.x0 - 0.07, w.y0, w.x0, w.y1},
                        right{w.x1, w.y0, w.x1 + 0.07, w.y1};
                    if (left.holds(x, y) || right.holds(x, y))
                        c = Vec3{0.05, 0.22, 0.1} * (std::fmod(y * 40, 1.0) < 0.2 ? 0.6 : 1.0);
                }
            } else if (kind == 1) {
                if (back_window.holds(x, y)) c = pic_window(back_window, x, y);
                if (std::hypot((x - 0.25) * 1.4, y - 0.55) < 0.13 + 0.03 * stain) {
                    const double row = std::floor(y * 24), bx = x * 12 + 0.5 * (int(row) % 2);
                    const bool joint = y * 24 - row < 0.15 || bx - std::floor(bx) < 0.08;
                    c = joint ? Vec3{0.45, 0.42, 0.36}
                              : Vec3{0.38, 0.11, 0.05} * (0.8 + 0.4 * grain);
                }
            } else {
                if (side_window.holds(x, y)) c = pic_window(side_window, x, y);
                if (std::fabs(y - 0.22) < 0.025) c = Vec3{0.16, 0.09, 0.04} * (0.8 + 0.3 * grain);
            }
            img.at(px, py) = c;
        }
    return img;
}

RgbImage land_billboard_picture(Font* bold)
{
    // Painted at the board's own 4:3 shape, then squeezed into the square texture.
    constexpr int W = 320, H = 240;
    RgbImage card(W, H);
    const double horizon = 150;
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            const double sx = x - 230.0, sy = y - 118.0;
            Vec3 c = mix(Vec3{0.06, 0.18, 0.6}, Vec3{0.85, 0.55, 0.25}, smoothstep(20, horizon, y));
            c += Vec3{1.0, 0.7, 0.3} * (0.5 * std::exp(-std::hypot(sx, sy) / 30.0));
            if (std::hypot(sx, sy) < 18) c = {1.0, 0.92, 0.55};
            const double hill1 = 128 + 14 * std::sin(x * 0.021 + 1.0) + 6 * std::sin(x * 0.07);
            const double hill2 = 150 + 10 * std::sin(x * 0.03 + 2.5) + 4 * std::sin(x * 0.11);
            if (y > hill1) c = mix(Vec3{0.12, 0.2, 0.35}, Vec3{0.1, 0.16, 0.25}, (y - hill1) / 40);
            if (y > hill2) c = mix(Vec3{0.06, 0.2, 0.04}, Vec3{0.02, 0.08, 0.02}, (y - hill2) / 90);
            // Little conifers on the near hill.
            const double tx = std::fmod(x + 1000.0, 23.0) - 11.5;
            const double tree_top = hill2 - 12 - 6 * std::sin(x * 0.37);
            if (y > tree_top && y < hill2 + 4 && std::fabs(tx) < (y - tree_top) * 0.35)
                c = Vec3{0.01, 0.06, 0.02};
            card.at(x, y) = c;
        }
    auto text = [&](int size, int baseline, const char* s, Vec3 colour) {
        Coverage letters(W, H);
        font_draw_centred(bold, size, W / 2, baseline, s, letters);
        const Coverage halo = coverage_blur(coverage_dilate(letters, 3), 2);
        rgb_paint(card, halo.alpha, Vec3{0.01, 0.02, 0.05});
        rgb_paint(card, letters.alpha, colour);
    };
    if (bold != nullptr) {
        text(66, 102, "vantor6", {1.0, 0.85, 0.3});
        text(26, 200, "thanks for watching", {0.95, 0.95, 0.92});
    }
    RgbImage img(256, 256);
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 256; x++) {
            Vec3 sum{};
            for (int k = 0; k < 4; k++) {
                const int sx = std::min(W - 1, int((x + 0.25 + 0.5 * (k & 1)) * W / 256.0));
                const int sy = std::min(H - 1, int((y + 0.25 + 0.5 * (k >> 1)) * H / 256.0));
                sum += card.at(sx, sy);
            }
            img.at(x, y) = sum * 0.25;
        }
    return img;
}
