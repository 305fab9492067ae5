#include "samples.h"
#include "support.h"
#include "text_reader.h"
