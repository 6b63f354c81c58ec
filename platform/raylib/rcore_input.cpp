// Keyboard, mouse and gamepad state, sampled once per frame from SDL's events like the library:
// each poll copies the current state to the previous one first, so a press shows for one frame.
#include "rl_internal.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cmath>
#include <cstring>

namespace {

constexpr int max_keys = 512;
constexpr int max_mouse_buttons = 8;
constexpr int max_gamepads = 4;
constexpr int max_gamepad_buttons = 32;
constexpr int max_gamepad_axes = 8;

struct Gamepad {
    SDL_Joystick* joystick = nullptr;
    SDL_GameController* controller = nullptr;  // null for a joystick without a mapping
    SDL_JoystickID instance = -1;
    bool current[max_gamepad_buttons] = {};
    bool previous[max_gamepad_buttons] = {};
    float axes[max_gamepad_axes] = {};
};

struct Input {
    bool key_current[max_keys] = {};
    bool key_previous[max_keys] = {};
    bool mouse_current[max_mouse_buttons] = {};
    bool mouse_previous[max_mouse_buttons] = {};
    Vector2 mouse_position = {0.0f, 0.0f};
    Gamepad gamepads[max_gamepads];
};

Input input;

// GLFW-style key codes (the library's) from SDL scancodes, i.e. physical US-layout positions.
int key_from_scancode(SDL_Scancode code) {
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) return KEY_A + (code - SDL_SCANCODE_A);
    if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9) return KEY_ONE + (code - SDL_SCANCODE_1);
    if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F12) return KEY_F1 + (code - SDL_SCANCODE_F1);
    if (code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_9) return 321 + (code - SDL_SCANCODE_KP_1);
    switch (code) {
        case SDL_SCANCODE_0: return KEY_ZERO;
        case SDL_SCANCODE_RETURN: return KEY_ENTER;
        case SDL_SCANCODE_ESCAPE: return KEY_ESCAPE;
        case SDL_SCANCODE_BACKSPACE: return KEY_BACKSPACE;
        case SDL_SCANCODE_TAB: return KEY_TAB;
        case SDL_SCANCODE_SPACE: return KEY_SPACE;
        case SDL_SCANCODE_MINUS: return KEY_MINUS;
        case SDL_SCANCODE_EQUALS: return KEY_EQUAL;
        case SDL_SCANCODE_LEFTBRACKET: return KEY_LEFT_BRACKET;
        case SDL_SCANCODE_RIGHTBRACKET: return KEY_RIGHT_BRACKET;
        case SDL_SCANCODE_BACKSLASH: return KEY_BACKSLASH;
        case SDL_SCANCODE_SEMICOLON: return KEY_SEMICOLON;
        case SDL_SCANCODE_APOSTROPHE: return KEY_APOSTROPHE;
        case SDL_SCANCODE_GRAVE: return KEY_GRAVE;
        case SDL_SCANCODE_COMMA: return KEY_COMMA;
        case SDL_SCANCODE_PERIOD: return KEY_PERIOD;
        case SDL_SCANCODE_SLASH: return KEY_SLASH;
        case SDL_SCANCODE_CAPSLOCK: return KEY_CAPS_LOCK;
        case SDL_SCANCODE_PRINTSCREEN: return KEY_PRINT_SCREEN;
        case SDL_SCANCODE_SCROLLLOCK: return KEY_SCROLL_LOCK;
        case SDL_SCANCODE_PAUSE: return KEY_PAUSE;
        case SDL_SCANCODE_INSERT: return KEY_INSERT;
        case SDL_SCANCODE_HOME: return KEY_HOME;
        case SDL_SCANCODE_PAGEUP: return KEY_PAGE_UP;
        case SDL_SCANCODE_DELETE: return KEY_DELETE;
        case SDL_SCANCODE_END: return KEY_END;
        case SDL_SCANCODE_PAGEDOWN: return KEY_PAGE_DOWN;
        case SDL_SCANCODE_RIGHT: return KEY_RIGHT;
        case SDL_SCANCODE_LEFT: return KEY_LEFT;
        case SDL_SCANCODE_DOWN: return KEY_DOWN;
        case SDL_SCANCODE_UP: return KEY_UP;
        case SDL_SCANCODE_NUMLOCKCLEAR: return KEY_NUM_LOCK;
        case SDL_SCANCODE_KP_0: return 320;
        case SDL_SCANCODE_KP_PERIOD: return 330;
        case SDL_SCANCODE_KP_DIVIDE: return 331;
        case SDL_SCANCODE_KP_MULTIPLY: return 332;
        case SDL_SCANCODE_KP_MINUS: return 333;
        case SDL_SCANCODE_KP_PLUS: return 334;
        case SDL_SCANCODE_KP_ENTER: return 335;
        case SDL_SCANCODE_KP_EQUALS: return 336;
        case SDL_SCANCODE_LSHIFT: return KEY_LEFT_SHIFT;
        case SDL_SCANCODE_LCTRL: return KEY_LEFT_CONTROL;
        case SDL_SCANCODE_LALT: return KEY_LEFT_ALT;
        case SDL_SCANCODE_LGUI: return KEY_LEFT_SUPER;
        case SDL_SCANCODE_RSHIFT: return KEY_RIGHT_SHIFT;
        case SDL_SCANCODE_RCTRL: return KEY_RIGHT_CONTROL;
        case SDL_SCANCODE_RALT: return KEY_RIGHT_ALT;
        case SDL_SCANCODE_RGUI: return KEY_RIGHT_SUPER;
        case SDL_SCANCODE_APPLICATION: return KEY_KB_MENU;
        default: return KEY_NULL;
    }
}

