#include "file_management/runtime_config.h"

#include "dix/module.h"
#include "ui_management/notices.h"

float speed = 0;
float dash_speed = 0;

// The tree is never released; holding its root keeps it reachable for the run, so leak
// checkers don't take it for lost memory.
static Any config_tree;

namespace {

// What a value of the tree is, in the player's words.
String kind_of_value(Any value) {
    if (value.type == type_of<int64_t>()) {
        int64_t number = *static_cast<int64_t*>(value.value_pointer);
        return tprint("the integer %, not a float (write %.0)", number, number);
    }
    if (value.type == type_of<bool>()) return "a boolean, not a float";
    if (value.type == type_of<String>()) return "a string, not a float";
    if (value.type == type_of<Table>()) return "an object, not a float";
    return "not a float";
}

// Sets *into from the float at config.hero_data.<name>; otherwise it keeps its value and the
// player is told which key and why, as a speed of 0 leaves them unable to move.
void read_speed(Any root, String name, float* into) {
    String path[] = {"config", "hero_data", name};
    Dix_Lookup found = get_dix_value(root, Array_View<String>{3, path}, 1);
    if (found.code == DIX_FOUND && found.value.type == type_of<float>()) {
        *into = *static_cast<float*>(found.value.value_pointer);
        return;
    }
    String why = found.code == DIX_TOO_DEEP ? String("is a reference that goes round in a circle or too deep")
                 : found.code != DIX_FOUND  ? String("is missing")
                                            : tprint("is %", kind_of_value(found.value));
    post_notice(&notices, tprint("Configuration: config.hero_data.% %", name, why));
}

}  // namespace

void load_config() {
    Dix_Read config = load_dix_from_file("data/config.dix");
    if (!config.success) {
        // The reader has printed why.
        post_notice(&notices, tprint("Configuration not read: %", config.error));
        return;
    }
    config_tree = config.root;
    read_speed(config.root, "speed", &speed);
    read_speed(config.root, "dash_speed", &dash_speed);
}
