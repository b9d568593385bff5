/* A module file with nothing in it. The locator tests load a copy of it from
   a temporary install folder, so that the module's own file lies there. */
int locatorProbe(void) {
    return 0;
}
