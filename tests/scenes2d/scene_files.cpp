#include "scene_files.h"

#include "gfx2d/pcx.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

ScratchTree::ScratchTree()
{
    char templ[] = "/tmp/vantor-scenes2d-XXXXXX";
    dir_ = mkdtemp(templ);
    previous_ = std::filesystem::current_path();
    std::filesystem::create_directory(dir_ + "/grafika");
    std::filesystem::current_path(dir_);
}

ScratchTree::~ScratchTree()
{
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(dir_);
}

void ScratchTree::write_picture(const char* path, uint32_t w, uint32_t h, const uint8_t* palette,
                                uint8_t (*pattern)(uint32_t x, uint32_t y)) const
{
    Image* img;
    ASSERT_EQ(image_create(&img, w, h), 0);
    for (uint32_t y = 0; y < h; y++)
        for (uint32_t x = 0; x < w; x++) img->pixels[y * w + x] = pattern(x, y);
    EXPECT_EQ(pcx_write(path, img, palette), PCX_OK);
    image_destroy(&img);
}
