// Entry point of kernova-installer (replaced by the wizard's start-up).
int main() { return 0; }
