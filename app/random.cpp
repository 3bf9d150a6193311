#include "app/random.h"

uint32_t RandSeed = 0;
