#include "player/player.h"

#include "hitbox/hitbox.h"
#include "input/input.h"

extern bool debug_mode;  // the game's debug flag (start-up)

Player player;
Player_State player_state = WALK;
float dash_timer = 0.0f;
float dash_cooldown_timer = 0.0f;
Vector2 dash_direction = {0, 0};

Vector2 player_position = {0, 0};
Vector2 previous_player_position = {0, 0};
Vector2 player_velocity = {0, 0};

static constexpr float STICK_DEAD_ZONE = 0.1f;
static constexpr int DASH_BUTTON = GAMEPAD_BUTTON_RIGHT_FACE_RIGHT;

static Vector2 movement_direction() {
    Vector2 direction = {0, 0};
    // Up wins over down and left over right when both are held.
    if (IsKeyDown(KEY_W) || left_stick_y < -STICK_DEAD_ZONE) {
        direction.y -= 1;
    } else if (IsKeyDown(KEY_S) || left_stick_y > STICK_DEAD_ZONE) {
        direction.y += 1;
    }
    if (IsKeyDown(KEY_A) || left_stick_x < -STICK_DEAD_ZONE) {
        direction.x -= 1;
    } else if (IsKeyDown(KEY_D) || left_stick_x > STICK_DEAD_ZONE) {
        direction.x += 1;
    }
    if (Vector2Length(direction) > 0) direction = Vector2Normalize(direction);
    return direction;
}

Vector2 player_move(float dt) {
    Vector2 direction = movement_direction();

    dash_cooldown_timer += dt;
    if (IsGamepadButtonPressed(0, DASH_BUTTON) && dash_cooldown_timer >= DASH_COOLDOWN) {
        player_state = DASH;
        dash_timer = DASH_DURATION;
        dash_direction = direction;
        dash_cooldown_timer = 0;
    }

    if (player_state == DASH) {
        player.position = player.position + Vector2Scale(dash_direction, dash_speed * dt);
        dash_timer -= dt;
        if (dash_timer <= 0) player_state = WALK;
    } else {
        player.position = player.position + Vector2Scale(direction, speed * dt);
    }
    return player.position;
}

void player_draw(Texture* texture) {
    float w = float(texture->width);
    float h = float(texture->height);
    float s = player.scale;
    Vector2 size = {w * s, h * s};
    Vector2 origin = {size.x / 2, size.y / 2};

    Rectangle source = {0, 0, w, h};
    Rectangle destination = {player.position.x, player.position.y, size.x, size.y};
    DrawTexturePro(*texture, source, destination, origin, player.rotation, WHITE);

    Rectangle hitbox = get_player_rect(&player.position, &origin, &size);
    if (debug_mode) DrawRectangleLinesEx(hitbox, 2.0f, Color{255, 0, 0, 255});
}
