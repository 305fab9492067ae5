#include "gpl.h"
#include "samples.h"
#include "support.h"
