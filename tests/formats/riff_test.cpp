#include "riff.h"
#include "samples.h"
#include "support.h"
