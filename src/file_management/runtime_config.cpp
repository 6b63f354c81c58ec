#include "file_management/runtime_config.h"

#include "dix/module.h"

float speed = 0;
float dash_speed = 0;

// The tree is never released; holding its root keeps it reachable for the run, so leak
// checkers don't take it for lost memory.
static Any config_tree;

void load_config() {
    Dix_Read config = load_dix_from_file("data/config.dix");
    if (!config.success) return;  // the reader has printed why
    config_tree = config.root;

    String speed_path[] = {"config", "hero_data", "speed"};
    if (float* value = get_dix_value<float>(config.root, speed_path)) speed = *value;

    String dash_speed_path[] = {"config", "hero_data", "dash_speed"};
    if (float* value = get_dix_value<float>(config.root, dash_speed_path)) dash_speed = *value;
}
