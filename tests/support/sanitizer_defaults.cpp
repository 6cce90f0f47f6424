// Linked into every test program. Under the leak checker, fontconfig (used by
// Qt for fonts) keeps its configuration until the process ends; that memory is
// not a leak of ours.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
