// The eased travel curve (accelerating, then decelerating) of scroll animations.
#pragma once

int CalcAnidisplacement(int nCurFrame, int nFrameCount, int nStotal);
