#include "div_family.h"
#include "samples.h"
#include "support.h"
