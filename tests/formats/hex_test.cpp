#include "hex.h"
#include "samples.h"
#include "support.h"
