// Start-up of the guard service, hourgated (being built).
int main() { return 0; }
