// The web edition's parts around the intro: a libmikmod output driver that
// feeds the page's Web Audio output, registered before the intro registers
// the library's own drivers so that MikMod_Init("") takes it.
#pragma once

void web_register_sound_driver();
