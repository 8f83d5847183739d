main()
{
  x = Probe.Sink;
}
