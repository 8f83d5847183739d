// Only in the sanitizer build's test programs: libraries stay loaded to the
// end of the process. Mesa's driver keeps allocations in its own globals and
// is unloaded before LeakSanitizer looks, which then reports them as leaks it
// cannot even name (an unmapped module). Loaded, they are reachable, and the
// leaks that remain are ours.
extern "C" int dlclose(void*) { return 0; }
