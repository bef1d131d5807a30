// Between the stand-in's two halves: vgagl.cpp calls this after writing into the graphics
// memory (vga_getgraphmem) to put it on the screen.
#pragma once

// Shows the whole graphics memory of the current mode; nothing while the console is away.
void svgalib_standin_show();
