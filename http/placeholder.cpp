// Removed once the subsystem has its first real source file.
