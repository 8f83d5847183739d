// run: nowhere
// A host calling a function the script lacks gets no error and no report.
main() { $ran = 1; }
