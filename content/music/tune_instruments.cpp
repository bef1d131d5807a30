// The tune's instruments, synthesised: drums from decaying sines and filtered noise, the
// tonal instruments from band-limited additive waves in seamless loops.
#include "content/music/tune.h"

#include "content/tools/random.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double TWO_PI = 6.283185307179586;
// Middle C: the tonal samples are tuned so that C-4 sounds at this pitch.
constexpr double TUNE_C4_HZ = 261.6256;
constexpr double DRUM_RATE = 44100;
constexpr double CYMBAL_RATE = 22050;

// Scales to the given peak (fraction of full scale) and rounds to 16 bits.
std::vector<int16_t> tune_to_pcm(const std::vector<double>& wave, double peak)
{
    double top = 1e-9;
    for (double v : wave) top = std::max(top, std::abs(v));
    std::vector<int16_t> pcm(wave.size());
    for (size_t i = 0; i < wave.size(); i++)
        pcm[i] = int16_t(std::lround(wave[i] / top * peak * 32767.0));
    return pcm;
}

// One-pole low-pass filter coefficient for a cut-off frequency.
double tune_one_pole(double cutoff_hz, double rate)
{
    return 1.0 - std::exp(-TWO_PI * cutoff_hz / rate);
}

// A loop of `frames` frames holding `cycles` whole periods of a wave with the given
// harmonic amplitudes, so the loop point is seamless. `detune` adds voices whose cycle
// counts differ by whole numbers: they stay seamless too and beat slowly against each
// other (a "supersaw" when the harmonics are those of a saw).
struct Voice {
    int cycles;
    double weight;
    double phase;
};

std::vector<double> tune_additive_loop(int frames, const std::vector<Voice>& voices,
                                       const std::vector<double>& harmonics)
{
    std::vector<double> wave(static_cast<size_t>(frames), 0.0);
    for (const Voice& v : voices)
        for (size_t h = 0; h < harmonics.size(); h++) {
            if (harmonics[h] == 0) continue;
            const double step = TWO_PI * v.cycles * double(h + 1) / frames;
            const double start = v.phase * double(h + 1);
            for (int i = 0; i < frames; i++)
                wave[size_t(i)] += v.weight * harmonics[h] * std::sin(start + step * i);
        }
    return wave;
}

// Saw harmonics 1/n, rounded off above `soft` so that high notes do not turn to hiss.
std::vector<double> tune_saw_harmonics(int count, double soft)
{
    std::vector<double> h(static_cast<size_t>(count));
    for (int n = 1; n <= count; n++) h[size_t(n - 1)] = 1.0 / n / (1.0 + (n / soft) * (n / soft));
    return h;
}

// Envelopes and fade-outs run in ticks: written here in milliseconds, so that they keep their
// shape whatever the tempo.
XmEnvelopePoint env(double ms, int value)
{
    return {uint16_t(std::lround(ms / TUNE_TICK_MS)), uint16_t(value)};
}

// The fade-out that silences a released note in about `ms`.
uint16_t tune_fadeout(double ms)
{
    return uint16_t(std::clamp(std::lround(32768.0 * TUNE_TICK_MS / ms), 1l, 0xfffl));
}

XmInstrument tune_looped(const char* name, std::vector<double> wave, double peak, int cycle_frames)
{
    XmInstrument ins;
    ins.name = name;
    ins.sample.name = name;
    ins.sample.data = tune_to_pcm(wave, peak);
    ins.sample.loop = XM_LOOP_FORWARD;
    ins.sample.loop_start = 0;
    ins.sample.loop_length = uint32_t(wave.size());
    // cycle_frames frames per period at this rate give middle C on C-4.
    xm_tune_sample(ins.sample, TUNE_C4_HZ * cycle_frames);
    return ins;
}

XmInstrument tune_one_shot(const char* name, const std::vector<double>& wave, double peak,
                           double rate)
{
    XmInstrument ins;
    ins.name = name;
    ins.sample.name = name;
    ins.sample.data = tune_to_pcm(wave, peak);
    xm_tune_sample(ins.sample, rate);
    return ins;
}

// A drum of a sine whose pitch falls from low + drop Hz to low Hz, driven into saturation,
// under an exponential decay and a short fade at its end.
struct SineDrum {
    double seconds, low_hz, drop_hz, drop_s, decay_s, fade_s, drive, rate;
};

