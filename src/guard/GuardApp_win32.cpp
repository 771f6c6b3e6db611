// Start-up of the guard service, hourgated.exe (being built).
int main() { return 0; }
