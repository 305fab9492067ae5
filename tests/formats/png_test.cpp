#include "png.h"
#include "samples.h"
#include "support.h"
