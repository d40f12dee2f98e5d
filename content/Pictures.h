#pragma once
// The menus' pictures: "imgs/main_menu.tga" (the title screen with the
// logo), "imgs/menu_background.tga" (behind the option, set-up and credit
// screens) and "imgs/menu_match_background.tga" (the court on which the
// players are chosen). Each is 1024 x 1024 and drawn centred at (512, 256)
// of the 1024 x 768 overlay, so only its top 768 rows show: overlay point
// (x, y) is picture pixel (x, 768 - y) counted from the top. The menus'
// texts fall on calm areas of the pictures.

#include <filesystem>

void writePictures(const std::filesystem::path& runDir);
