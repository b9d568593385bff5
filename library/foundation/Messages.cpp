// Placeholder until the diagnostics land.
