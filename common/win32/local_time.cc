#include "common/local_time.h"

bool ToLocalTime(std::time_t time, std::tm& local) { return localtime_s(&local, &time) == 0; }
