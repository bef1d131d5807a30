// XM v1.04 writer: header, order list, packed patterns, instruments with envelopes,
// delta-coded 8- and 16-bit samples.
#include "content/music/xm_writer.h"

#include <cmath>

namespace {

constexpr int XM_HEADER_SIZE = 276; // counted from offset 60, so patterns start at 336
constexpr int XM_INSTRUMENT_SIZE = 263;
constexpr int XM_SAMPLE_HEADER_SIZE = 40;
constexpr int XM_MAX_ENVELOPE_POINTS = 12;
constexpr size_t XM_MAX_PACKED_PATTERN = 32767; // libmikmod reads the size as signed

constexpr uint8_t XM_EFFECT_JUMP = 0x0B, XM_EFFECT_BREAK = 0x0D, XM_EFFECT_SPEED = 0x0F;

struct ByteWriter {
    std::vector<uint8_t>& out;
    void u8(unsigned v) { out.push_back(uint8_t(v)); }
    void u16(unsigned v)
    {
        u8(v & 0xff);
        u8(v >> 8);
    }
    void u32(uint32_t v)
    {
        u16(v & 0xffff);
        u16(v >> 16);
    }
    // Fixed-length text, padded with spaces so that players do not guess another tracker.
    void text(const std::string& s, size_t length, char pad = ' ')
    {
        for (size_t i = 0; i < length; i++) u8(i < s.size() ? uint8_t(s[i]) : uint8_t(pad));
    }
    void zeros(size_t n) { out.insert(out.end(), n, 0); }
};

// A flag byte, then only the fields that are set; an empty cell is the lone flag 0x80.
void xm_pack_cell(std::vector<uint8_t>& out, const XmCell& c)
{
    const uint8_t fields[5] = {c.note, c.instrument, c.volume, c.effect, c.param};
    uint8_t flags = 0x80;
    for (int i = 0; i < 5; i++)
        if (fields[i]) flags |= uint8_t(1 << i);
    out.push_back(flags);
    for (uint8_t f : fields)
        if (f) out.push_back(f);
}

std::vector<uint8_t> xm_pack_pattern(const XmPattern& pattern)
{
    std::vector<uint8_t> packed;
    for (const XmCell& c : pattern.cells) xm_pack_cell(packed, c);
    return packed;
}

void xm_write_envelope(ByteWriter& w, const std::vector<XmEnvelopePoint>& points)
{
    for (int i = 0; i < XM_MAX_ENVELOPE_POINTS; i++) {
        const bool used = i < int(points.size());
        w.u16(used ? points[i].tick : 0);
        w.u16(used ? points[i].value : 0);
    }
}

void xm_write_instrument(ByteWriter& w, const XmInstrument& ins)
{
    const XmSample& s = ins.sample;
    w.u32(XM_INSTRUMENT_SIZE);
    w.text(ins.name, 22);
    w.u8(0); // type
    w.u16(1);
    w.u32(XM_SAMPLE_HEADER_SIZE);
    w.zeros(96); // every note plays sample 0
    xm_write_envelope(w, ins.volume_envelope);
    xm_write_envelope(w, ins.panning_envelope);
    w.u8(unsigned(ins.volume_envelope.size()));
    w.u8(unsigned(ins.panning_envelope.size()));
    w.u8(ins.volume_sustain < 0 ? 0 : unsigned(ins.volume_sustain));
    w.zeros(2); // volume loop start and end
    w.zeros(3); // panning sustain, loop start and end
    const bool has_sustain = ins.volume_sustain >= 0;
    w.u8(ins.volume_envelope.empty() ? 0 : 1u | (has_sustain ? 2u : 0u));
    w.u8(ins.panning_envelope.empty() ? 0 : 1);
    w.u8(ins.vibrato_type);
    w.u8(ins.vibrato_sweep);
    w.u8(ins.vibrato_depth);
    w.u8(ins.vibrato_rate);
    w.u16(ins.fadeout);
    w.zeros(22);

    // Lengths and loop points are in bytes.
    const uint32_t bytes_per_frame = s.eight_bit ? 1 : 2;
    w.u32(uint32_t(s.data.size()) * bytes_per_frame);
    w.u32(s.loop_start * bytes_per_frame);
    w.u32(s.loop == XM_LOOP_NONE ? 0 : s.loop_length * bytes_per_frame);
    w.u8(s.volume);
    w.u8(uint8_t(s.finetune));
    w.u8((s.loop_length ? unsigned(s.loop) : 0u) | (s.eight_bit ? 0u : 0x10u));
    w.u8(s.panning);
    w.u8(uint8_t(s.relative_note));
    w.u8(0); // reserved: anything else may mean ADPCM to some players
    w.text(s.name, 22);

    // Deltas of the signed values; the running value restarts with every sample.
    int previous = 0;
    for (int16_t v : s.data) {
        if (s.eight_bit)
            w.u8(unsigned(v - previous) & 0xff);
        else
            w.u16(unsigned(v - previous) & 0xffff);
        previous = v;
    }
}

} // namespace

