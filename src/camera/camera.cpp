#include "camera/camera.h"

#include <cmath>

#include "player/player.h"

Camera2D camera = {{800, 450}, {0, 0}, 0.0f, 1.0f};
float shake_time = 0.5f;
float shake_intensity = 5.0f;

static constexpr Vector2 SCREEN_CENTRE = {800, 450};
static constexpr float SNAP_DISTANCE = 0.01f;

Camera2D init_camera() { return {SCREEN_CENTRE, player_position, 0.0f, 1.0f}; }

void update_camera(Camera2D* cam) {
    Vector2 next = Vector2Lerp(cam->target, player_position, CAMERA_FOLLOW);
    // Without the snap the target would approach the player forever.
    if (std::fabs(next.x - player_position.x) < SNAP_DISTANCE) next.x = player_position.x;
    if (std::fabs(next.y - player_position.y) < SNAP_DISTANCE) next.y = player_position.y;
    cam->target = next;
}

Vector2 shake_camera(float dt) {
    if (shake_time <= 0) return SCREEN_CENTRE;
    shake_time -= dt;
    int intensity = int(shake_intensity);
    Vector2 offset = {SCREEN_CENTRE.x + float(GetRandomValue(-intensity, intensity)),
                      SCREEN_CENTRE.y + float(GetRandomValue(intensity, -intensity))};
    shake_intensity -= 10 * dt;
    if (shake_intensity <= 0) shake_intensity = 0;
    return offset;
}
