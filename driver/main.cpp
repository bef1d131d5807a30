// Entry of vantor-x11, vantor-fb and vantor-svga: they differ only in the display back-end
// linked behind display.h.
#include "driver/demo.h"
#include "driver/options.h"

int main(int argc, char** argv)
{
    const int status = demo_options(argc, argv);
    if (status >= 0) return status;
    return demo_run(argc, argv, true);
}
