// Entry of the browser build. The show ends with an explicit exit: main has long returned to
// the page by then (its first frame wait unwound it), so only exit tells the page that the
// program is over.
#include "driver/demo.h"
#include "driver/options.h"

#include <cstdlib>

int main(int argc, char** argv)
{
    const int status = demo_options(argc, argv);
    if (status >= 0) return status;
    std::exit(demo_run(argc, argv));
}
