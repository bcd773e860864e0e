#include "companion/FeedbackTime.h"

#include <string>

CString FeedbackTimeText(__time64_t seconds)
{
    return std::to_wstring(static_cast<long long>(seconds));
}

CString FeedbackTimeTextNow()
{
    return FeedbackTimeText(_time64(nullptr));
}
