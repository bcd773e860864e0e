#pragma once
// Reading log files back in the log tests.
#include <map>
#include <string>
#include <vector>

#include "framework/String.h"

// The lines of a log file without their CR LF; checks that each starts with a well-formed stamp
// and that the file ends with a whole line.
std::vector<std::string> Lines(const std::string& bytes);

// A line's text after its stamp and three blanks.
std::string TextOf(const std::string& line);

std::vector<std::string> TextsOf(const std::vector<std::string>& lines);

// Lines whose texts are "<writer> r<n>": the numbers of each writer in file order. A text of any
// other shape (a torn or mixed line) fails the test.
using RecordsMap = std::map<std::string, std::vector<int>>;
RecordsMap RecordsByWriter(const std::vector<std::string>& lines);

// `count` numbers from `first` in steps of `step`.
std::vector<int> Numbers(int count, int first = 0, int step = 1);

// Appends bytes beside a sink that holds the file open.
void AppendBytes(const CString& path, const std::string& bytes);
