main()
{
  Probe.Count = 1;
}
