// The sample tour's flat pictures: the title screen with a drawn plan of the building, the
// room icons, the return button and the name plates that the panoramas show on the walls.
#pragma once

#include "sample_tour/image.h"
#include "sample_tour/lettering.h"
#include "sample_tour/plan.h"

namespace sampletour {

inline constexpr int kTitleWidth = 1024, kTitleHeight = 768;  // the whole window
inline constexpr int kIconColumn = 205;  // pixels of the title left free for the icons
inline constexpr int kIconWidth = 205, kIconHeight = 77;  // as drawn by the menu
inline constexpr int kButtonSide = 64;                    // as drawn by the viewer

Image titlePicture(const Plan& plan, Fonts& fonts);
Image roomIcon(const Plan& plan, int room, Fonts& fonts);
Image menuButton(Fonts& fonts);
// The name plate of a room, mapped over its plaques (1.9 by 0.38 metres) on the walls.
Image namePlate(const RoomPlan& room, Fonts& fonts);

}  // namespace sampletour
