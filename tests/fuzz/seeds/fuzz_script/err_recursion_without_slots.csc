loop()
{
  loop();
}
main()
{
  loop();
}
