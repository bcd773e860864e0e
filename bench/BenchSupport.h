#pragma once
// What the benchmarks share: the programs beside them, a millisecond clock, the median.
#include <windows.h>

#include <vector>

#include "framework/String.h"

// The built program `file` in this program's folder.
CString BesideThisProgram(const wchar_t* file);
// Milliseconds on the performance counter, from an arbitrary start.
double NowMs();
double Median(std::vector<double> values);
// Prints "median ms (min, max)", or that a run gave no figure (a negative one); whether all did.
bool PrintFigures(const char* label, const std::vector<double>& runs);
