// Ctrl-C (SIGINT) and SIGTERM as a request to stop: the file being written is dropped, not left
// half-written, and playing stops at once. A second one ends the program there and then.
#pragma once

void StopOnInterrupt();
bool Interrupted();
