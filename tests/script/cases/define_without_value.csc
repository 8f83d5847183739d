#define ON
main()
{
  ON $kept = 1;
}
