SceneInclude()
{
  return "scene include";
}
