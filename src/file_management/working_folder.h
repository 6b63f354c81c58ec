// The folder the game reads its files from and writes its log into.
#pragma once

// Keeps the working folder when it holds the game's files (data/config.dix or the menu's
// font), as it does when the game is started in its own folder. When it holds none of them but
// the executable's folder does (the game started by its full path, from a shortcut without a
// start folder or by a launcher), changes to the executable's folder. When neither holds them, stays.
// One trace line says which folder was taken and why. Called before any file is read.
void choose_working_folder();