std::vector<double> tune_sine_drum(const SineDrum& d)
{
    const int frames = int(d.seconds * d.rate);
    std::vector<double> wave(static_cast<size_t>(frames));
    double phase = 0;
    for (int i = 0; i < frames; i++) {
        const double t = i / d.rate;
        const double freq = d.low_hz + d.drop_hz * std::exp(-t / d.drop_s);
        phase += TWO_PI * freq / d.rate;
        const double amp = std::exp(-t / d.decay_s) * std::min(1.0, (d.seconds - t) / d.fade_s);
        wave[size_t(i)] = std::tanh(d.drive * std::sin(phase)) * amp;
    }
    return wave;
}

XmInstrument tune_kick()
{
    // From about 160 Hz to 48 Hz: the click, then the boom.
    const SineDrum kick = {0.36, 48.0, 112.0, 0.035, 0.16, 0.04, 1.6, DRUM_RATE};
    return tune_one_shot("kick", tune_sine_drum(kick), 0.95, DRUM_RATE);
}

XmInstrument tune_clap()
{
    // Three quick noise bursts and a tail, band-limited around 1-5 kHz, over a short body.
    const int frames = int(0.28 * DRUM_RATE);
    std::vector<double> wave(static_cast<size_t>(frames));
    ContentRandom noise{0x1234567u};
    double low = 0, high = 0;
    const double a_low = tune_one_pole(5000, DRUM_RATE), a_high = tune_one_pole(900, DRUM_RATE);
    for (int i = 0; i < frames; i++) {
        const double t = i / DRUM_RATE;
        low += a_low * (noise.noise() - low);
        high += a_high * (low - high);
        const double band = low - high;
        double amp = std::exp(-t / 0.07);
        for (double burst : {0.0, 0.011, 0.022})
            if (t >= burst && t < burst + 0.011)
                amp = std::max(amp, std::exp(-(t - burst) / 0.004));
        const double body = std::sin(TWO_PI * 190.0 * t) * std::exp(-t / 0.03) * 0.35;
        wave[size_t(i)] = band * amp + body;
    }
    return tune_one_shot("clap", wave, 0.9, DRUM_RATE);
}

// High-passed noise with a short or long decay.
std::vector<double> tune_hat_wave(double seconds, double decay, uint32_t seed, double rate)
{
    const int frames = int(seconds * rate);
    std::vector<double> wave(static_cast<size_t>(frames));
    ContentRandom noise{seed};
    double low = 0;
    const double a = tune_one_pole(7000, rate);
    for (int i = 0; i < frames; i++) {
        const double t = i / rate;
        const double n = noise.noise();
        low += a * (n - low);
        const double fade = std::min(1.0, (seconds - t) / 0.01);
        wave[size_t(i)] = (n - low) * std::exp(-t / decay) * fade;
    }
    return wave;
}

XmInstrument tune_bass()
{
    // A single saw cycle with a sine an octave below for weight; the envelope plucks it.
    constexpr int frames = 256;
    std::vector<double> harmonics = tune_saw_harmonics(48, 14);
    std::vector<double> wave = tune_additive_loop(frames, {{1, 1.0, 0}}, harmonics);
    // The sub sine needs two cycles of the saw in the loop.
    std::vector<double> twice(2 * frames);
    for (int i = 0; i < 2 * frames; i++)
        twice[size_t(i)] = wave[size_t(i % frames)] + 0.6 * std::sin(TWO_PI * i / (2.0 * frames));
    XmInstrument ins = tune_looped("bass", twice, 0.9, frames);
    ins.volume_envelope = {env(0, 64), env(96, 44), env(270, 26), env(770, 0)};
    return ins;
}

XmInstrument tune_pad()
{
    // Five saws 13.5 and 27 cents apart in a 32768-frame loop: slow, seamless beating.
    constexpr int frames = 32768, cycles = 128;
    const std::vector<Voice> voices = {
        {126, 0.45, 0.3}, {127, 0.8, 1.9}, {128, 1.0, 0.0}, {129, 0.8, 4.1}, {130, 0.45, 2.7}};
    std::vector<double> wave = tune_additive_loop(frames, voices, tune_saw_harmonics(32, 9));
    XmInstrument ins = tune_looped("pad", wave, 0.9, frames / cycles);
    ins.volume_envelope = {env(0, 0), env(270, 64), env(1150, 52), env(1730, 52)};
    ins.volume_sustain = 2;
    ins.fadeout = tune_fadeout(1640);
    return ins;
}

