// Pictures that must share one 256-colour palette (the textures of one 3D world, the blob's
// background and its environment map): reduced to colours together, written as PCX files.
#pragma once

#include "content/tools/quantize.h"
#include "content/tools/rgb.h"

#include <string>
#include <vector>

struct NamedPicture {
    std::string path; // relative to the data tree's root
    RgbImage image;
};

// Every picture gets the palette chosen for all of them; false (with a message) on failure.
bool picture_set_write(const std::string& root, const std::vector<NamedPicture>& pictures,
                       const QuantizeOptions& options = {});
