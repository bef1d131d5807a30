// The handful of system calls through which the console back-ends reach the framebuffer device
// and the virtual console. fb_device.cpp hands them to the kernel; tests link a fake device
// instead that records the requests and serves memory.
#pragma once

#include <cstddef>

// As open(2), close(2) and ioctl(2).
int fb_device_open(const char* path, int flags);
int fb_device_close(int fd);
int fb_device_ioctl(int fd, unsigned long request, void* arg);
// A shared, readable and writable mapping of length bytes from offset 0; MAP_FAILED on failure.
void* fb_device_mmap(size_t length, int fd);
int fb_device_munmap(void* address, size_t length);
// As ttyname(3): the terminal's name, or null when fd is not a terminal.
const char* fb_device_ttyname(int fd);
