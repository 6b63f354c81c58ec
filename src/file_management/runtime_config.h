// The player's walk and dash speeds, read from data/config.dix at start-up.
#pragma once

// World units per second; both stay 0 (the player stands still) when the file lacks them.
extern float speed;
extern float dash_speed;

// Reads data/config.dix from the working directory and copies config.hero_data.speed and
// dash_speed into the globals. A value that is missing or not a float (an integer such as 300,
// say) is skipped; a reference to a float field is followed.
void load_config();