int mouse_button_from_sdl(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT: return MOUSE_BUTTON_LEFT;
        case SDL_BUTTON_RIGHT: return MOUSE_BUTTON_RIGHT;
        case SDL_BUTTON_MIDDLE: return MOUSE_BUTTON_MIDDLE;
        case SDL_BUTTON_X1: return MOUSE_BUTTON_SIDE;
        case SDL_BUTTON_X2: return MOUSE_BUTTON_EXTRA;
        default: return -1;
    }
}

// The library's Xbox-style button numbering, indexed by SDL's controller button.
constexpr int button_from_sdl[SDL_CONTROLLER_BUTTON_MAX] = {
    GAMEPAD_BUTTON_RIGHT_FACE_DOWN,   // A
    GAMEPAD_BUTTON_RIGHT_FACE_RIGHT,  // B
    GAMEPAD_BUTTON_RIGHT_FACE_LEFT,   // X
    GAMEPAD_BUTTON_RIGHT_FACE_UP,     // Y
    GAMEPAD_BUTTON_MIDDLE_LEFT,       // BACK
    GAMEPAD_BUTTON_MIDDLE,            // GUIDE
    GAMEPAD_BUTTON_MIDDLE_RIGHT,      // START
    GAMEPAD_BUTTON_LEFT_THUMB,        // LEFTSTICK
    GAMEPAD_BUTTON_RIGHT_THUMB,       // RIGHTSTICK
    GAMEPAD_BUTTON_LEFT_TRIGGER_1,    // LEFTSHOULDER
    GAMEPAD_BUTTON_RIGHT_TRIGGER_1,   // RIGHTSHOULDER
    GAMEPAD_BUTTON_LEFT_FACE_UP,      // DPAD_UP
    GAMEPAD_BUTTON_LEFT_FACE_DOWN,    // DPAD_DOWN
    GAMEPAD_BUTTON_LEFT_FACE_LEFT,    // DPAD_LEFT
    GAMEPAD_BUTTON_LEFT_FACE_RIGHT,   // DPAD_RIGHT
    GAMEPAD_BUTTON_UNKNOWN, GAMEPAD_BUTTON_UNKNOWN, GAMEPAD_BUTTON_UNKNOWN,
    GAMEPAD_BUTTON_UNKNOWN, GAMEPAD_BUTTON_UNKNOWN, GAMEPAD_BUTTON_UNKNOWN,
};

float axis_value(Sint16 raw) {
    float value = static_cast<float>(raw) / 32767.0f;
    return value < -1.0f ? -1.0f : value;
}

void open_gamepad(int device_index) {
    SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(device_index);
    for (Gamepad& pad : input.gamepads)
        if (pad.joystick && pad.instance == instance) return;
    for (Gamepad& pad : input.gamepads) {
        if (pad.joystick) continue;
        pad = Gamepad{};
        if (SDL_IsGameController(device_index)) {
            pad.controller = SDL_GameControllerOpen(device_index);
            pad.joystick = pad.controller ? SDL_GameControllerGetJoystick(pad.controller) : nullptr;
        } else {
            pad.joystick = SDL_JoystickOpen(device_index);
        }
        if (!pad.joystick) {
            pad = Gamepad{};
            return;
        }
        pad.instance = instance;
        pad.axes[GAMEPAD_AXIS_LEFT_TRIGGER] = -1.0f;
        pad.axes[GAMEPAD_AXIS_RIGHT_TRIGGER] = -1.0f;
        return;
    }
}

void close_gamepad(Gamepad& pad) {
    if (pad.controller) SDL_GameControllerClose(pad.controller);
    else if (pad.joystick) SDL_JoystickClose(pad.joystick);
    pad = Gamepad{};
}

