// Placeholder until the 2D pictures land.
#include "content/content.h"

bool content_write_pictures(const std::string&) { return true; }
