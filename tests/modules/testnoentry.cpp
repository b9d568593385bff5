// A module without an entry point (it still reports its interface version).
extern "C" __attribute__((visibility("default"))) int testnoentryPresent() {
    return 1;
}
