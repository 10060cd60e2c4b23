#include "bench/ratio_main.h"

ORRA_BENCHMARK_MAIN();
