#pragma once

#include "document/Series.h"

// A site is a point of the series the view shows, held by the job.
using TSiteObject = TSeriesPoint;
