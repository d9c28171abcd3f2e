#pragma once

// Decides the run mode and runs it; returns the process exit status.
int runEntry(int argc, char** argv);
