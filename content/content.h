// The show's content, made by our own code. Every writer is deterministic (fixed seeds):
// the same sources give the same bytes. Paths are relative to the data tree's root.
#pragma once

#include <string>

// Creates root/relative (and its parents); false on failure.
bool content_make_dir(const std::string& root, const std::string& relative);

// "grafika/": title, dream, money and the five text pages. false on failure.
bool content_write_pictures(const std::string& root);
// "music/vantor6.xm". false on failure.
bool content_write_music(const std::string& root);
