#include "jasc_text.h"
#include "samples.h"
#include "support.h"
