#include "probe/sample_report.h"

SampleReport sampleReport;
