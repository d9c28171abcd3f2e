#pragma once

// The windowed file manager: runs the event loop until the commander window
// closes; returns the process exit status.
int runWindowed(int argc, char** argv);
