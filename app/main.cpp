// driftmosaic-b: the show (the SDL platform layer is to come).
int main() { return 0; }
