// Placeholder until the log session lands.
#include "log/log_session.h"

void runLogSession() {}
