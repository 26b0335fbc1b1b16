// Entry point of kernova-pack (being written).
int main() { return 0; }
