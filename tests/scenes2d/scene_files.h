// Test pictures written into a scratch data tree that the scenes are run in.
#pragma once

#include "gfx2d/image.h"

#include <cstdint>
#include <string>

// Makes a fresh directory with a "grafika/" folder and changes into it; back and away on exit.
class ScratchTree {
  public:
    ScratchTree();
    ~ScratchTree();
    // Writes a w x h picture whose pixel (x, y) is pattern(x, y), with the given palette.
    void write_picture(const char* path, uint32_t w, uint32_t h, const uint8_t* palette,
                       uint8_t (*pattern)(uint32_t x, uint32_t y)) const;

  private:
    std::string dir_, previous_;
};
