// A root scenario that does not compile (here: an include that is not there)
// does not load.
#include "nothere.csc"
OnBegin()
{
  Trace.Log("never");
}
