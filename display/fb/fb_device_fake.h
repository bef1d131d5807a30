// A framebuffer device and virtual console in memory, linked instead of fb_device.cpp by the
// tests and the benchmark: it serves its memory through mmap, answers the screen-information
// and colour-map requests, switches modes when asked to, and records every request.
#pragma once

#include "display/fb/fb_console.h"

#include <linux/fb.h>

#include <cstdint>
#include <string>
#include <vector>

struct FbFakeRequest {
    int fd;
    unsigned long request;
    long value; // VT_SETMODE: the mode; VT_RELDISP: the argument; FBIOPUTCMAP: entry 255's red
};

struct FbFakeDevice {
    std::string tty = "/dev/tty1"; // what ttyname answers for descriptor 1; empty: no terminal
    fb_fix_screeninfo fix{};
    fb_var_screeninfo var{};
    // Served by mmap: smem_len bytes, then a guard that no write may reach.
    std::vector<uint8_t> memory;
    FbColourMap colours{}; // the device's colour map
    // Sizes that FBIOPUT_VSCREENINFO accepts at 8 bits per pixel (width, height); others are
    // refused with EINVAL. Empty: the device keeps its mode and answers as vesafb does.
    std::vector<std::pair<uint32_t, uint32_t>> modes;
    unsigned long failing_request = 0; // this ioctl request fails
    bool fail_open = false, fail_mmap = false;
    bool vsync = false;           // FBIO_WAITFORVSYNC works
    unsigned short active_vt = 1; // the console on the screen, as VT_GETSTATE tells it
    // Delivers a signal (once) when this request comes, before it is recorded and carried out:
    // a signal that lands between a check and the request that relies on it.
    unsigned long signal_before_request = 0;
    int signal_before = 0;
    bool log = false; // console and colour-map requests also written to standard error
    bool open = false, mapped = false;
    std::vector<FbFakeRequest> requests;
};

// The one device. fb_fake_reset gives a fresh one in the given mode: 8 bits are pseudo-colour,
// 16 bits 5-6-5 and 32 bits 8-8-8 true colour; line_length 0 means width x bytes per pixel,
// memory_length 0 one screen.
FbFakeDevice& fb_fake();
void fb_fake_reset(uint32_t width, uint32_t height, uint32_t bits, uint32_t line_length = 0,
                   uint32_t memory_length = 0);
// Another console sets its own mode (the memory stays as it is).
void fb_fake_set_mode(uint32_t width, uint32_t height, uint32_t bits, uint32_t line_length = 0);
// The pixel at (x, y) of the visible area, as stored (1, 2 or 4 bytes).
uint32_t fb_fake_pixel(uint32_t x, uint32_t y);
int fb_fake_count(unsigned long request);
// True while nothing has been written past smem_len.
bool fb_fake_guard_intact();