void xm_tune_sample(XmSample& sample, double rate_hz)
{
    // 1/128 semitones from 8363 Hz, the rate of C-4 with no tuning.
    const long total = std::lround(1536.0 * std::log2(rate_hz / 8363.0));
    sample.relative_note = int8_t(total / 128);
    sample.finetune = int8_t(total - 128 * (total / 128));
}

std::string xm_check(const XmModule& m)
{
    if (m.channels < 1 || m.channels > 32) return "channel count out of 1..32";
    if (m.speed < 1 || m.speed > 31 || m.bpm < 32 || m.bpm > 255) return "speed or BPM";
    if (m.orders.empty() || m.orders.size() > 256) return "order list length";
    if (m.patterns.empty() || m.patterns.size() > 256) return "pattern count";
    if (m.instruments.empty() || m.instruments.size() > 128) return "instrument count";
    for (uint8_t o : m.orders)
        if (o >= m.patterns.size()) return "order names a missing pattern";
    for (const XmPattern& p : m.patterns) {
        if (p.rows < 1 || p.rows > 256) return "pattern rows";
        if (p.cells.size() != size_t(p.rows * m.channels)) return "pattern cell count";
        if (xm_pack_pattern(p).size() > XM_MAX_PACKED_PATTERN) return "packed pattern too large";
        for (const XmCell& c : p.cells) {
            if (c.note > XM_KEY_OFF) return "note value";
            if (c.instrument > m.instruments.size()) return "instrument number";
            if (c.effect == XM_EFFECT_JUMP || c.effect == XM_EFFECT_BREAK)
                return "jumps and breaks would keep the song from ending cleanly";
        }
    }
    for (const XmInstrument& ins : m.instruments) {
        const XmSample& s = ins.sample;
        if (ins.volume_envelope.size() > XM_MAX_ENVELOPE_POINTS ||
            ins.panning_envelope.size() > XM_MAX_ENVELOPE_POINTS)
            return "too many envelope points";
        if (ins.volume_envelope.size() == 1 || ins.panning_envelope.size() == 1)
            return "an envelope needs two points";
        if (ins.volume_sustain >= int(ins.volume_envelope.size())) return "sustain point";
        for (size_t i = 1; i < ins.volume_envelope.size(); i++)
            if (ins.volume_envelope[i].tick <= ins.volume_envelope[i - 1].tick)
                return "envelope ticks must increase";
        if (s.data.empty()) return "empty sample";
        if (s.loop != XM_LOOP_NONE &&
            (s.loop_length == 0 || s.loop_start + s.loop_length > s.data.size()))
            return "sample loop outside the sample";
        if (s.eight_bit)
            for (int16_t v : s.data)
                if (v < -128 || v > 127) return "8-bit sample value out of range";
    }
    return "";
}

std::vector<uint8_t> xm_encode(const XmModule& m)
{
    std::vector<uint8_t> out;
    ByteWriter w{out};
    w.text("Extended Module: ", 17);
    w.text(m.name, 20);
    w.u8(0x1a);
    w.text("vantor6 mkshow", 20);
    w.u16(0x0104);
    w.u32(XM_HEADER_SIZE);
    w.u16(unsigned(m.orders.size()));
    w.u16(0); // restart position
    w.u16(unsigned(m.channels));
    w.u16(unsigned(m.patterns.size()));
    w.u16(unsigned(m.instruments.size()));
    w.u16(1); // linear frequency table
    w.u16(unsigned(m.speed));
    w.u16(unsigned(m.bpm));
    for (size_t i = 0; i < 256; i++) w.u8(i < m.orders.size() ? m.orders[i] : 0);

    for (const XmPattern& p : m.patterns) {
        const std::vector<uint8_t> packed = xm_pack_pattern(p);
        w.u32(9);
        w.u8(0);
        w.u16(unsigned(p.rows));
        w.u16(unsigned(packed.size()));
        out.insert(out.end(), packed.begin(), packed.end());
    }
    for (const XmInstrument& ins : m.instruments) xm_write_instrument(w, ins);
    return out;
}

double xm_duration_seconds(const XmModule& m)
{
    int speed = m.speed, bpm = m.bpm;
    double seconds = 0;
    for (uint8_t order : m.orders) {
        const XmPattern& p = m.patterns[order];
        for (int row = 0; row < p.rows; row++) {
            for (int ch = 0; ch < m.channels; ch++) {
                const XmCell& c = p.cells[size_t(row * m.channels + ch)];
                if (c.effect != XM_EFFECT_SPEED || c.param == 0) continue;
                if (c.param < 32)
                    speed = c.param;
                else
                    bpm = c.param;
            }
            seconds += speed * 2.5 / bpm;
        }
    }
    return seconds;
}
