#include "SteeringForce.h"

void Accumulate(SteeringForce& acc, const SteeringForce& f)
{
    if (f.priority == acc.priority)
    {
        acc.vector += f.vector;
        return;
    }

    const bool addedWins = f.priority > acc.priority;
    const MVector hi = addedWins ? f.vector : acc.vector;
    const MVector lo = addedWins ? acc.vector : f.vector;
    acc.priority = addedWins ? f.priority : acc.priority;

    // The mode of the force being added decides, never the accumulator's.
    switch (f.combineMode)
    {
    case 0:
        acc.vector = hi + 0.5 * lo;
        break;
    case 2:
        acc.vector = hi;
        break;
    default:
        break;
    }
}
