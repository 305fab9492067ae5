#include "samples.h"
#include "support.h"
#include "vga.h"
