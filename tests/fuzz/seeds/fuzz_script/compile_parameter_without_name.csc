f(number)
{
}
