// The pictures are stacked into one sheet as wide as the widest, each narrower one repeated
// across the row (its own colours, nothing foreign for the palette to spend entries on), so
// one quantisation picks the palette for all and dithers each in place.
#include "content/tools/picture_set.h"

#include "gfx2d/pcx.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

bool picture_set_write(const std::string& root, const std::vector<NamedPicture>& pictures,
                       const QuantizeOptions& options)
{
    int width = 0, height = 0;
    for (const NamedPicture& p : pictures) {
        width = std::max(width, p.image.width);
        height += p.image.height;
    }
    RgbImage sheet(width, height);
    int top = 0;
    for (const NamedPicture& p : pictures) {
        for (int y = 0; y < p.image.height; y++)
            for (int x = 0; x < width; x++) sheet.at(x, top + y) = p.image.at(x % p.image.width, y);
        top += p.image.height;
    }

    Image* indexed = nullptr;
    if (image_create(&indexed, uint32_t(width), uint32_t(height)) != 0) {
        std::fprintf(stderr, "mkshow: out of memory\n");
        return false;
    }
    uint8_t palette[768];
    quantize_image(rgb_to_display(sheet), indexed, palette, options);

    bool ok = true;
    top = 0;
    for (const NamedPicture& p : pictures) {
        Image* part = nullptr;
        if (image_create(&part, uint32_t(p.image.width), uint32_t(p.image.height)) != 0) {
            ok = false;
            break;
        }
        for (int y = 0; y < p.image.height; y++)
            std::memcpy(part->pixels + size_t(y) * p.image.width,
                        indexed->pixels + size_t(top + y) * width, size_t(p.image.width));
        top += p.image.height;
        const std::string path = root + "/" + p.path;
        if (pcx_write(path.c_str(), part, palette) != PCX_OK) {
            std::fprintf(stderr, "mkshow: cannot write %s\n", path.c_str());
            ok = false;
        }
        image_destroy(&part);
        if (!ok) break;
    }
    image_destroy(&indexed);
    return ok;
}
