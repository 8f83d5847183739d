// Scenes and classes include files from their own folders, whether a
// character of their names ends in the byte 0x5C ("•\Ž¦", "”\—Í") or not
// ("ˆê——", "‘Ì—Í").
OnBegin()
{
  $next = "ˆê——.scn";
  Scenario.SceneFile = "•\Ž¦.scn";
}
OnEndScene()
{
  Scenario.SceneFile = $next;
  $next = empty;
}
OnEnd()
{
  Test.Log("scenario ended");
}
