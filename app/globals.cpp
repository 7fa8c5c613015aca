// Definitions of the process-wide screen size.
#include "app/globals.h"

int32_t screen_width = 640;
int32_t screen_height = 480;
