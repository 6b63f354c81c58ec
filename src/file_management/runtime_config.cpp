#include "file_management/runtime_config.h"

#include "dix/module.h"

float speed = 0;
float dash_speed = 0;

void load_config() {
    // The tree stays allocated for the run, as the values are read in place.
    Dix_Read config = load_dix_from_file("data/config.dix");
    if (!config.success) return;  // the reader has printed why

    String speed_path[] = {"config", "hero_data", "speed"};
    if (float* value = get_dix_value<float>(config.root, speed_path)) speed = *value;

    String dash_speed_path[] = {"config", "hero_data", "dash_speed"};
    if (float* value = get_dix_value<float>(config.root, dash_speed_path)) dash_speed = *value;
}
