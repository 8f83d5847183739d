main()
{
}
main()
{
}
