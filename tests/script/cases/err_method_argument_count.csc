main()
{
  Probe.Echo();
}
