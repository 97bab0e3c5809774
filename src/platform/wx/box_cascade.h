#pragma once

namespace nuvaro {

// Boxes open at once go down and to the right of each other, never exactly on one another: each
// takes the first free step (0 where a box first goes) and gives it back when it closes.
inline constexpr int kCascadeStep = 40;  // more than a title bar: the box behind shows its title
int TakeCascadeStep();
void ReleaseCascadeStep(int step);

}  // namespace nuvaro
