/* A tiny module file whose only content is its version resource: UK English
   first, then US English with another product name. */
int versioned_probe_marker = 0;
