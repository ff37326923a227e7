// Linked into the end-to-end tests only. Their own process uses Qt just to set the stage (the session bus, the
// keyring, the fake player's controls); now and then, on a loaded machine, Qt Core's D-Bus or thread-pool
// threads still hold a few hundred bytes as the process exits, and LeakSanitizer, which cannot unwind past
// Qt's frames, reports them without a stack. The programs under test run as processes of their own, built
// with the same sanitizers, and this does not reach them.
extern "C" const char* __lsan_default_suppressions(); // NOLINT: the sanitizer's own hook

extern "C" const char* __lsan_default_suppressions() { // NOLINT
    return "leak:libQt6Core.so\n";
}
