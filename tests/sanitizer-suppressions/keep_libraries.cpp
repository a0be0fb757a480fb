// Preloaded (LD_PRELOAD) into the sanitizer build's test runs only: dlclose leaves every
// library mapped. SDL_Quit unloads libGL and with it Mesa's driver (swrast_dri.so) before
// LeakSanitizer looks at the heap at exit; the blocks the driver still held from its own
// globals then look leaked and, their code gone, cannot even be named or suppressed.
// Keeping the libraries lets the leak check see the heap as it was when main returned.
extern "C" int dlclose(void*) { return 0; }
