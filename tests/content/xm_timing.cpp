#include "xm_timing.h"

#include <cstring>

namespace {

struct XmReader {
    const std::vector<uint8_t>& b;
    bool fits(size_t at, size_t n) const { return at <= b.size() && n <= b.size() - at; }
    unsigned u8(size_t at) const { return b[at]; }
    unsigned u16(size_t at) const { return unsigned(b[at] | b[at + 1] << 8); }
    uint32_t u32(size_t at) const { return uint32_t(u16(at) | u16(at + 2) << 16); }
};

struct XmPatternRows {
    int rows = 0;
    std::vector<std::vector<unsigned>> speed_changes; // per row: Fxx parameters, by channel
};

constexpr unsigned XM_JUMP = 0x0B, XM_BREAK = 0x0D, XM_EXTENDED = 0x0E, XM_SPEED = 0x0F;

// Walks the packed cells of one pattern, keeping only what moves the clock.
std::string xm_timing_pattern(const XmReader& r, size_t at, size_t size, int channels,
                              XmPatternRows* p)
{
    p->speed_changes.assign(size_t(p->rows), {});
    const size_t end = at + size;
    for (int row = 0; row < p->rows; row++) {
        for (int ch = 0; ch < channels && at < end; ch++) {
            unsigned flags = r.u8(at);
            if (flags & 0x80)
                at++;
            else
                flags = 0x1f; // a full cell: its first byte is the note
            unsigned field[5] = {};
            for (int i = 0; i < 5; i++)
                if (flags & (1u << i)) {
                    if (at >= end) return "a cell runs past its pattern";
                    field[i] = r.u8(at++);
                }
            const unsigned effect = field[3], param = field[4];
            if (effect == XM_JUMP || effect == XM_BREAK) return "a jump or a break";
            if (effect == XM_EXTENDED && (param >> 4 == 0x6 || param >> 4 == 0xE))
                return "a pattern loop or a row repeat";
            if (effect == XM_SPEED && param != 0) p->speed_changes[size_t(row)].push_back(param);
        }
    }
    return "";
}

} // namespace

std::string xm_timing_read(const std::vector<uint8_t>& file, XmTiming* timing)
{
    const XmReader r{file};
    if (!r.fits(0, 336) || std::memcmp(file.data(), "Extended Module: ", 17) != 0)
        return "not an XM file";
    const unsigned song_length = r.u16(64), channels = r.u16(68), pattern_count = r.u16(70);
    unsigned speed = r.u16(76), bpm = r.u16(78);
    if (song_length == 0 || song_length > 256 || speed == 0 || bpm < 32) return "bad header";

    std::vector<XmPatternRows> patterns(pattern_count);
    size_t at = 60 + r.u32(60);
    for (XmPatternRows& p : patterns) {
        if (!r.fits(at, 9)) return "the file ends in a pattern header";
        const uint32_t header = r.u32(at);
        p.rows = int(r.u16(at + 5));
        const unsigned size = r.u16(at + 7);
        at += header;
        if (!r.fits(at, size)) return "the file ends in a pattern";
        const std::string problem = xm_timing_pattern(r, at, size, int(channels), &p);
        if (!problem.empty()) return problem;
        at += size;
    }

    *timing = {};
    double t = 0;
    for (unsigned i = 0; i < song_length; i++) {
        const unsigned index = r.u8(80 + i);
        if (index >= pattern_count) return "an order names a missing pattern";
        const XmPatternRows& p = patterns[index];
        XmOrderTime order{int(index), p.rows, t, 0};
        for (int row = 0; row < p.rows; row++) {
            for (unsigned v : p.speed_changes[size_t(row)]) (v < 32 ? speed : bpm) = v;
            const double row_ms = speed * 2500.0 / bpm;
            if (row == 0) order.row_ms = row_ms;
            timing->last_row_ms = row_ms;
            t += row_ms;
        }
        timing->orders.push_back(order);
    }
    timing->end_ms = t;
    return "";
}