void sample_gamepad(Gamepad& pad) {
    std::memcpy(pad.previous, pad.current, sizeof pad.current);
    if (!pad.controller) return;  // a joystick without a mapping has no gamepad state
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
        int button = button_from_sdl[b];
        if (button != GAMEPAD_BUTTON_UNKNOWN)
            pad.current[button] = SDL_GameControllerGetButton(pad.controller, static_cast<SDL_GameControllerButton>(b));
    }
    auto axis = [&](SDL_GameControllerAxis a) { return axis_value(SDL_GameControllerGetAxis(pad.controller, a)); };
    pad.axes[GAMEPAD_AXIS_LEFT_X] = axis(SDL_CONTROLLER_AXIS_LEFTX);
    pad.axes[GAMEPAD_AXIS_LEFT_Y] = axis(SDL_CONTROLLER_AXIS_LEFTY);
    pad.axes[GAMEPAD_AXIS_RIGHT_X] = axis(SDL_CONTROLLER_AXIS_RIGHTX);
    pad.axes[GAMEPAD_AXIS_RIGHT_Y] = axis(SDL_CONTROLLER_AXIS_RIGHTY);
    // SDL's triggers rest at 0 and reach 1; the library's rest at -1.
    pad.axes[GAMEPAD_AXIS_LEFT_TRIGGER] = axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT) * 2.0f - 1.0f;
    pad.axes[GAMEPAD_AXIS_RIGHT_TRIGGER] = axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT) * 2.0f - 1.0f;
    pad.current[GAMEPAD_BUTTON_LEFT_TRIGGER_2] = pad.axes[GAMEPAD_AXIS_LEFT_TRIGGER] > 0.1f;
    pad.current[GAMEPAD_BUTTON_RIGHT_TRIGGER_2] = pad.axes[GAMEPAD_AXIS_RIGHT_TRIGGER] > 0.1f;
}

bool valid_gamepad(int gamepad) {
    return gamepad >= 0 && gamepad < max_gamepads && input.gamepads[gamepad].joystick != nullptr;
}

}  // namespace

void input_init() {
    input = Input{};
    // The pointer may already be over the window; SDL reports it only after it moves.
    int x = 0, y = 0, window_x = 0, window_y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    SDL_GetWindowPosition(core_window.handle, &window_x, &window_y);
    input.mouse_position = {static_cast<float>(x - window_x), static_cast<float>(y - window_y)};
    SDL_GameControllerEventState(SDL_ENABLE);
    SDL_JoystickEventState(SDL_ENABLE);
}

void input_shutdown() {
    for (Gamepad& pad : input.gamepads) close_gamepad(pad);
}

void poll_input_events() {
    if (!core_window.ready) return;
    std::memcpy(input.key_previous, input.key_current, sizeof input.key_current);
    std::memcpy(input.mouse_previous, input.mouse_current, sizeof input.mouse_current);
    core_window.should_close = false;

    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_QUIT: core_window.should_close = true; break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_CLOSE) core_window.should_close = true;
                break;
            case SDL_KEYDOWN: {
                if (event.key.repeat) break;
                int key = key_from_scancode(event.key.keysym.scancode);
                if (key == KEY_NULL) break;
                input.key_current[key] = true;
                if (key == core_window.exit_key) core_window.should_close = true;
                break;
            }
            case SDL_KEYUP: {
                int key = key_from_scancode(event.key.keysym.scancode);
                if (key != KEY_NULL) input.key_current[key] = false;
                break;
            }
            case SDL_MOUSEMOTION:
                input.mouse_position = {static_cast<float>(event.motion.x), static_cast<float>(event.motion.y)};
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: {
                int button = mouse_button_from_sdl(event.button.button);
                if (button >= 0) input.mouse_current[button] = (event.type == SDL_MOUSEBUTTONDOWN);
                input.mouse_position = {static_cast<float>(event.button.x), static_cast<float>(event.button.y)};
                break;
            }
            case SDL_JOYDEVICEADDED: open_gamepad(event.jdevice.which); break;
            case SDL_JOYDEVICEREMOVED:
                for (Gamepad& pad : input.gamepads)
                    if (pad.joystick && pad.instance == event.jdevice.which) close_gamepad(pad);
                break;
            default: break;
        }
    }
    for (Gamepad& pad : input.gamepads)
        if (pad.joystick) sample_gamepad(pad);
}

bool IsKeyPressed(int key) {
    return key > 0 && key < max_keys && !input.key_previous[key] && input.key_current[key];
}

bool IsKeyDown(int key) { return key > 0 && key < max_keys && input.key_current[key]; }

bool IsMouseButtonPressed(int button) {
    return button >= 0 && button < max_mouse_buttons && !input.mouse_previous[button] && input.mouse_current[button];
}

Vector2 GetMousePosition(void) { return input.mouse_position; }
int GetMouseX(void) { return static_cast<int>(input.mouse_position.x); }
int GetMouseY(void) { return static_cast<int>(input.mouse_position.y); }

bool IsGamepadAvailable(int gamepad) { return valid_gamepad(gamepad); }

bool IsGamepadButtonPressed(int gamepad, int button) {
    if (!valid_gamepad(gamepad) || button <= 0 || button >= max_gamepad_buttons) return false;
    const Gamepad& pad = input.gamepads[gamepad];
    return !pad.previous[button] && pad.current[button];
}

float GetGamepadAxisMovement(int gamepad, int axis) {
    bool trigger = axis == GAMEPAD_AXIS_LEFT_TRIGGER || axis == GAMEPAD_AXIS_RIGHT_TRIGGER;
    float value = trigger ? -1.0f : 0.0f;
    if (valid_gamepad(gamepad) && axis >= 0 && axis < max_gamepad_axes) {
        float raw = input.gamepads[gamepad].axes[axis];
        // No dead zone: sticks report any non-zero value, triggers anything above rest.
        float movement = trigger ? raw : std::fabs(raw);
        if (movement > value) value = raw;
    }
    return value;
}
