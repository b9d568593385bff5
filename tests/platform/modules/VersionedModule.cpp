// A tiny module file for the version-resource tests; the build gives some
// copies of it a version resource.
extern "C" int brevantTinyModule() {
    return 15;
}