XmInstrument tune_lead()
{
    // Two detuned pulse waves (30 % duty): hollow and bright, with a touch of vibrato.
    constexpr int frames = 16384, cycles = 64;
    std::vector<double> harmonics(20);
    for (int n = 1; n <= 20; n++)
        harmonics[size_t(n - 1)] = std::sin(3.14159265 * n * 0.3) / n / (1.0 + n * n / 200.0);
    std::vector<double> wave =
        tune_additive_loop(frames, {{64, 1.0, 0.0}, {65, 0.75, 1.3}}, harmonics);
    XmInstrument ins = tune_looped("lead", wave, 0.9, frames / cycles);
    ins.volume_envelope = {env(0, 0), env(38, 64), env(460, 46), env(580, 46)};
    ins.volume_sustain = 2;
    ins.fadeout = tune_fadeout(490);
    // A touch of vibrato, about 3 Hz, creeping in over the first 0.8 s of a note.
    ins.vibrato_type = 0;
    ins.vibrato_sweep = uint8_t(std::lround(770 / TUNE_TICK_MS));
    ins.vibrato_depth = 3;
    ins.vibrato_rate = uint8_t(std::lround(3.0 * 256 * TUNE_TICK_MS / 1000));
    return ins;
}

XmInstrument tune_arp()
{
    // A soft square (odd harmonics with a gentle roll-off), plucked short.
    constexpr int frames = 128;
    std::vector<double> harmonics(23, 0.0);
    for (int n = 1; n <= 23; n += 2) harmonics[size_t(n - 1)] = 1.0 / n / (1.0 + n / 8.0);
    std::vector<double> wave = tune_additive_loop(frames, {{1, 1.0, 0}}, harmonics);
    XmInstrument ins = tune_looped("arp", wave, 0.9, frames);
    ins.volume_envelope = {env(0, 64), env(115, 30), env(460, 8), env(770, 0)};
    return ins;
}

XmInstrument tune_riser()
{
    // A second of looped noise, held until released; the patterns swell it with the volume
    // column and lift or drop it with portamento.
    std::vector<double> wave = tune_hat_wave(1.0, 1e9, 0xbeef01u, CYMBAL_RATE);
    XmInstrument ins;
    ins.name = ins.sample.name = "riser";
    ins.sample.data = tune_to_pcm(wave, 0.8);
    ins.sample.loop = XM_LOOP_FORWARD;
    ins.sample.loop_length = uint32_t(wave.size());
    xm_tune_sample(ins.sample, CYMBAL_RATE);
    ins.volume_envelope = {env(0, 64), env(100, 64)};
    ins.volume_sustain = 1;
    ins.fadeout = tune_fadeout(120);
    return ins;
}

XmInstrument tune_swell()
{
    // The crash's wash played backwards over one bar, ending on its attack.
    std::vector<double> wave =
        tune_hat_wave(TUNE_BAR * TUNE_ROW_MS / 1000, 0.7, 0x5e11u, CYMBAL_RATE);
    std::reverse(wave.begin(), wave.end());
    const size_t tail = size_t(0.004 * CYMBAL_RATE); // no click at the cut
    for (size_t i = 0; i < tail; i++) wave[wave.size() - 1 - i] *= double(i) / double(tail);
    return tune_one_shot("swell", wave, 0.8, CYMBAL_RATE);
}

XmInstrument tune_boom()
{
    // A kick whose sine keeps falling, from 130 Hz to 36 Hz, under a slow decay; nothing in it
    // needs the drums' full rate.
    const SineDrum boom = {1.8, 36.0, 94.0, 0.09, 0.55, 0.2, 2.0, 11025};
    return tune_one_shot("boom", tune_sine_drum(boom), 0.95, boom.rate);
}

} // namespace

std::vector<XmInstrument> tune_instruments()
{
    std::vector<XmInstrument> list;
    list.push_back(tune_kick());
    list.push_back(tune_clap());
    list.push_back(
        tune_one_shot("closed hat", tune_hat_wave(0.09, 0.022, 0x51u, DRUM_RATE), 0.8, DRUM_RATE));
    list.push_back(
        tune_one_shot("open hat", tune_hat_wave(0.32, 0.11, 0x77u, DRUM_RATE), 0.8, DRUM_RATE));
    list.push_back(tune_bass());
    list.push_back(tune_pad());
    list.push_back(tune_lead());
    list.push_back(tune_arp());
    list.push_back(
        tune_one_shot("crash", tune_hat_wave(2.2, 0.7, 0xc4a5u, CYMBAL_RATE), 0.85, CYMBAL_RATE));
    list.push_back(tune_riser());
    list.push_back(tune_swell());
    list.push_back(tune_boom());
    return list;
}
