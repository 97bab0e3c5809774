#include "platform/wx/box_cascade.h"

#include <set>

namespace nuvaro {
namespace {

constexpr int kCascadeSteps = 10;

std::set<int>& CascadeInUse() {
    static std::set<int> used;
    return used;
}

}  // namespace

int TakeCascadeStep() {
    int step = 0;
    while (CascadeInUse().count(step) && step < kCascadeSteps - 1) ++step;
    CascadeInUse().insert(step);
    return step;
}

void ReleaseCascadeStep(int step) { CascadeInUse().erase(step); }

}  // namespace nuvaro
