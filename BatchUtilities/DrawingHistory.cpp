// Placeholder until the history file lands.
