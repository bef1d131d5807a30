// The pictures of "grafika/": rendered in true colour, reduced to 256 colours with a palette
// of their own, and written as PCX files.
#include "content/pictures/pictures.h"
#include "content/content.h"
#include "content/tools/quantize.h"
#include "gfx2d/pcx.h"

#include <cstdio>

namespace {

struct ImageHolder {
    Image* img = nullptr;
    ~ImageHolder() { image_destroy(&img); }
};

bool picture_write(const std::string& root, const char* name, const Image* img,
                   const uint8_t* palette)
{
    const std::string path = root + "/" + name;
    if (pcx_write(path.c_str(), img, palette) == PCX_OK) return true;
    std::fprintf(stderr, "mkshow: cannot write %s\n", path.c_str());
    return false;
}

bool picture_write_rgb(const std::string& root, const char* name, const RgbImage& rgb)
{
    ImageHolder holder;
    if (image_create(&holder.img, uint32_t(rgb.width), uint32_t(rgb.height)) != 0) return false;
    uint8_t palette[768];
    quantize_image(rgb_to_display(rgb), holder.img, palette);
    return picture_write(root, name, holder.img, palette);
}

// Text pages are grey levels; the scene only looks at how bright each pixel is.
bool picture_write_text_page(const std::string& root, Font* bold, int page)
{
    ImageHolder holder;
    if (image_create(&holder.img, PICTURE_WIDTH, PICTURE_HEIGHT) != 0) return false;
    const std::vector<uint8_t> grey = picture_render_text_page(bold, page);
    std::copy(grey.begin(), grey.end(), holder.img->pixels);
    uint8_t palette[768];
    for (int i = 0; i < 768; i++) palette[i] = uint8_t(i / 3);
    char name[32];
    std::snprintf(name, sizeof name, "grafika/txt-%02d.pcx", page);
    return picture_write(root, name, holder.img, palette);
}

} // namespace

bool content_write_pictures(const std::string& root)
{
    if (!content_make_dir(root, "grafika")) return false;
    Font* bold = font_open("DejaVuSans-Bold.ttf");
    if (bold == nullptr) return false;
    bool ok = picture_write_rgb(root, "grafika/pingu3.pcx", picture_render_title(bold)) &&
              picture_write_rgb(root, "grafika/dream.pcx", picture_render_dream()) &&
              picture_write_rgb(root, "grafika/money.pcx", picture_render_money());
    for (int page = 1; ok && page <= 5; page++) ok = picture_write_text_page(root, bold, page);
    font_close(bold);
    return ok;
}
