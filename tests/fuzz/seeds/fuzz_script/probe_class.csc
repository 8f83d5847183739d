main()
{
  $echo = Probe.Echo("hello");
  $count = Probe.Count;
  $countPlus = Probe.Count + 1;
  Probe.Value = "stored";
  $value = Probe.Value;
  Probe.Sink = 5;
  p = Probe;
  $viaLocal = p.Count * 2;
  $object = p;
  $empty = empty;
  $isEmpty = $never == empty;
  $notEmpty = 0 == empty;
}
