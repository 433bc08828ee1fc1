#include "log/session_report.h"

SessionReport sessionReport;
