#include "platform/DebugLog.h"

Q_LOGGING_CATEGORY(lcMs1, "ms1", QtCriticalMsg)
