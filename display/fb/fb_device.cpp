// The real device: every call goes straight to the kernel.
#include "display/fb/fb_device.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

int fb_device_open(const char* path, int flags)
{
    return open(path, flags);
}

int fb_device_close(int fd)
{
    return close(fd);
}

int fb_device_ioctl(int fd, unsigned long request, void* arg)
{
    return ioctl(fd, request, arg);
}

void* fb_device_mmap(size_t length, int fd)
{
    return mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
}

int fb_device_munmap(void* address, size_t length)
{
    return munmap(address, length);
}

const char* fb_device_ttyname(int fd)
{
    return ttyname(fd);
}
