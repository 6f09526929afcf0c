#include "codec/Picture.h"

bool Picture::ShrinkOntoCanvas(int, int, CanvasColour, Picture*) { return false; }
bool Picture::ResizeTo(int, int, int) { return false; }
bool Picture::TurnLeft() { return Turn(false); }
bool Picture::TurnRight() { return Turn(true); }
bool Picture::Turn(bool) { return false; }
