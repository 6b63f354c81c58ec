#include "cheats/cheatcodes.h"

#include "input/input.h"
#include "raylib.h"

int64_t konami_step = 0;

static bool konami_step_holds(int64_t step) {
    switch (step) {
        case 0:
        case 1: return left_stick_y < -0.9f;
        case 2:
        case 3: return left_stick_y > 0.9f;
        case 4:
        case 6: return left_stick_x < -0.9f;
        case 5:
        case 7: return left_stick_x > 0.9f;
        case 8: return IsGamepadButtonPressed(0, GAMEPAD_BUTTON_RIGHT_FACE_RIGHT);
        case 9: return IsGamepadButtonPressed(0, GAMEPAD_BUTTON_RIGHT_FACE_DOWN);
        default: return false;
    }
}

bool konami() {
    if (!konami_step_holds(konami_step)) return false;
    konami_step += 1;
    if (konami_step == 10) {
        konami_step = 0;
        return true;
    }
    return false;
}
