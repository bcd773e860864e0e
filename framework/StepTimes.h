#pragma once
// Timestamps of the tool's own steps, for the benchmarks: a build made with PALLUX_STEP_TIMES sends
// "step <milliseconds since the process was created> <step>" to the debugger output at each mark
// (read by bench/StepBench.cpp); every other build, the one that ships among them, has no trace of it.
#ifdef PALLUX_STEP_TIMES
void MarkStep(const char* step);
#else
inline void MarkStep(const char*) {}
#endif
