// Ctrl-C (SIGINT) and SIGTERM as a request to stop: the file being written is dropped, not left
// half-written, and playing stops at once.
#pragma once

void StopOnInterrupt();
bool Interrupted();
