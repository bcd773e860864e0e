#pragma once
// The time text of a feedback record: the seconds since 1970-01-01 UTC in plain decimal digits
// ("1765057201"), the whole 64-bit count, so dates from 2038 on stay right.
#include <ctime>

#include "framework/String.h"

CString FeedbackTimeText(__time64_t seconds);
// The same for the current time.
CString FeedbackTimeTextNow();
