// Entry of vantor-x11, vantor-fb and vantor-svga: they differ only in the display back-end
// linked behind display.h.
#include "driver/demo.h"

int main(int argc, char** argv)
{
    return demo_run(argc, argv, true);
}
