// Fontconfig keeps a cache for the life of the process that the leak checker
// reports when the process ends; it is not ours to free.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
