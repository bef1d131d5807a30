#include "platform/exit.h"

#include "platform/display.h"
#include "platform/frame_log.h"
#include "platform/music.h"
#include "platform/signals.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void demo_exit(int status)
{
    display_close();
    music_stop();
    sound_shutdown();
    frame_log_close();
    std::fflush(stdout);
    demo_signals_resend();
    std::exit(status);
}

void demo_fatal(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    demo_exit(DEMO_EXIT_FAILURE);
}
