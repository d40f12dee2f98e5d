#pragma once
// A flat rectangle of the 2D overlays in the colour set before it, in
// overlay units (y up), drawn as one counted strip: the volume blocks of the
// options and the loading bar.

void fillOverlayRect(float left, float bottom, float right, float top);
