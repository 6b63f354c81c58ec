#pragma once

extern float speed;
extern float dash_speed;

void load_config();
