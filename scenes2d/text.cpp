#include "scenes2d/text.h"

#include "gfx2d/pcx.h"
#include "gfx2d/polygon.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/exit.h"
#include "platform/show.h"
#include "scenes2d/text_wave.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr const char* TEXT_PAGE_PATHS[TEXT_PAGES] = {
    "grafika/txt-01.pcx", "grafika/txt-02.pcx", "grafika/txt-03.pcx",
    "grafika/txt-04.pcx", "grafika/txt-05.pcx",
};
constexpr uint32_t TEXT_TEXTURE_SIZE = 256;
constexpr uint32_t TEXT_LAYER_WIDTH = 320;
constexpr uint32_t TEXT_LAYER_HEIGHT = 240;
constexpr int TEXT_EDGE_ROWS = 300; // more than the layer's height
// The page's letters and their soft edge become these entries of the cycling half.
constexpr uint8_t TEXT_LETTER_COLOUR = 240;
constexpr uint8_t TEXT_EDGE_COLOUR = 255;
constexpr int TEXT_TRAIL_DECAY = 2;

Image* text_pages[TEXT_PAGES];
Image* text_texture;
Image* text_layer;
EdgeEntry* text_edges_a;
EdgeEntry* text_edges_b;
TextMesh text_mesh;

// Bright pixels are letters, middling ones their edge, dark ones stay transparent.
void text_page_threshold(Image* page)
{
    const size_t count = size_t(page->width) * page->height;
    for (size_t i = 0; i < count; i++) {
        const uint8_t p = page->pixels[i];
        page->pixels[i] = p > 200 ? TEXT_LETTER_COLOUR : p >= 100 ? TEXT_EDGE_COLOUR : 0;
    }
}

void text_draw_page(int32_t tenths)
{
    image_clear(text_texture, 0);
    const Image* page = text_pages[tenths / TEXT_PAGE_TENTHS];
    const TextPageSize size = text_page_size(tenths);
    image_blit_scaled(text_texture, (int32_t(TEXT_TEXTURE_SIZE) - size.width) >> 1,
                      (int32_t(TEXT_TEXTURE_SIZE) - size.height) >> 1, size.width, size.height,
                      page, 0, 0, int32_t(page->width), int32_t(page->height), 0, 0);
}

PolygonPoint text_mesh_point(int e, int j)
{
    return {text_mesh.base[e][j].x + text_mesh.shift[e][j].x,
            text_mesh.base[e][j].y + text_mesh.shift[e][j].y};
}

// Back to front over the mesh; the layer keeps whatever the quads leave uncovered.
void text_draw_mesh()
{
    for (int e = TEXT_MESH_COLUMNS - 2; e >= 0; e--) {
        for (int j = TEXT_MESH_ROWS - 2; j >= 0; j--) {
            const PolygonPoint corners[4] = {text_mesh_point(e, j), text_mesh_point(e + 1, j),
                                             text_mesh_point(e + 1, j + 1),
                                             text_mesh_point(e, j + 1)};
            const TexturePoint tex[4] = {text_mesh.tex[e][j], text_mesh.tex[e + 1][j],
                                         text_mesh.tex[e + 1][j + 1], text_mesh.tex[e][j + 1]};
            fill_textured_polygon(text_layer->pixels, int32_t(text_layer->width),
                                  int32_t(text_layer->height), text_edges_a, text_edges_b, corners,
                                  tex, 4, text_texture->pixels, int32_t(text_texture->width),
                                  int32_t(text_texture->height));
        }
    }
}

// Colour 0 of the layer is transparent: the trails underneath survive.
void text_composite(Image* frame)
{
    const size_t count = std::min(size_t(frame->width) * frame->height,
                                  size_t(text_layer->width) * text_layer->height);
    for (size_t i = 0; i < count; i++)
        if (text_layer->pixels[i] != 0) frame->pixels[i] = text_layer->pixels[i];
}

} // namespace

void text_scene_setup()
{
    Palette unused;
    for (int p = 0; p < TEXT_PAGES; p++) {
        if (pcx_load_image(TEXT_PAGE_PATHS[p], &text_pages[p], unused.data()) != PCX_OK)
            demo_fatal("Cann't load image %s !\n", TEXT_PAGE_PATHS[p]);
        text_page_threshold(text_pages[p]);
    }
    if (image_create(&text_texture, TEXT_TEXTURE_SIZE, TEXT_TEXTURE_SIZE) != 0 ||
        image_create(&text_layer, TEXT_LAYER_WIDTH, TEXT_LAYER_HEIGHT) != 0)
        demo_fatal("Cann't allocate image!\n");
    // Zeroed, so that a row no edge reached is never read as garbage.
    text_edges_a = static_cast<EdgeEntry*>(std::calloc(TEXT_EDGE_ROWS, sizeof(EdgeEntry)));
    text_edges_b = static_cast<EdgeEntry*>(std::calloc(TEXT_EDGE_ROWS, sizeof(EdgeEntry)));
    if (text_edges_a == nullptr || text_edges_b == nullptr)
        demo_fatal("Cann't allocate edge tables!\n");
    text_mesh_init(&text_mesh, text_layer->width, text_layer->height, text_texture->width,
                   text_texture->height);
}

void text_scene_run(Image* frame)
{
    int32_t f = 0;
    clock_restart();
    int32_t elapsed = clock_elapsed_ms();
    int32_t frame_start = clock_now_ms();

    text_palette_ramp(screen_palette.data());
    display_set_palette(screen_palette.data());
    image_clear(frame, 0);

    for (;;) {
        // Tenths of a second; a clock that seems to run backwards counts as the start.
        const int32_t tenths = elapsed > 0 ? int32_t(elapsed * 0.01) : 0;
        if (tenths >= TEXT_SCENE_TENTHS) break;

        text_draw_page(tenths);
        text_mesh_wave(&text_mesh, f);
        text_draw_mesh();
        text_palette_cycle(screen_palette.data(), f);
        display_set_palette(screen_palette.data());
        text_composite(frame);
        blur_decay(frame->pixels, int32_t(frame->width), int32_t(frame->height), TEXT_TRAIL_DECAY);

        display_present(frame);
        f++;
        wait_frame(frame_start, TEXT_FRAME_MS);
        frame_start = clock_now_ms();
        elapsed = clock_elapsed_ms();
    }
}

void text_scene_release()
{
    for (Image*& page : text_pages) {
        image_destroy(&page);
        page = nullptr;
    }
    image_destroy(&text_texture);
    image_destroy(&text_layer);
    text_texture = text_layer = nullptr;
    std::free(text_edges_a);
    std::free(text_edges_b);
    text_edges_a = text_edges_b = nullptr;
}
