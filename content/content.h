// The show's content, made by our own code. Every writer is deterministic (fixed seeds):
// the same sources give the same bytes. Paths are relative to the data tree's root.
#pragma once

#include <string>

// Creates root/relative (and its parents); false on failure.
bool content_make_dir(const std::string& root, const std::string& relative);

// "grafika/": title, dream, money and the five text pages. false on failure.
bool content_write_pictures(const std::string& root);
// "grafika/e_3dbl_2.pcx" and "grafika/e_3dbl_3.pcx": the blob's background and its environment
// map, in one palette. false on failure.
bool content_write_blob(const std::string& root);
// "3d/city/": the city's textures and objects. false on failure.
bool content_write_city(const std::string& root);
// "3d/land/": the landscape's textures and objects. false on failure.
bool content_write_land(const std::string& root);
// "music/vantor6.xm". false on failure.
bool content_write_music(const std::string& root);
