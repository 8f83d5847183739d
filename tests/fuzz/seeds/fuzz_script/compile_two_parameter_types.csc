f(byref string s)
{
}
