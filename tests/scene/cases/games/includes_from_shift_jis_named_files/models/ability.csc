AbilityInclude()
{
  return "class include";
}
