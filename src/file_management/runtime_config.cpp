// Stand-in until the configuration loader lands: the speeds stay 0.
#include "file_management/runtime_config.h"

float speed = 0;
float dash_speed = 0;

void load_config() {}
