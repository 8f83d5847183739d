// A compile of some seconds: Long's body is long.txt, 60 MiB of statements
// that the test writes, which the compile takes in until the bound on
// compiled scripts would stop it. Asked to end while it compiles, it stops,
// and OnBegin never runs.
Long()
{
#include "long.txt"
}

OnBegin()
{
  Storage.SaveValue(empty, "Began", "1");
}
