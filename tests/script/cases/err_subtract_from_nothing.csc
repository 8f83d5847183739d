main()
{
x = y - z;
}
