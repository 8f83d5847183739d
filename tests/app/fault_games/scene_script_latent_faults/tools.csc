// Helpers the scene includes.
Twice(x)
{
  return x * 2;
}

Half(x)
{
  return x / ;
}
