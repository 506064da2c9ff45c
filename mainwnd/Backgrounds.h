// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <iterator>

// The background pictures of the tree and the text box, by index: the caption of the menu item
// and the file in the working directory. The index is the item's place in the Background menu,
// and the file name is what the settings keep; neither can change. Index 0, Plain, is the white
// background and its file is never loaded. res/CMakeLists.txt ships exactly these files.
struct Background {
    const char* caption;
    const char* file;
};

inline constexpr Background kBackgrounds[] = {
    {"Plain", "Plain.bmp"},
    {"Butterfly", "Butterfly.bmp"},
    {"Castle", "Castle.bmp"},
    {"Clouds", "Clouds.bmp"},
    {"Cross", "Cross.bmp"},
    {"Eagle", "Eagle.bmp"},
    {"Etched Burst", "EtchedBurst.bmp"},
    {"Lion Cub", "LionCub.bmp"},
    {"Marble", "Marble.bmp"},
    {"Maze", "Maze.bmp"},
    {"My Pattern - 1", "MyPattern_1.bmp"},
    {"My Pattern - 2", "MyPattern_2.bmp"},
    {"My Pattern - 3", "MyPattern_3.bmp"},
    {"Planks", "Planks.bmp"},
    {"Raindrops", "RainDrops.bmp"},
    {"Star Burst", "StarBurst.bmp"},
    {"Star Fetti", "StarFetti.bmp"},
    {"Stethoscope", "Stethoscope.bmp"},
    {"Stone Floor", "StoneFloor.bmp"},
    {"Stone Wall", "StoneWall.bmp"},
    {"Stripes", "Stripes.bmp"},
    {"Tie Die", "TieDie.bmp"},
    {"Tree Grain", "TreeGrain.bmp"},
    {"Vine", "Vine.bmp"},
    {"World Map", "WorldMap.bmp"},
};
inline constexpr int kBackgroundCount = static_cast<int>(std::size(kBackgrounds));
