// Preloaded into vantor-x11 by the X11 tests: refuses the System V shared-memory call named in
// SHM_REFUSE (shmget or shmat), as a container's IPC limits would, and passes the other on.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <sys/shm.h>

static bool shm_refused(const char* call)
{
    const char* which = std::getenv("SHM_REFUSE");
    return which != nullptr && std::strcmp(which, call) == 0;
}

extern "C" int shmget(key_t key, size_t size, int flags)
{
    if (shm_refused("shmget")) {
        errno = ENOSPC;
        return -1;
    }
    using Real = int (*)(key_t, size_t, int);
    return reinterpret_cast<Real>(dlsym(RTLD_NEXT, "shmget"))(key, size, flags);
}

extern "C" void* shmat(int id, const void* address, int flags)
{
    if (shm_refused("shmat")) {
        errno = ENOMEM;
        return reinterpret_cast<void*>(-1);
    }
    using Real = void* (*)(int, const void*, int);
    return reinterpret_cast<Real>(dlsym(RTLD_NEXT, "shmat"))(id, address, flags);
}
