#include "act.h"
#include "samples.h"
#include "support.h"
