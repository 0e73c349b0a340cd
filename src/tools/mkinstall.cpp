// placeholder replaced by the installation builder
int main() { return 0; }
