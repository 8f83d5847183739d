StaminaInclude()
{
  return "class include";
}
